// vt640-tool stats: what logger files hold, summed up per run of one
// function and unit, as a table or as JSON.
#include "analysis_input.h"
#include "commands.h"
#include "tool_support.h"

#include "analysis/episode_format.h"
#include "analysis/run_statistics.h"
#include "meter/annunciators.h"
#include "publish/quantity.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

namespace {

using vt640::analysis::RecordTime;
using vt640::analysis::RunStatistics;
using Json = nlohmann::ordered_json;

int usage(const std::string& why) { return tool::usageError("stats", why); }

struct FileStatistics {
    std::string path;
    std::int64_t records = 0;
    std::vector<RunStatistics> runs;
    std::string datingNote;
};

std::string unitOf(const RunStatistics& run) { return vt640::displayUnitText(run.functionCode, run.unitText); }

// The function by its name ("DC volts"), or by its unit where the meter
// has no name for its code.
std::string functionLabel(const RunStatistics& run)
{
    const std::string_view name = vt640::publish::functionName(run.functionCode);
    if (!name.empty())
        return std::string(name);
    return unitOf(run).empty() ? "no unit" : unitOf(run);
}

std::string timeText(const RecordTime& t) { return t.line == RecordTime::Line::None ? "no time" : t.text(); }

std::string displaysText(const RunStatistics& run)
{
    std::string text;
    for (const auto& [display, n] : run.displays)
        text +=
            (text.empty() ? "" : ", ") + (display.empty() ? std::string("(blank)") : display) + " " + std::to_string(n);
    return text;
}

void printTable(const FileStatistics& f, bool first)
{
    if (!first)
        std::cout << '\n';
    std::cout << f.path << ": " << f.records << (f.records == 1 ? " record" : " records") << " in " << f.runs.size()
              << (f.runs.size() == 1 ? " run" : " runs") << '\n';
    if (!f.datingNote.empty())
        std::cout << "  (" << f.datingNote << ")\n";
    int number = 0;
    for (const RunStatistics& run : f.runs) {
        const std::string unit = unitOf(run).empty() ? "" : " " + unitOf(run);
        auto row = [](const char* name, const std::string& value) {
            char label[24];
            std::snprintf(label, sizeof label, "  %-14s", name);
            std::cout << label << value << '\n';
        };
        std::cout << "\nRun " << ++number << ": " << functionLabel(run) << " in "
                  << (unitOf(run).empty() ? std::string("no unit") : unitOf(run)) << " (function " << run.functionCode
                  << "), records " << run.firstIndex + 1 << " to " << run.firstIndex + run.records << '\n';
        std::string count =
            std::to_string(run.records) + " (" + std::to_string(run.values) + (run.values == 1 ? " value" : " values");
        if (!run.displays.empty())
            count += "; " + displaysText(run);
        row("records", count + ")");
        row("first", timeText(run.first));
        row("last", timeText(run.last));
        row("duration", run.durationMs ? durationText(*run.durationMs) : "not measurable");
        if (run.minimum && run.maximum) {
            row("minimum", numberText(run.minimum->value) + unit + "  at " + timeText(run.minimum->time));
            row("maximum", numberText(run.maximum->value) + unit + "  at " + timeText(run.maximum->time));
            row("mean", numberText(run.mean, 7) + unit);
            row("RMS", numberText(run.rms, 7) + unit);
            row("std. dev.",
                run.standardDeviation ? numberText(*run.standardDeviation, 7) + unit : std::string("- (one value)"));
        }
        if (run.cycleMs) {
            row("cycle", secondsText(*run.cycleMs) + " s (the median spacing)");
            if (run.gaps.empty()) {
                row("gaps", "none longer than three cycles");
            } else {
                row("gaps", std::to_string(run.gaps.size()) + " longer than three cycles:");
                for (const auto& gap : run.gaps)
                    row("", "after " + timeText(gap.start) + " (record " + std::to_string(gap.index + 1) + ") for "
                                + durationText(gap.ms));
            }
        }
        if (run.energyKwh) {
            std::string energy = numberText(*run.energyKwh, 6) + " kWh integrated";
            if (!run.lastEnergyText.empty())
                energy += "; energy text " + run.firstEnergyText + " to " + run.lastEnergyText + " kWh";
            row("energy", energy);
        }
    }
}

Json timeJson(const RecordTime& t)
{
    if (t.line == RecordTime::Line::None)
        return nullptr;
    return t.text();
}

Json numberJson(double v)
{
    if (!std::isfinite(v))
        return nullptr;
    return v;
}

// The stored float as the shortest decimal that reads back to it.
Json numberJson(float v)
{
    if (!std::isfinite(v))
        return nullptr;
    return std::stod(numberText(v));
}

Json fileJson(const FileStatistics& f)
{
    Json j;
    j["file"] = f.path;
    j["records"] = f.records;
    j["dating"] = f.datingNote.empty() ? Json(nullptr) : Json(f.datingNote);
    Json runs = Json::array();
    for (const RunStatistics& run : f.runs) {
        Json r;
        r["function"] = functionLabel(run);
        r["functionCode"] = run.functionCode;
        r["unit"] = unitOf(run);
        r["firstRecord"] = run.firstIndex + 1;
        r["records"] = run.records;
        r["values"] = run.values;
        Json displays = Json::object();
        for (const auto& [display, n] : run.displays)
            displays[display] = n;
        r["displays"] = displays;
        r["first"] = timeJson(run.first);
        r["last"] = timeJson(run.last);
        r["durationSeconds"] = run.durationMs ? Json(static_cast<double>(*run.durationMs) / 1000.0) : Json(nullptr);
        auto extreme = [](const std::optional<vt640::analysis::TimedValue>& v) {
            if (!v)
                return Json(nullptr);
            Json e;
            e["value"] = numberJson(v->value);
            e["time"] = timeJson(v->time);
            e["record"] = v->index + 1;
            return e;
        };
        r["minimum"] = extreme(run.minimum);
        r["maximum"] = extreme(run.maximum);
        r["mean"] = run.values ? numberJson(run.mean) : Json(nullptr);
        r["rms"] = run.values ? numberJson(run.rms) : Json(nullptr);
        r["standardDeviation"] = run.standardDeviation ? numberJson(*run.standardDeviation) : Json(nullptr);
        r["cycleSeconds"] = run.cycleMs ? Json(static_cast<double>(*run.cycleMs) / 1000.0) : Json(nullptr);
        Json gaps = Json::array();
        for (const auto& gap : run.gaps) {
            Json g;
            g["after"] = timeJson(gap.start);
            g["record"] = gap.index + 1;
            g["seconds"] = static_cast<double>(gap.ms) / 1000.0;
            gaps.push_back(g);
        }
        r["gaps"] = gaps;
        r["energyKwh"] = run.energyKwh ? numberJson(*run.energyKwh) : Json(nullptr);
        if (run.energyKwh) {
            r["energyTextFirst"] = run.firstEnergyText;
            r["energyTextLast"] = run.lastEnergyText;
        }
        runs.push_back(r);
    }
    j["runs"] = runs;
    return j;
}

} // namespace

int runStats(const StatsOptions& options)
{
    DatingChoice choice;
    if (const std::string why = parseFileReading(options.reading, choice); !why.empty())
        return usage(why);

    int status = 0;
    Json all = Json::array();
    bool first = true;
    for (const std::string& path : options.inputs) {
        FileStatistics f;
        f.path = path;
        auto times = recordTimes(choice);
        vt640::analysis::StatisticsBuilder builder;
        const bool read = walkRecords(path, choice, times, [&](const vt640::TBRecord& r, const RecordTime& t) {
            builder.add(r, t);
            ++f.records;
        });
        if (!read) {
            status = 1; // told; the other files are summed up all the same
            continue;
        }
        f.runs = builder.finish();
        f.datingNote = datingNote(times, choice);
        if (options.json)
            all.push_back(fileJson(f));
        else
            printTable(f, first);
        first = false;
    }
    if (options.json)
        std::cout << vt640::analysis::jsonText(all, 2) << '\n';
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "vt640-tool: writing to standard output failed\n";
        return 1;
    }
    return status;
}
