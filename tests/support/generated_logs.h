#pragma once

// Logger files made field by field for the tests of stats, events and the
// line protocol, with every time and value known to the test: a mains
// voltage run that sags across midnight, has a gap, an overload each way
// and a status display; an active-power run; and a kilo-ohm run.

#include "meter/meter_reading.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "recorder/core/t_b_record.h"
#include "recorder/core/zoned_instant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vt640::test {

struct RecordSpec {
    std::string main;
    std::string exponent = "0";
    std::int32_t code = code::AcVolts;
    std::string unit = "V";
    std::string prefix;
    std::string valueText; // empty: the main text
    float value = 0.0f;
    std::string energy = "----";
    std::string sub, subFunction;
};

// A record as the recorder writes it, logged at `utcMs` with the local
// offset `offsetMinutes`; stamped unless `stamped` is false.
inline TBRecord generatedRecord(const RecordSpec& s, std::int64_t utcMs, int offsetMinutes, bool stamped = true)
{
    TBRecord r;
    copyText(r.head.mainText, s.main);
    copyText(r.head.exponentText, s.exponent);
    r.head.functionCode = s.code;
    const LocalTime t = localTimeOf(ZonedInstant{utcMs, offsetMinutes});
    char time[32];
    std::snprintf(time, sizeof time, "%3d:%02d:%02d.%-3d", t.hour, t.minute, t.second, t.millisecond / 100);
    copyText(r.head.timeText, time);
    copyText(r.head.valueText, s.valueText.empty() ? s.main : s.valueText);
    copyText(r.head.prefixText, s.prefix);
    copyText(r.head.unitText, s.unit);
    r.head.value = s.value;
    copyText(r.sub.subText, s.sub);
    copyText(r.sub.subFunction, s.subFunction);
    copyText(r.energyText, s.energy);
    if (stamped)
        writeRecordStamp(r, ZonedInstant{utcMs, offsetMinutes});
    return r;
}

inline std::string fileImage(const std::vector<TBRecord>& records)
{
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(TBRecord));
}

inline std::vector<TBRecord> withoutStamps(std::vector<TBRecord> records)
{
    for (TBRecord& r : records)
        clearRecordStamp(r);
    return records;
}

// The mains file: what was logged, and when.
struct MainsLog {
    static constexpr int kOffset = 60; // +01:00, Berlin in December
    // 2026-12-08 23:58:00.000 local
    static constexpr std::int64_t kStart = 1796774280000LL - kOffset * 60'000LL;

    // The voltage run: records 0 to 239, one a second, but 11 s between
    // 180 and 181. A sag from 110 to 129 (190 V at 120, midnight), a
    // "Strt" at 125 inside it, "OL" at 200 and "-OL" at 210.
    static constexpr int kVolts = 240;
    static constexpr int kSagFirst = 110, kSagLast = 129, kSagWorst = 120, kStrt = 125, kOverload = 200,
                         kUnderload = 210, kGapAfter = 180;
    static constexpr std::int64_t kGapMs = 11'000;
    // The active-power run: 100 records, one every 2 s, from 00:02:30.
    static constexpr int kWatts = 100;
    static constexpr std::int64_t kWattStart = kStart + (4 * 60 + 30) * 1000LL;
    // The resistance run: 5 records of 1.200 kOhm upwards, one a second, from 00:06:00.
    static constexpr int kOhms = 5;
    static constexpr std::int64_t kOhmStart = kStart + 8 * 60 * 1000LL;

    static std::int64_t voltTime(int i) { return kStart + i * 1000LL + (i > kGapAfter ? kGapMs - 1000 : 0); }
    static bool isVoltValue(int i) { return i != kStrt && i != kOverload && i != kUnderload; }
    // The voltage shown, as its text has it.
    static std::string voltText(int i)
    {
        char text[16];
        const double v =
            (i >= kSagFirst && i <= kSagLast) ? 190.0 + std::abs(i - kSagWorst) * 0.5 : 230.0 + (i % 7) * 0.1 - 0.3;
        std::snprintf(text, sizeof text, "%.1f", v);
        return text;
    }
    static double watts(int i) { return 1000.0 + 10.0 * i; }
    static std::int64_t wattTime(int i) { return kWattStart + i * 2000LL; }

    static std::vector<TBRecord> records(bool stamped = true)
    {
        std::vector<TBRecord> out;
        for (int i = 0; i < kVolts; ++i) {
            RecordSpec s;
            if (i == kStrt) {
                s.main = "Strt";
            } else if (i == kOverload || i == kUnderload) {
                s.main = i == kOverload ? "OL" : "-OL";
                s.exponent = "2";
                s.value = i == kOverload ? 660.0f : -660.0f;
            } else {
                s.main = voltText(i);
                s.value = std::strtof(s.main.c_str(), nullptr);
            }
            out.push_back(generatedRecord(s, voltTime(i), kOffset, stamped));
        }
        double energy = 0;
        for (int i = 0; i < kWatts; ++i) {
            RecordSpec s;
            char text[16];
            std::snprintf(text, sizeof text, "%.3f", watts(i) / 1000.0);
            s.main = text;
            s.exponent = "3";
            s.code = code::ActivePower1;
            s.unit = "W";
            s.prefix = "k";
            s.value = static_cast<float>(watts(i));
            s.sub = "0.98";
            s.subFunction = "PF";
            energy += watts(i) * 2.0 / 3.6e6; // as the recorder sums, one interval a record
            char e[32];
            std::snprintf(e, sizeof e, "%05.3f", energy);
            s.energy = e;
            out.push_back(generatedRecord(s, wattTime(i), kOffset, stamped));
        }
        for (int i = 0; i < kOhms; ++i) {
            RecordSpec s;
            char text[16];
            std::snprintf(text, sizeof text, "%.3f", 1.2 + i * 0.001);
            s.main = text;
            s.exponent = "3";
            s.code = code::Ohms;
            s.unit = "W";
            s.prefix = "k";
            s.value = static_cast<float>(1200 + i);
            out.push_back(generatedRecord(s, kOhmStart + i * 1000LL, kOffset, stamped));
        }
        return out;
    }
};

} // namespace vt640::test
