#pragma once

namespace vt640 {

// The comparator's current limits, written to the settings file at exit.
class LimitSource {
public:
    virtual ~LimitSource() = default;

    virtual double hiLimit() const = 0;
    virtual double lowLimit() const = 0;
};

} // namespace vt640
