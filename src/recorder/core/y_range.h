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
    }

    // Takes in `x`, the value of a record being added to `countBefore` records:
    // the first record sets the range to +/-|x| * 1.33; later ones widen a
    // bound when they come within 1/1.33 of it. A zero span becomes +/-1.
    void widen(float x, int countBefore);

private:
    float upper_ = 100.0f;
    float lower_ = -100.0f;
};

} // namespace vt640
