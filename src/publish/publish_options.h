#pragma once

#include "publish/publisher.h"
#include "publish/publisher_event.h"

#include <optional>
#include <string>

namespace vt640::publish {

// What the command line says about publishing, the same for vt640-tool log
// and vt640-recorder: --mqtt URL, --mqtt-cafile, --mqtt-password-file,
// --mqtt-id and --ha-discovery[=PREFIX].
struct PublishOptions {
    std::optional<std::string> url;
    std::optional<std::string> caFile;
    std::optional<std::string> passwordFile;
    std::optional<std::string> id;
    std::optional<std::string> haDiscovery; // the discovery prefix
};

// The publisher's settings the options ask for (the password read from its
// file, the meter named after this host and `portName` unless --mqtt-id
// names it). Empty without --mqtt; empty with `why` set when the options do
// not make sense (a usage error, worded for the user).
std::optional<PublisherSettings> settingsFor(const PublishOptions& options, const std::string& portName,
                                             std::string& why);

// A password or a token alone on one line of the file at `path` (given
// with `option`); empty with `why` set when it cannot be read or holds
// anything else.
std::string readSecretFile(const std::string& path, const std::string& option, const std::string& what,
                           std::string& why);

// "mqtt://host:port" (or mqtts://) of the settings' broker.
std::string endpointOf(const PublisherSettings& settings);
// "prefix/id", and where Home Assistant is told of the sensors.
std::string topicsOf(const PublisherSettings& settings);

// What `event` means to the user, in a sentence; `broker` names the broker,
// `connectedBefore` whether it had been reached before this connection.
std::string describe(const PublisherEvent& event, const std::string& broker, bool connectedBefore = false);

} // namespace vt640::publish
