#include "analysis/run_statistics.h"

#include "meter/meter_reading.h"
#include "recorder/core/record_text.h"
#include "recorder/core/record_value.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vt640::analysis {
namespace {

// W times milliseconds in a kilowatt-hour.
constexpr double kWattMsPerKwh = 1000.0 * 3600.0 * 1000.0;

} // namespace

bool RunStatistics::isActivePower() const
{
    return functionCode == code::ActivePower1 || functionCode == code::ActivePower3;
}

void StatisticsBuilder::add(const TBRecord& record, const RecordTime& time)
{
    const std::string_view unit = fieldText(record.head.unitText);
    if (run_ && (run_->functionCode != record.head.functionCode || run_->unitText != unit))
        closeRun();
    const std::string_view energyText = fieldText(record.energyText);
    if (!run_) {
        run_.emplace();
        run_->functionCode = record.head.functionCode;
        run_->unitText = unit;
        run_->firstIndex = next_;
        run_->first = time;
        run_->firstEnergyText = energyText;
    }
    RunStatistics& run = *run_;
    const std::int64_t index = next_++;

    const float value = record.head.value;
    const bool shown =
        showsNumber(fieldText(record.head.mainText), fieldText(record.head.exponentText)) && std::isfinite(value);
    if (run.records > 0) {
        if (const auto ms = msBetween(lastTime_, time); ms && *ms >= 0) {
            double area = std::numeric_limits<double>::quiet_NaN();
            if (run.isActivePower() && lastValue_ && shown)
                area = (static_cast<double>(*lastValue_) + value) * 0.5 * static_cast<double>(*ms);
            spacings_.push_back({*ms, area, index - 1, lastTime_.ms,
                                 static_cast<std::int16_t>(lastTime_.at ? lastTime_.at->offsetMinutes : 0),
                                 lastTime_.line, lastTime_.inferred});
        }
    }
    ++run.records;
    run.last = time;
    run.lastEnergyText = energyText;
    lastTime_ = time;

    if (!shown) {
        lastValue_.reset();
        std::string_view display = withoutPadding(fieldText(record.head.mainText));
        auto it =
            std::find_if(run.displays.begin(), run.displays.end(), [&](const auto& d) { return d.first == display; });
        if (it == run.displays.end())
            run.displays.emplace_back(std::string(display), 1);
        else
            ++it->second;
        return;
    }
    lastValue_ = value;
    ++run.values;
    const double x = value;
    const double delta = x - mean_;
    mean_ += delta / static_cast<double>(run.values);
    m2_ += delta * (x - mean_);
    squares_ += x * x;
    if (!run.minimum || value < run.minimum->value)
        run.minimum = TimedValue{value, index, time};
    if (!run.maximum || value > run.maximum->value)
        run.maximum = TimedValue{value, index, time};
}

void StatisticsBuilder::closeRun()
{
    if (!run_)
        return;
    RunStatistics& run = *run_;
    run.durationMs = msBetween(run.first, run.last);
    if (run.values > 0) {
        run.mean = mean_;
        run.rms = std::sqrt(squares_ / static_cast<double>(run.values));
        if (run.values > 1)
            run.standardDeviation = std::sqrt(m2_ / static_cast<double>(run.values - 1));
    }
    if (!spacings_.empty()) {
        std::vector<std::int64_t> ms;
        ms.reserve(spacings_.size());
        for (const Spacing& s : spacings_)
            ms.push_back(s.ms);
        const auto middle = ms.begin() + static_cast<std::ptrdiff_t>(ms.size() / 2);
        std::nth_element(ms.begin(), middle, ms.end());
        run.cycleMs = *middle;
    }
    double wattMs = 0.0;
    for (const Spacing& s : spacings_) {
        if (run.cycleMs && *run.cycleMs > 0 && s.ms > 3 * *run.cycleMs) {
            Gap gap;
            gap.index = s.prevIndex;
            gap.ms = s.ms;
            gap.start.line = s.prevLine;
            gap.start.ms = s.prevMs;
            gap.start.inferred = s.prevInferred;
            if (s.prevLine == RecordTime::Line::Dated)
                gap.start.at = ZonedInstant{s.prevMs, s.prevOffset};
            run.gaps.push_back(std::move(gap));
            continue;
        }
        if (!std::isnan(s.wattMs))
            wattMs += s.wattMs;
    }
    if (run.isActivePower())
        run.energyKwh = wattMs / kWattMsPerKwh;

    runs_.push_back(std::move(run));
    run_.reset();
    spacings_.clear();
    mean_ = m2_ = squares_ = 0.0;
    lastValue_.reset();
}

std::vector<RunStatistics> StatisticsBuilder::finish()
{
    closeRun();
    next_ = 0;
    return std::exchange(runs_, {});
}

} // namespace vt640::analysis
