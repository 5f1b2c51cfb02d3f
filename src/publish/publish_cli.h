#pragma once

#include "publish/publish_options.h"

#include <CLI/CLI.hpp>

#include <string>

// The publishing options on a command line (CLI11), the same for every
// program that logs. Header-only, for the programs' own main files.
namespace vt640::publish {

// A flag that takes a value only after "=" names the value it has when
// given alone in braces ("--ha-discovery{homeassistant}"); its help shows
// "--ha-discovery[=PREFIX]" instead, and says the default in words.
class OptionalValueFormatter : public CLI::Formatter {
public:
    std::string make_option_name(const CLI::Option* option, bool positional) const override
    {
        std::string name = CLI::Formatter::make_option_name(option, positional);
        for (auto open = name.find('{'); open != std::string::npos; open = name.find('{')) {
            const auto close = name.find('}', open);
            if (close == std::string::npos)
                break;
            name.replace(open, close - open + 1, "[=" + option->get_type_name() + "]");
        }
        return name;
    }
    std::string make_option_opts(const CLI::Option* option) const override
    {
        return valueAfterEquals(option) ? std::string() : CLI::Formatter::make_option_opts(option);
    }

private:
    static bool valueAfterEquals(const CLI::Option* option)
    {
        return CLI::Formatter().make_option_name(option, false).find('{') != std::string::npos;
    }
};

inline void addPublishOptions(CLI::App& app, PublishOptions& options)
{
    app.add_option("--mqtt", options.url, "also publish each record to an MQTT broker")
        ->type_name("mqtt[s]://[USER@]HOST[:PORT][/PREFIX]");
    app.add_option("--mqtt-cafile", options.caFile, "the CA certificates that vouch for an mqtts:// broker")
        ->type_name("FILE");
    app.add_option("--mqtt-password-file", options.passwordFile, "the password for USER, alone in a file")
        ->type_name("FILE");
    app.add_option("--mqtt-id", options.id, "the meter's name in the topics (HOST-PORT by default)")->type_name("ID");
    // Only as --ha-discovery=PREFIX: a value after a blank would take the place of what follows.
    app.add_flag("--ha-discovery{homeassistant}", options.haDiscovery,
                 "announce the sensors to Home Assistant, under PREFIX (homeassistant)")
        ->type_name("PREFIX");
}

} // namespace vt640::publish
