// vt640-tool convert: a logger file as the recorder's text export (dated
// with --iso-time), as JSON lines, or as a ".640" file.
#include "commands.h"
#include "record_json.h"
#include "tool_support.h"

#include "fileio/atomic_file.h"
#include "recorder/core/logger_file_writer.h"
#include "recorder/core/page_math.h"
#include "recorder/core/record_buffer.h"
#include "recorder/core/record_dating.h"
#include "recorder/core/recorder_clock.h"
#include "recorder/core/recorder_core.h"
#include "viewer/core/csv_export.h"

#include <cerrno>
#include <climits>
#include <exception>
#include <iostream>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using vt640::AtomicFile;
using vt640::CsvExport;
using vt640::LoggerFileWriter;
using vt640::RecordBuffer;
using vt640::RecordDating;

int usage(const std::string& why) { return tool::usageError("convert", why); }

struct PageRange {
    int first = 1;
    int last = 1;
};

// "A-B" or "A"; page numbers out of range are clamped later, so any size
// is taken (as the largest int beyond that).
std::optional<PageRange> parsePages(const std::string& text)
{
    const std::size_t dash = text.find('-');
    const std::string a = text.substr(0, dash);
    const std::string b = dash == std::string::npos ? a : text.substr(dash + 1);
    const auto first = tool::integer(a, 0, 999999999999999999LL);
    const auto last = tool::integer(b, 0, 999999999999999999LL);
    if (!first || !last)
        return std::nullopt;
    return PageRange{static_cast<int>(std::min<long long>(*first, INT_MAX)),
                     static_cast<int>(std::min<long long>(*last, INT_MAX))};
}

std::string atomicFailure(const std::string& path, AtomicFile::Error error, int systemError)
{
    const std::string why = systemError ? ": " + tool::systemText(systemError) : "";
    switch (error) {
    case AtomicFile::Error::None: break;
    case AtomicFile::Error::FolderAtName: return tool::notAFile(path);
    case AtomicFile::Error::NoFolder: return "the folder of " + path + " does not exist";
    case AtomicFile::Error::CannotCreate: return "cannot create a file beside " + path + why;
    case AtomicFile::Error::WriteFailed: return "writing " + path + " failed" + why;
    case AtomicFile::Error::ReplaceFailed: return path + " could not be put in place" + why;
    case AtomicFile::Error::Exists: return path + " exists (--force replaces it)";
    case AtomicFile::Error::WriteProtected: return path + " is write-protected" + why;
    }
    return "writing " + path + " failed" + why;
}

bool writeAllTo(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string recordsText(std::int64_t n) { return std::to_string(n) + (n == 1 ? " record" : " records"); }

// Tells on standard error where dates were not the records' own.
void tellDating(const RecordDating& dating, const std::optional<std::string>& date)
{
    if (const std::int64_t n = dating.inferred(); n > 0)
        std::cerr << "vt640-tool: " << recordsText(n) << (n == 1 ? " carries" : " carry") << " no time stamp; "
                  << (n == 1 ? "its date is" : "their dates are") << " inferred from "
                  << (date ? "--date " + *date : std::string("the stamped record before")) << " and "
                  << (n == 1 ? "its time" : "their times") << " of day, a day later after each midnight\n";
    if (const std::int64_t n = dating.undated(); n > 0) {
        std::cerr << "vt640-tool: " << recordsText(n) << (n == 1 ? " is" : " are") << " left without a date: ";
        if (date)
            std::cerr << (n == 1 ? "it carries" : "they carry") << " neither a time stamp nor a time of day\n";
        else
            std::cerr << "no time stamp; --date YYYY-MM-DD gives the first record's date\n";
    }
    if (date && dating.stamped() > 0 && dating.inferred() == 0 && dating.undated() == 0)
        std::cerr << "vt640-tool: every record carries its time stamp; --date was not needed\n";
}

} // namespace

int runConvert(const ConvertOptions& options)
{
    const std::string& in = options.input;
    const std::string& out = options.output;
    const bool force = options.force;
    std::optional<PageRange> pages;
    std::optional<vt640::RecordLayout> layout;
    std::optional<long long> pointsPerPage;
    std::optional<vt640::CalendarDate> date;
    if (options.date) {
        date = vt640::parseCalendarDate(*options.date);
        if (!date)
            return usage("--date takes YYYY-MM-DD, a day of the calendar from 1970 on, not "
                         + tool::quoted(*options.date));
    }
    if (options.pages) {
        pages = parsePages(*options.pages);
        if (!pages)
            return usage("--pages takes A-B, two page numbers, not " + tool::quoted(*options.pages));
    }
    if (options.layout) {
        layout = tool::layout(*options.layout);
        if (!layout)
            return usage("--layout takes 640, r27 or r26, not " + tool::quoted(*options.layout));
    }
    if (options.pointsPerPage) {
        pointsPerPage = tool::integer(*options.pointsPerPage, 1, INT_MAX);
        if (!pointsPerPage)
            return usage("--points-per-page takes a whole number of at least 1, not "
                         + tool::quoted(*options.pointsPerPage));
    }

    const bool toStdout = out == "-";
    const bool toCsv = toStdout || tool::endsWith(out, ".csv");
    const bool toJsonLines = !toCsv && tool::endsWith(out, ".jsonl");
    const bool toNative = !toCsv && !toJsonLines && tool::endsWith(out, ".640");
    if (!toCsv && !toNative && !toJsonLines)
        return usage("OUT must end in .csv, .jsonl or .640, or be - for standard output");
    if (!toCsv && (pages || pointsPerPage))
        return usage("--pages and --points-per-page choose rows of the text export; a "
                     + std::string(toNative ? ".640" : ".jsonl") + " file takes every record");
    if (toNative && (options.isoTime || date))
        return usage("--iso-time and --date date the rows of a text or .jsonl output; a .640 file keeps its records as "
                     "they are");
    if (toCsv && date && !options.isoTime)
        return usage("--date dates the DateTime column of --iso-time (or a .jsonl output); add --iso-time");

    // Told before the input is read; the file is put in place without
    // replacing anything all the same, in case one appears meanwhile.
    // A folder is no file to replace, with --force or without.
    struct stat st {};
    if (!toStdout && ::lstat(out.c_str(), &st) == 0 && (!force || S_ISDIR(st.st_mode))) {
        std::cerr << "vt640-tool: "
                  << (S_ISDIR(st.st_mode) ? tool::notAFile(out) : out + " exists (--force replaces it)") << '\n';
        return 1;
    }

    RecordBuffer buffer;
    tool::LoggerInput input;
    if (!input.open(in, layout.value_or(vt640::layoutForPath(in))))
        return 1;
    try {
        buffer.reserve(input.recordCount());
    } catch (const std::exception&) {
        input.tooLarge();
        return 1;
    }
    if (!input.readAll([&buffer](const vt640::TBRecord* records, int n) {
            for (int i = 0; i < n; ++i)
                buffer.append(records[i]);
        }))
        return 1;

    if (toNative) {
        AtomicFile::Error failure = AtomicFile::Error::None;
        int error = 0;
        if (LoggerFileWriter::write(out, buffer.data(), static_cast<std::size_t>(buffer.size()), force, &failure,
                                    &error)
            == LoggerFileWriter::Status::Ok)
            return 0;
        std::cerr << "vt640-tool: " << atomicFailure(out, failure, error) << '\n';
        return 1;
    }

    // Dated record by record in file order, as they are written.
    RecordDating dating(date, vt640::RecorderClock::localZoneOffsetMinutes);

    if (toJsonLines) {
        AtomicFile file(out);
        file.setReplaceExisting(force);
        bool ok = file.open();
        std::string text;
        for (int i = 0; ok && i < buffer.size(); ++i) {
            appendRecordJson(text, buffer[i], i, dating.next(buffer[i]));
            if (text.size() >= (1 << 16) || i + 1 == buffer.size()) {
                ok = file.write(text);
                text.clear();
            }
        }
        if (!ok || !file.commit()) {
            std::cerr << "vt640-tool: " << atomicFailure(out, file.error(), file.systemError()) << '\n';
            return 1;
        }
        tellDating(dating, options.date);
        return 0;
    }

    // --iso-time: the DateTime column. The text asks for its cells in file
    // order; records before a page range are dated all the same, since a
    // date without a stamp follows from the records before it.
    int dated = 0;
    CsvExport::LeadingColumn dateTime;
    dateTime.header = "DateTime";
    dateTime.cell = [&](std::string& text, int index) {
        for (; dated < index; ++dated)
            dating.next(buffer[dated]);
        const auto when = dating.next(buffer[index]);
        dated = index + 1;
        if (when)
            vt640::appendRfc3339(text, when->at);
    };
    const CsvExport::LeadingColumn* leading = options.isoTime ? &dateTime : nullptr;

    // The pages as the recorder counts them after opening the file: the
    // records divided by the points per page, plus one; all of them unless
    // asked otherwise.
    CsvExport::Pages p;
    p.pointsPerPage = static_cast<int>(pointsPerPage.value_or(vt640::RecorderCore::kPointsPerPage));
    p.totalPages = vt640::page_math::totalPages(buffer.size(), p.pointsPerPage);
    p.first = pages ? pages->first : 1;
    p.last = pages ? pages->last : p.totalPages;

    if (toStdout) {
        if (!CsvExport::write(
                buffer, p, [](std::string_view text) { return writeAllTo(STDOUT_FILENO, text); }, leading)) {
            std::cerr << "vt640-tool: writing to standard output failed: " << tool::systemText(errno) << '\n';
            return 1;
        }
        if (leading)
            tellDating(dating, options.date);
        return 0;
    }
    AtomicFile file(out);
    file.setReplaceExisting(force);
    const bool ok = file.open()
                    && CsvExport::write(
                        buffer, p, [&file](std::string_view text) { return file.write(text); }, leading)
                    && file.commit();
    if (!ok) {
        std::cerr << "vt640-tool: " << atomicFailure(out, file.error(), file.systemError()) << '\n';
        return 1;
    }
    if (leading)
        tellDating(dating, options.date);
    return 0;
}
