#pragma once

#include "analysis/record_times.h"
#include "recorder/core/t_b_record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vt640::analysis {

// A value of a run and when it was logged.
struct TimedValue {
    float value = 0.0f;
    std::int64_t index = 0; // of the record in the file, from 0
    RecordTime time;
};

// A pause between two records of a run longer than three cycles.
struct Gap {
    RecordTime start; // the record before the pause
    std::int64_t index = 0;
    std::int64_t ms = 0;
};

// One run: consecutive records of one function and one unit. Values are in
// base units (kΩ readings are kept in Ω), so a run never mixes units.
struct RunStatistics {
    std::int32_t functionCode = 0;
    std::string unitText; // as the record holds it ("W" for ohms too)

    std::int64_t firstIndex = 0;
    std::int64_t records = 0; // every record of the run
    RecordTime first, last;
    std::optional<std::int64_t> durationMs; // from the first record to the last, on one time line

    // Records whose display showed a number; the others are counted apart
    // by their display text ("OL", "-OL", "Strt", ...), in order of first
    // appearance.
    std::int64_t values = 0;
    std::vector<std::pair<std::string, std::int64_t>> displays;

    std::optional<TimedValue> minimum, maximum; // the first record that shows it
    double mean = 0.0;
    double rms = 0.0;
    std::optional<double> standardDeviation; // of a sample (n - 1), from two values on

    // The run's cycle: the median of the spacing between its records,
    // measured where both lie on one time line and the second is not
    // earlier. Gaps are the spacings above three cycles.
    std::optional<std::int64_t> cycleMs;
    std::vector<Gap> gaps;

    // Active power only: the energy of the values integrated over the
    // record times with the trapezoid rule, skipping gaps and spacings next
    // to a record without a value; beside it the energy texts the recorder
    // wrote into the first and the last record of the run.
    std::optional<double> energyKwh;
    std::string firstEnergyText, lastEnergyText;

    bool isActivePower() const;
};

// Splits the records of a file into runs and sums them up, record by
// record: memory grows with one spacing per record of the current run.
class StatisticsBuilder {
public:
    void add(const TBRecord& record, const RecordTime& time);
    // The runs, oldest first; the builder is empty afterwards.
    std::vector<RunStatistics> finish();

private:
    // The spacing before a record of the run, with what a gap needs to
    // tell of the record before it.
    struct Spacing {
        std::int64_t ms;
        double wattMs; // the trapezoid's area, NaN where it takes no part
        std::int64_t prevIndex;
        std::int64_t prevMs;
        std::int16_t prevOffset;
        RecordTime::Line prevLine;
        bool prevInferred;
    };
    void closeRun();

    std::vector<RunStatistics> runs_;
    std::optional<RunStatistics> run_;
    std::vector<Spacing> spacings_;
    // Welford's running mean and sum of squared deviations, and the sum of squares.
    double mean_ = 0.0, m2_ = 0.0, squares_ = 0.0;
    std::optional<float> lastValue_;
    RecordTime lastTime_;
    std::int64_t next_ = 0;
};

} // namespace vt640::analysis
