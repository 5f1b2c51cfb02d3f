// Statistics and limit episodes of generated logger files, against values
// worked out here from how the files were made.
#include "analysis/limit_episodes.h"
#include "analysis/record_times.h"
#include "analysis/run_statistics.h"
#include "support/generated_logs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using namespace vt640;
using namespace vt640::analysis;
using vt640::test::MainsLog;

namespace {

RecordTimes timesFor(std::optional<CalendarDate> date = std::nullopt)
{
    return RecordTimes(date, [](std::int64_t) { return MainsLog::kOffset; });
}

std::vector<RunStatistics> statisticsOf(const std::vector<TBRecord>& records, RecordTimes times)
{
    StatisticsBuilder b;
    for (const TBRecord& r : records)
        b.add(r, times.next(r));
    return b.finish();
}

std::vector<LimitEpisode> episodesOf(const std::vector<TBRecord>& records, double hi, double lo, std::int64_t minMs = 0,
                                     RecordTimes times = timesFor())
{
    EpisodeFinder finder(hi, lo, minMs);
    std::vector<LimitEpisode> out;
    for (const TBRecord& r : records)
        if (auto e = finder.add(r, times.next(r)))
            out.push_back(*e);
    if (auto e = finder.finish())
        out.push_back(*e);
    return out;
}

std::string rfc(std::int64_t utcMs) { return rfc3339(ZonedInstant{utcMs, MainsLog::kOffset}); }

struct Moments {
    double mean = 0, rms = 0, sd = 0;
};

// Two passes over the values, as a spreadsheet's AVERAGE and STDEV.S would.
Moments momentsOf(const std::vector<double>& v)
{
    Moments m;
    const double n = static_cast<double>(v.size());
    m.mean = std::accumulate(v.begin(), v.end(), 0.0) / n;
    double squares = 0, deviations = 0;
    for (double x : v) {
        squares += x * x;
        deviations += (x - m.mean) * (x - m.mean);
    }
    m.rms = std::sqrt(squares / n);
    m.sd = std::sqrt(deviations / (n - 1));
    return m;
}

std::vector<TBRecord> voltsOnly(bool stamped = true)
{
    auto records = MainsLog::records(stamped);
    records.resize(MainsLog::kVolts);
    return records;
}

TBRecord reading(const char* main, const char* valueText = nullptr, std::int64_t ms = 0)
{
    test::RecordSpec s;
    s.main = main;
    s.valueText = valueText ? valueText : main;
    return test::generatedRecord(s, MainsLog::kStart + ms, MainsLog::kOffset);
}

} // namespace

TEST(RunStatistics, EachRunOfTheMainsFileAgainstValuesWorkedOutHere)
{
    const auto runs = statisticsOf(MainsLog::records(), timesFor());
    ASSERT_EQ(runs.size(), 3u); // volts, watts, kilo-ohms: never mixed

    const RunStatistics& v = runs[0];
    EXPECT_EQ(v.functionCode, code::AcVolts);
    EXPECT_EQ(v.records, MainsLog::kVolts);
    EXPECT_EQ(v.values, MainsLog::kVolts - 3);
    using Count = std::pair<std::string, std::int64_t>;
    EXPECT_EQ(v.displays, (std::vector<Count>{{"Strt", 1}, {"OL", 1}, {"-OL", 1}}));
    EXPECT_EQ(v.first.text(), "2026-12-08T23:58:00.000+01:00");
    EXPECT_EQ(v.last.text(), "2026-12-09T00:02:09.000+01:00");
    EXPECT_EQ(v.durationMs, 249'000);

    std::vector<double> values;
    int maxAt = -1;
    for (int i = 0; i < MainsLog::kVolts; ++i) {
        if (!MainsLog::isVoltValue(i))
            continue;
        values.push_back(std::strtof(MainsLog::voltText(i).c_str(), nullptr));
        if (maxAt < 0 || values.back() > std::strtof(MainsLog::voltText(maxAt).c_str(), nullptr))
            maxAt = i;
    }
    ASSERT_TRUE(v.minimum && v.maximum);
    EXPECT_FLOAT_EQ(v.minimum->value, 190.0f);
    EXPECT_EQ(v.minimum->time.text(), "2026-12-09T00:00:00.000+01:00"); // the sag's bottom, at midnight
    EXPECT_FLOAT_EQ(v.maximum->value, 230.3f);
    EXPECT_EQ(v.maximum->index, maxAt);
    const Moments m = momentsOf(values);
    EXPECT_NEAR(v.mean, m.mean, 1e-9);
    EXPECT_NEAR(v.rms, m.rms, 1e-9);
    ASSERT_TRUE(v.standardDeviation);
    EXPECT_NEAR(*v.standardDeviation, m.sd, 1e-9);
    EXPECT_EQ(v.cycleMs, 1000);
    ASSERT_EQ(v.gaps.size(), 1u);
    EXPECT_EQ(v.gaps[0].index, MainsLog::kGapAfter);
    EXPECT_EQ(v.gaps[0].ms, MainsLog::kGapMs);
    EXPECT_EQ(v.gaps[0].start.text(), rfc(MainsLog::voltTime(MainsLog::kGapAfter)));
    EXPECT_FALSE(v.energyKwh); // not a power

    const RunStatistics& w = runs[1];
    EXPECT_EQ(w.functionCode, code::ActivePower1);
    EXPECT_EQ(w.firstIndex, MainsLog::kVolts);
    EXPECT_EQ(w.records, MainsLog::kWatts);
    EXPECT_EQ(w.cycleMs, 2000);
    EXPECT_TRUE(w.gaps.empty());
    double wattSeconds = 0;
    for (int i = 0; i + 1 < MainsLog::kWatts; ++i)
        wattSeconds += (MainsLog::watts(i) + MainsLog::watts(i + 1)) / 2 * 2.0;
    ASSERT_TRUE(w.energyKwh);
    EXPECT_NEAR(*w.energyKwh, wattSeconds / 3.6e6, 1e-12);
    EXPECT_EQ(w.firstEnergyText, "0.001");
    EXPECT_EQ(w.lastEnergyText, "0.083");

    const RunStatistics& r = runs[2];
    EXPECT_EQ(r.functionCode, code::Ohms);
    EXPECT_EQ(r.records, MainsLog::kOhms);
    EXPECT_FLOAT_EQ(r.minimum->value, 1200.0f); // in ohms, the base unit
    EXPECT_FLOAT_EQ(r.maximum->value, 1204.0f);
    EXPECT_FALSE(r.energyKwh); // its unit text is "W" as well, yet no power
}

// Without stamps and without a date, the times of day still measure: the
// day steps at midnight.
TEST(RunStatistics, WithoutStampsTheTimeOfDayCarriesAcrossMidnight)
{
    const auto runs = statisticsOf(MainsLog::records(false), timesFor());
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].first.text(), "day 1 23:58:00.000");
    EXPECT_EQ(runs[0].last.text(), "day 2 00:02:09.000");
    EXPECT_EQ(runs[0].durationMs, 249'000);
    EXPECT_EQ(runs[0].minimum->time.text(), "day 2 00:00:00.000");
    ASSERT_EQ(runs[0].gaps.size(), 1u);
    EXPECT_EQ(runs[0].gaps[0].ms, MainsLog::kGapMs);

    // With the first record's date, the same times as the stamps give.
    const auto dated = statisticsOf(MainsLog::records(false), timesFor(CalendarDate{2026, 12, 8}));
    EXPECT_EQ(dated[0].minimum->time.text(), "2026-12-09T00:00:00.000+01:00");
    EXPECT_TRUE(dated[0].minimum->time.inferred);
    EXPECT_NEAR(*dated[1].energyKwh, *statisticsOf(MainsLog::records(), timesFor())[1].energyKwh, 1e-12);
}

TEST(RunStatistics, AFileOfOneRecordAndAnEmptyOne)
{
    auto one = voltsOnly();
    one.resize(1);
    const auto runs = statisticsOf(one, timesFor());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].durationMs, 0);
    EXPECT_FALSE(runs[0].standardDeviation);
    EXPECT_FALSE(runs[0].cycleMs);
    EXPECT_TRUE(statisticsOf({}, timesFor()).empty());
}

// The sag across midnight, with a status display inside it that changes
// nothing, then an overload each way: each episode as the comparator
// judges it.
TEST(LimitEpisodes, TheMainsFileAsTheComparatorJudgesIt)
{
    for (const bool stamped : {true, false}) {
        SCOPED_TRACE(stamped ? "stamped" : "without stamps");
        const auto e = episodesOf(voltsOnly(stamped), 240, 200);
        ASSERT_EQ(e.size(), 3u);

        EXPECT_EQ(e[0].direction, LimitSide::Below);
        EXPECT_EQ(e[0].durationMs, 20'000);
        EXPECT_EQ(e[0].records, MainsLog::kSagLast - MainsLog::kSagFirst); // 20 less the "Strt"
        EXPECT_EQ(e[0].firstIndex, MainsLog::kSagFirst);
        EXPECT_EQ(e[0].endIndex, MainsLog::kSagLast + 1);
        EXPECT_EQ(e[0].worstText, "190.0");
        EXPECT_EQ(e[0].worstIndex, MainsLog::kSagWorst);
        EXPECT_TRUE(e[0].ended);
        if (stamped) {
            EXPECT_EQ(e[0].start.text(), "2026-12-08T23:59:50.000+01:00");
            EXPECT_EQ(e[0].end.text(), "2026-12-09T00:00:10.000+01:00");
        } else {
            EXPECT_EQ(e[0].start.text(), "day 1 23:59:50.000");
            EXPECT_EQ(e[0].end.text(), "day 2 00:00:10.000");
        }

        EXPECT_EQ(e[1].direction, LimitSide::Above);
        EXPECT_TRUE(e[1].worstOverload);
        EXPECT_EQ(e[1].worstText, "OL");
        EXPECT_EQ(e[1].firstIndex, MainsLog::kOverload);
        EXPECT_EQ(e[1].durationMs, 1000);
        EXPECT_EQ(e[2].direction, LimitSide::Below);
        EXPECT_EQ(e[2].worstText, "-OL");
        EXPECT_EQ(e[2].records, 1);
    }
}

TEST(LimitEpisodes, EdgesOfTheJudgement)
{
    // On a limit is inside, also where the text is not exact in binary.
    EXPECT_TRUE(episodesOf({reading("10.1"), reading("-2.3", nullptr, 1000)}, 10.1, -2.3).empty());
    // One step beyond, high then straight to low: two episodes, the first
    // ended by the second's first record.
    auto e = episodesOf({reading("10.2"), reading("-2.4", nullptr, 1000), reading("5", nullptr, 2500)}, 10.1, -2.3);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].direction, LimitSide::Above);
    EXPECT_EQ(e[0].durationMs, 1000);
    EXPECT_EQ(e[1].direction, LimitSide::Below);
    EXPECT_EQ(e[1].durationMs, 1500);
    // The value text is compared as shown, without its prefix.
    test::RecordSpec kilo;
    kilo.main = "0.250";
    kilo.prefix = "k";
    kilo.value = 250;
    EXPECT_TRUE(episodesOf({test::generatedRecord(kilo, MainsLog::kStart, 60)}, 1, 0).empty());
    // The worst of a high episode: an overload beyond any number.
    e = episodesOf({reading("11"), reading("OL", nullptr, 100), reading("99", nullptr, 200)}, 10, 0);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].worstText, "OL");
    EXPECT_EQ(e[0].records, 3);
    EXPECT_FALSE(e[0].ended); // still outside at the end: ended with the last record
    EXPECT_EQ(e[0].durationMs, 200);
    // Shorter than the minimum: left out, ended or not.
    EXPECT_TRUE(episodesOf({reading("11"), reading("5", nullptr, 900)}, 10, 0, 1000).empty());
    EXPECT_EQ(episodesOf({reading("11"), reading("5", nullptr, 1000)}, 10, 0, 1000).size(), 1u);
    // A "CALL" has an "L": the comparator takes it for an overload.
    EXPECT_EQ(episodesOf({reading("CALL")}, 10, 0).size(), 1u);
    EXPECT_TRUE(episodesOf({reading("PAUS"), reading("Strt")}, 10, 0).empty());
}
