// vt640-tool: the meter from the command line, for users without a desktop
// and for tests. This file reads the command line; the commands live in
// files of their own.
#include "commands.h"

#include "publish/publish_cli.h"

#include "resources/version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Help and version go to standard output with status 0; every other
// mistake on the command line is named on standard error, with status 2.
constexpr int kUsageStatus = 2;

void addMeterChoice(CLI::App& command, MeterChoice& meter)
{
    command.add_option("PORT", meter.port, "COM1..COM10 (see vt640-recorder(1)) or a device path")->type_name("");
    command.add_flag("--demo", meter.demo, "the built-in simulated meter instead of a port");
}

void addLayout(CLI::App& command, std::optional<std::string>& layout)
{
    command.add_option("--layout", layout, "the record layout of IN when its name does not tell it")
        ->type_name("640|r27|r26");
}

// Which records of a file, and how those without a time stamp are dated.
void addFileReading(CLI::App& command, FileReading& reading)
{
    addLayout(command, reading.layout);
    command
        .add_option("--date", reading.date,
                    "the first record's date, for records without a time stamp (older files); "
                    "a day later at each midnight")
        ->type_name("YYYY-MM-DD");
}

} // namespace

int main(int argc, char** argv)
{
    // A file-size limit makes a write fail like a full disk, reported and
    // cleaned up, rather than ending the process with half a file beside
    // the target.
    std::signal(SIGXFSZ, SIG_IGN);

    CLI::App app{"The Vt640 power multimeter from the command line: watch, log, convert and plot without a desktop.",
                 "vt640-tool"};
    app.set_version_flag("-V,--version", "vt640-tool " VT640_VERSION " (" VT640_RELEASE_DATE ")",
                         "Print the version and exit");
    app.require_subcommand(1, 1);
    app.formatter(std::make_shared<vt640::publish::OptionalValueFormatter>());

    struct Command {
        CLI::App* app;
        std::function<int()> run;
    };
    std::vector<Command> commands;

    WatchOptions watch;
    auto* watchApp = app.add_subcommand("watch", "Poll the meter every 750 ms and print one line per reading");
    addMeterChoice(*watchApp, watch.meter);
    watchApp->footer("Readings go to standard output; notes and warnings to standard error. Ctrl-C ends.");
    commands.push_back({watchApp, [&] { return runWatch(watch); }});

    LogOptions log;
    auto* logApp = app.add_subcommand("log", "Log readings into a .640 logger file, as the recorder logs them");
    addMeterChoice(*logApp, log.meter);
    logApp->add_option("-o,--output", log.output, "the logger file; its name must contain .640")
        ->required()
        ->type_name("FILE.640");
    logApp->add_option("--interval", log.interval, "log the first reading of every SECONDS (0, the default: every one)")
        ->type_name("SECONDS");
    logApp->add_option("--count", log.count, "end after N records")->type_name("N");
    logApp->add_option("--duration", log.duration, "end after SECONDS")->type_name("SECONDS");
    logApp->add_flag("--append", log.append,
                     "add to an existing file (or create it); a torn last record is moved aside into FILE.640.torn");
    vt640::publish::addPublishOptions(*logApp, log.mqtt);
    logApp->add_option("--influx", log.influx.url, "also write each record into InfluxDB, in batches")
        ->type_name("http[s]://HOST:PORT/write?db=NAME|.../api/v2/write?org=ORG&bucket=BUCKET");
    logApp
        ->add_option("--influx-token-file", log.influx.tokenFile,
                     "the API token (2.x), or USER:PASSWORD (1.x), alone in a file")
        ->type_name("FILE");
    logApp->add_option("--meter-id", log.influx.meterId, "the database's meter tag (the MQTT ID by default)")
        ->type_name("ID");
    logApp->add_option("--hi", log.events.hi, "the upper limit: judge each record as the comparator does")
        ->type_name("X");
    logApp->add_option("--lo", log.events.lo, "the lower limit")->type_name("Y");
    logApp->add_option("--min-duration", log.events.minDuration, "leave out episodes shorter than this")
        ->type_name("SECONDS");
    logApp->add_option("--events", log.events.file, "append each limit episode as it ends to this CSV file")
        ->type_name("FILE.csv");
    logApp->footer("One line per record goes to standard output; notes, warnings and, on a terminal, a status line\n"
                   "to standard error. Ctrl-C or SIGTERM ends logging with the file complete.\n"
                   "With --mqtt each record also goes to <PREFIX>/<ID>/state (PREFIX vt640 by default), and\n"
                   "<PREFIX>/<ID>/availability says online or offline; FILE.640.mqtt keeps what the broker has.\n"
                   "With --influx FILE.640.influx keeps what the database has. With --hi and --lo each limit\n"
                   "episode goes to --events FILE.csv and, with --mqtt, to <PREFIX>/<ID>/event.");
    commands.push_back({logApp, [&] { return runLog(log); }});

    ConvertOptions convert;
    auto* convertApp = app.add_subcommand(
        "convert", "A logger file to CSV (the recorder's text export), to JSON lines or to a .640 file");
    convertApp->add_option("IN", convert.input, "the logger file (.640, .r27, .r26)")->required()->type_name("");
    convertApp
        ->add_option("-o,--output", convert.output,
                     "OUT.csv, - for standard output, OUT.jsonl (one JSON object a record), OUT.lp (InfluxDB line "
                     "protocol) or OUT.640")
        ->required()
        ->type_name("OUT");
    convertApp->add_option("--pages", convert.pages, "only pages A to B of the text (all by default)")
        ->type_name("A-B");
    convertApp->add_option("--points-per-page", convert.pointsPerPage, "points a page of the text (200 by default)")
        ->type_name("N");
    convertApp->add_option("--meter-id", convert.meterId, "the meter tag of a .lp output (the file's name by default)")
        ->type_name("ID");
    convertApp->add_flag("--iso-time", convert.isoTime,
                         "a first column DateTime: when each record was logged, in RFC 3339 with its offset");
    convertApp
        ->add_option("--date", convert.date, "the first record's date, for records without a time stamp (older files)")
        ->type_name("YYYY-MM-DD");
    addLayout(*convertApp, convert.layout);
    convertApp->add_flag("-f,--force", convert.force, "replace an existing OUT");
    commands.push_back({convertApp, [&] { return runConvert(convert); }});

    StatsOptions stats;
    auto* statsApp = app.add_subcommand(
        "stats", "Sum up logger files: per run of one function and unit the count, times, minimum, maximum, mean, "
                 "RMS, standard deviation, energy and gaps");
    statsApp->add_option("FILE", stats.inputs, "the logger files (.640, .r27, .r26)")->required()->type_name("");
    statsApp->add_flag("--json", stats.json, "JSON instead of the table");
    addFileReading(*statsApp, stats.reading);
    statsApp->footer("A run's cycle is the median spacing of its records; a gap is a spacing above three cycles.");
    commands.push_back({statsApp, [&] { return runStats(stats); }});

    EventsOptions events;
    auto* eventsApp = app.add_subcommand(
        "events", "List the times the readings of a logger file left the limits, as the comparator judges them");
    eventsApp->add_option("FILE", events.input, "the logger file (.640, .r27, .r26)")->required()->type_name("");
    eventsApp->add_option("--hi", events.hi, "the upper limit, in the displayed digits without the prefix")
        ->type_name("X");
    eventsApp->add_option("--lo", events.lo, "the lower limit, likewise")->type_name("Y");
    eventsApp->add_option("--min-duration", events.minDuration, "leave out episodes shorter than this")
        ->type_name("SECONDS");
    eventsApp->add_flag("--json", events.json, "JSON instead of CSV");
    addFileReading(*eventsApp, events.reading);
    eventsApp->footer("An episode runs from the first record outside the limits to the first record back inside;\n"
                      "one still outside at the end of the file ends with its last record (ended false).");
    commands.push_back({eventsApp, [&] { return runEvents(events); }});

    PlotOptions plot;
    auto* plotApp = app.add_subcommand("plot", "Draw a page, or the whole file, as .bmp .png .emf .wmf .svg or .pdf");
    plotApp->add_option("IN", plot.input, "the logger file (.640, .r27, .r26)")->required()->type_name("");
    plotApp->add_option("-o,--output", plot.output, "the picture; its format follows the name")
        ->required()
        ->type_name("OUT");
    plotApp->add_option("--page", plot.page, "the page to draw (the last by default)")->type_name("N");
    plotApp->add_flag("--whole", plot.whole, "the whole file, as the graph viewer draws it");
    plotApp
        ->add_option("--size", plot.size,
                     "pixels for .bmp and .png (1000x681), hundredths of a millimetre otherwise (10000x6810)")
        ->type_name("WxH");
    plotApp->add_flag("--mono", plot.mono, "black and white, as for printing");
    addLayout(*plotApp, plot.layout);
    commands.push_back({plotApp, [&] { return runPlot(plot); }});

    SimulateOptions simulate;
    auto* simulateApp =
        app.add_subcommand("simulate", "Run the simulated meter on a pseudo-terminal and print its path");
    simulateApp->add_option("--as", simulate.as, "also place the port link COMn to it")->type_name("COMn");
    simulateApp->add_option("--condition", simulate.condition, "a state of the meter worth testing")
        ->type_name("normal|lowbattery|kwh|overload");
    simulateApp->footer("Ctrl-C ends it.");
    commands.push_back({simulateApp, [&] { return runSimulate(simulate); }});

    auto* decodeApp = app.add_subcommand(
        "decode", "Decode captured frames (40 hex digits a line) from standard input, one JSON object a line");
    commands.push_back({decodeApp, [] { return runDecode(std::cin, std::cout, std::cerr); }});

    // Set last: the commands would take it over as their own.
    app.footer("Run 'vt640-tool COMMAND --help' for the options of a command.");

    if (argc < 2) {
        std::cerr << app.help();
        return kUsageStatus;
    }
    // Before the command only help and version are known.
    const std::string first = argv[1];
    const bool known =
        std::any_of(commands.begin(), commands.end(), [&](const Command& c) { return c.app->check_name(first); });
    const bool option = !first.empty() && first[0] == '-';
    if (!known && (!option || (first != "-h" && first != "--help" && first != "-V" && first != "--version"))) {
        std::cerr << "vt640-tool: unknown " << (option ? "option '" : "command '") << first
                  << "'; the commands are watch, log, convert, stats, events, plot, simulate and decode\n"
                     "Run 'vt640-tool --help' for more.\n";
        return kUsageStatus;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return app.exit(e); // --help or --version, on standard output
        const auto chosen = app.get_subcommands();
        const std::string who = chosen.empty() ? "vt640-tool" : "vt640-tool " + chosen.front()->get_name();
        std::cerr << who << ": " << e.what() << "\nRun '" << who << " --help' for "
                  << (chosen.empty() ? "more" : "its options") << ".\n";
        return kUsageStatus;
    }
    for (const Command& command : commands)
        if (command.app->parsed())
            return command.run();
    return kUsageStatus;
}
