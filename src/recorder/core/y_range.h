#pragma once

namespace vt640 {

// The recorder graph's Y range. It only grows, so that a page never rescales
// downwards while logging; a clear brings it back to +/-100.
class YRange {
public:
    float upper() const { return upper_; }
    float lower() const { return lower_; }

    void reset()
    {
        upper_ = 100.0f;
        lower_ = -100.0f;
        taken_ = false;
    }

    // Takes in `x`, the value of a record being added: the first value since
    // the reset sets the range to +/-|x| * 1.33; later ones widen a bound
    // when they come within 1/1.33 of it. A zero span becomes +/-1. Values
    // that are no number or infinite (a logger file can carry them) are left
    // out, and the bounds never go beyond the largest float.
    void widen(float x);

private:
    float upper_ = 100.0f;
    float lower_ = -100.0f;
    bool taken_ = false; // a value has set the range since the reset
};

} // namespace vt640
