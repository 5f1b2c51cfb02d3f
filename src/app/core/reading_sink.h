#pragma once

namespace vt640 {

struct MeterReading;

// A consumer of the acquisition cycle's readings. The cycle hands every
// completed reading to its sinks in a fixed order, inside the tick; a sink
// that redraws or logs posts that work to itself, so that it runs after the
// tick has returned to the event loop.
class ReadingSink {
public:
    virtual ~ReadingSink() = default;

    // The reading just completed; it stays valid (as the shared current
    // reading) until the next tick changes it.
    virtual void takeReading(const MeterReading& reading) = 0;
};

} // namespace vt640
