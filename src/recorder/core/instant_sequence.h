#pragma once

#include <cstdint>

namespace vt640 {

// The instants of the records of one buffer (or one run of the
// command-line logger), which never go back. The real-time clock may be
// stepped back (by hand, or by a time service correcting it); then the
// instant is the previous record's plus the time the monotonic tick has
// counted since, until the real-time clock is past it again. A
// daylight-saving change moves no instant: only the offset that goes with
// it.
class InstantSequence {
public:
    // The instant of a record taken when the real-time clock reads
    // `clockUtcMs` and the tick `tickMs`.
    std::int64_t next(std::int64_t clockUtcMs, std::uint32_t tickMs)
    {
        std::int64_t instant = clockUtcMs;
        if (started_ && clockUtcMs < lastUtcMs_)
            instant = lastUtcMs_ + static_cast<std::uint32_t>(tickMs - lastTickMs_);
        started_ = true;
        lastUtcMs_ = instant;
        lastTickMs_ = tickMs;
        return instant;
    }

    void reset() { started_ = false; }

private:
    bool started_ = false;
    std::int64_t lastUtcMs_ = 0;
    std::uint32_t lastTickMs_ = 0;
};

} // namespace vt640
