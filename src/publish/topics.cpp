#include "publish/topics.h"

#include "publish/quantity.h"

#include <nlohmann/json.hpp>

namespace vt640::publish {

std::string Topics::config(const Quantity& quantity) const
{
    return discoveryPrefix + "/sensor/" + deviceId() + "/" + std::string(quantity.key) + "/config";
}

std::string Topics::deviceId() const { return "vt640_" + meterId; }

std::string discoveryConfig(const Topics& topics, const Quantity& quantity, const std::string& softwareVersion)
{
    using Json = nlohmann::ordered_json;
    const std::string key(quantity.key);
    const bool sum = quantity.key == "energy";
    const bool pf = quantity.key == "power_factor";
    // Only messages of this quantity set the sensor: for any other the
    // template gives nothing, which leaves the state alone. A status
    // display or an overload has no value: "None" makes the state unknown.
    std::string valueTemplate;
    std::string present;
    if (sum) {
        present = "value_json.energy_kwh is not none";
        valueTemplate = "{% if " + present + " %}{{ value_json.energy_kwh }}{% endif %}";
    } else if (pf) {
        present = "value_json.pf is not none";
        valueTemplate = "{% if " + present + " %}{{ value_json.pf }}{% endif %}";
    } else {
        present = "value_json.quantity == '" + key + "'";
        valueTemplate = "{% if " + present + " %}{{ none if value_json.overload else value_json.value }}{% endif %}";
    }

    Json j;
    j["name"] = std::string(quantity.name);
    j["unique_id"] = topics.deviceId() + "_" + key;
    j["state_topic"] = topics.state();
    j["value_template"] = valueTemplate;
    if (!quantity.deviceClass.empty())
        j["device_class"] = std::string(quantity.deviceClass);
    j["state_class"] = std::string(quantity.stateClass);
    if (!quantity.unit.empty())
        j["unit_of_measurement"] = std::string(quantity.unit);
    Json availability = Json::array();
    availability.push_back({{"topic", topics.availability()}});
    // The energy sum stays valid whatever the meter measures now.
    if (!sum)
        availability.push_back(
            {{"topic", topics.state()}, {"value_template", "{{ 'online' if " + present + " else 'offline' }}"}});
    j["availability"] = availability;
    j["availability_mode"] = "all";
    j["device"] = {{"identifiers", Json::array({topics.deviceId()})},
                   {"name", "Vt640 " + topics.meterId},
                   {"model", "Vt640"},
                   {"sw_version", softwareVersion}};
    return j.dump();
}

} // namespace vt640::publish
