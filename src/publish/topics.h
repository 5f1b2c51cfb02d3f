#pragma once

#include <string>

namespace vt640::publish {

struct Quantity;

// The topics of one meter: `<prefix>/<id>/state` carries one message per
// logged record, `<prefix>/<id>/availability` (retained) says "online" or
// "offline"; Home Assistant finds each sensor under its discovery prefix.
struct Topics {
    std::string prefix;          // "vt640"
    std::string meterId;         // "logbox-com5"
    std::string discoveryPrefix; // "homeassistant"; empty: no discovery

    std::string state() const { return prefix + "/" + meterId + "/state"; }
    std::string availability() const { return prefix + "/" + meterId + "/availability"; }
    // Home Assistant says "online" here when it starts, and wants the
    // configs again then.
    std::string discoveryStatus() const { return discoveryPrefix + "/status"; }
    // "<discovery>/sensor/vt640_<id>/<quantity>/config"
    std::string config(const Quantity& quantity) const;
    // "vt640_<id>": the device's identifier and the start of every unique_id.
    std::string deviceId() const;
};

static constexpr const char* kOnline = "online";
static constexpr const char* kOffline = "offline";

// The retained discovery config of one sensor: the quantity's device and
// state class and unit, a value template over the state message, a
// unique_id that stays the same across restarts, the device block shared
// by the meter's sensors, and the availability topic. A quantity's sensor is
// available only while the meter measures it (and the logger is online),
// so it never shows a value from before the meter was switched over.
std::string discoveryConfig(const Topics& topics, const Quantity& quantity, const std::string& softwareVersion);

} // namespace vt640::publish
