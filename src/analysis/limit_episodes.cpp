#include "analysis/limit_episodes.h"

#include "meter/annunciators.h"
#include "recorder/core/record_text.h"

namespace vt640::analysis {

const char* directionName(LimitSide side) { return side == LimitSide::Below ? "low" : "high"; }

EpisodeFinder::EpisodeFinder(double upperLimit, double lowerLimit, std::int64_t minDurationMs)
    : upper_(upperLimit), lower_(lowerLimit), minDurationMs_(minDurationMs)
{}

bool EpisodeFinder::longEnough(const LimitEpisode& e) const
{
    // An episode whose length cannot be measured is kept.
    return !e.durationMs || *e.durationMs >= minDurationMs_;
}

std::optional<LimitEpisode> EpisodeFinder::add(const TBRecord& record, const RecordTime& time)
{
    const std::int64_t index = next_++;
    lastTime_ = time;
    const std::string_view mainText = fieldText(record.head.mainText);
    const auto compared = comparedReading(fieldText(record.head.valueText), mainText, upper_, lower_);
    if (!compared)
        return std::nullopt;
    const float reading = compared->value;
    const bool overload = compared->overload;
    const LimitSide side = limitSide(reading, upper_, lower_);

    std::optional<LimitEpisode> done;
    if (open_ && open_->direction != side) {
        open_->end = time;
        open_->endIndex = index;
        open_->ended = true;
        open_->durationMs = msBetween(open_->start, time);
        if (longEnough(*open_))
            done = std::move(open_);
        open_.reset();
    }
    if (side == LimitSide::Inside)
        return done;

    if (!open_) {
        open_.emplace();
        open_->direction = side;
        open_->start = time;
        open_->firstIndex = index;
    }
    LimitEpisode& e = *open_;
    ++e.records;
    const bool worse = e.records == 1 || (overload && !e.worstOverload)
                       || (overload == e.worstOverload && !overload
                           && (side == LimitSide::Above ? reading > e.worst : reading < e.worst));
    if (worse) {
        e.worst = reading;
        e.worstOverload = overload;
        e.worstText = withoutPadding(overload ? mainText : fieldText(record.head.valueText));
        e.worstUnit = std::string(fieldText(record.head.prefixText))
                      + displayUnitText(record.head.functionCode, std::string(fieldText(record.head.unitText)));
        e.worstTime = time;
        e.worstIndex = index;
    }
    return done;
}

std::optional<LimitEpisode> EpisodeFinder::finish()
{
    if (!open_)
        return std::nullopt;
    LimitEpisode e = std::move(*open_);
    open_.reset();
    e.end = lastTime_;
    e.endIndex = next_ - 1;
    e.ended = false;
    e.durationMs = msBetween(e.start, e.end);
    if (!longEnough(e))
        return std::nullopt;
    return e;
}

} // namespace vt640::analysis
