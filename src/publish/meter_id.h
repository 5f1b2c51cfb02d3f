#pragma once

#include <string>
#include <string_view>

namespace vt640::publish {

// The meter's name in its topics and in Home Assistant: one topic level of
// lower-case letters, digits and "-", made from the logging box's host name
// and the port's name ("logbox" and "COM5" give "logbox-com5"; a device
// path gives its last part), so that each meter keeps its name across
// restarts and several boxes can share a broker.
std::string meterIdFor(std::string_view hostName, std::string_view portName);

// This machine's host name without its domain; "localhost" when it has none.
std::string shortHostName();

// Whether `id` may stand as a meter id given by the user: 1 to 64 letters,
// digits, "-" and "_" (it is a topic level and part of Home Assistant's ids).
bool isValidMeterId(std::string_view id);

} // namespace vt640::publish
