#pragma once

#include "analysis/record_times.h"
#include "meter/limit_judgement.h"
#include "recorder/core/t_b_record.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vt640::analysis {

// A time the readings left the limits: from the first record outside to
// the first record back inside (or on the other side), as the comparator
// judges each record.
struct LimitEpisode {
    LimitSide direction = LimitSide::Above; // Above (high) or Below (low)
    RecordTime start;
    RecordTime end; // the record that ended it; the last record of the file when still open
    bool ended = false;
    std::optional<std::int64_t> durationMs; // empty when start and end lie on different time lines
    std::int64_t firstIndex = 0, endIndex = 0;
    std::int64_t records = 0; // the records outside the limits

    // The worst record: the farthest beyond the limit, an overload beyond
    // every number; the first of equals.
    float worst = 0.0f; // the number compared (an overload's stands in half a band beyond)
    bool worstOverload = false;
    std::string worstText; // the display: the value text, or "OL" / "-OL"
    std::string worstUnit; // its prefix and unit as shown ("kW", "Ω")
    RecordTime worstTime;
    std::int64_t worstIndex = 0;
};

// "high" or "low".
const char* directionName(LimitSide side);

// Finds the episodes record by record, as the live logger needs them.
//
// A record the comparator ignores (a display that is no number and no
// overload, such as "Strt") changes nothing: the comparator keeps its last
// reading. Episodes shorter than the minimum duration are dropped.
class EpisodeFinder {
public:
    EpisodeFinder(double upperLimit, double lowerLimit, std::int64_t minDurationMs = 0);

    // Judges the next record of the file; returns the episode it ended.
    std::optional<LimitEpisode> add(const TBRecord& record, const RecordTime& time);
    // The episode still open after the last record, ended there.
    std::optional<LimitEpisode> finish();

private:
    bool longEnough(const LimitEpisode& e) const;

    double upper_, lower_;
    std::int64_t minDurationMs_;
    std::optional<LimitEpisode> open_;
    RecordTime lastTime_;
    std::int64_t next_ = 0;
};

} // namespace vt640::analysis
