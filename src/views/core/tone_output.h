#pragma once

namespace vt640 {

// Where the comparator's alarm sounds. beep() returns once the tone has been
// played (it blocks the caller for about its duration) or at once when there
// is nothing to play it on.
class ToneOutput {
public:
    virtual ~ToneOutput() = default;
    virtual void beep(int hertz, int milliseconds) = 0;
};

} // namespace vt640
