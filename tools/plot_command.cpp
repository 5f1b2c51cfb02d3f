// vt640-tool plot: a page of a logger file, or the whole file, drawn by the
// recorder's chart (or the graph viewer's) and written by the chart's
// exporter, without a display.
#include "commands.h"
#include "tool_support.h"

#include "recorder/core/logger_file_reader.h"
#include "recorder/core/page_math.h"
#include "recorder/core/recorder_core.h"
#include "recorder/recorder_chart.h"
#include "viewer/chart_exporter.h"
#include "viewer/core/safe_file_writer.h"
#include "viewer/fit_chart.h"
#include "viewer/pe_graph.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QPalette>

#include <algorithm>
#include <climits>
#include <exception>
#include <iostream>
#include <optional>
#include <vector>

#include <sys/stat.h>

namespace {

using vt640::RecorderCore;

int usage(const std::string& why) { return tool::usageError("plot", why); }

enum class Format { Bmp, Png, Vector };

std::optional<Format> formatFor(const std::string& out)
{
    if (tool::endsWith(out, ".bmp"))
        return Format::Bmp;
    if (tool::endsWith(out, ".png"))
        return Format::Png;
    for (const char* suffix : {".emf", ".wmf", ".svg", ".pdf"})
        if (tool::endsWith(out, suffix))
            return Format::Vector;
    return std::nullopt;
}

// "WxH" (also with "X" or the multiplication sign between).
std::optional<QSize> parseSize(const std::string& text)
{
    for (const std::string sep : {"x", "X", "\xC3\x97"}) {
        const std::size_t at = text.find(sep);
        if (at == std::string::npos)
            continue;
        const auto w = tool::integer(std::string_view(text).substr(0, at), 1, INT_MAX);
        const auto h = tool::integer(std::string_view(text).substr(at + sep.size()), 1, INT_MAX);
        if (!w || !h)
            return std::nullopt;
        return QSize(static_cast<int>(*w), static_cast<int>(*h));
    }
    return std::nullopt;
}

// Reads the file into the recorder's core as Open does: every record
// appended, the pages counted as records / points per page + 1, then all
// counted in (Y range, maximum and minimum), the last page current.
bool loadFile(const std::string& path, vt640::RecordLayout layout, RecorderCore& core)
{
    tool::LoggerInput input;
    if (!input.open(path, layout))
        return false;
    if (!core.reserveLoaded(input.recordCount()))
        return input.tooLarge();
    if (!input.readAll([&core](const vt640::TBRecord* records, int n) {
            for (int i = 0; i < n; ++i)
                core.appendLoaded(records[i]);
        }))
        return false;
    core.adoptLoaded();
    return true;
}

// Qt's own notices (no runtime folder on a headless box, and the like) are
// no concern of the user's; its errors still show.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toStdString() << '\n';
}

} // namespace

int runPlot(const PlotOptions& options)
{
    const std::string& in = options.input;
    const std::string& out = options.output;
    const bool whole = options.whole;
    const bool mono = options.mono;
    std::optional<long long> page;
    std::optional<QSize> size;
    std::optional<vt640::RecordLayout> layout;
    if (options.page) {
        // Out of range is clamped to the file's pages, as in the recorder's export.
        page = tool::integer(*options.page, 0, 999999999999999999LL);
        if (!page)
            return usage("--page takes a page number, not " + tool::quoted(*options.page));
    }
    if (options.size) {
        size = parseSize(*options.size);
        if (!size)
            return usage("--size takes WxH, two whole numbers of at least 1, not " + tool::quoted(*options.size));
    }
    if (options.layout) {
        layout = tool::layout(*options.layout);
        if (!layout)
            return usage("--layout takes 640, r27 or r26, not " + tool::quoted(*options.layout));
    }
    if (whole && page)
        return usage("--page and --whole do not go together");
    const auto format = formatFor(out);
    if (!format)
        return usage("OUT must end in .bmp, .png, .emf, .wmf, .svg or .pdf");
    // Told as convert and log tell it, before any work.
    struct stat st {};
    if (::stat(out.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::cerr << "vt640-tool: " << tool::notAFile(out) << '\n';
        return 1;
    }
    const QSize pictureSize = size.value_or(*format == Format::Vector ? QSize(10000, 6810) : QSize(1000, 681));

    // The chart is a widget, drawn here only into pictures: no display is
    // needed or used, whatever the environment names.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtMessages);
    static int argc = 1;
    static char name[] = "vt640-tool";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    RecorderCore core;
    if (!loadFile(in, layout.value_or(vt640::layoutForPath(in)), core))
        return 1;

    vt640::PEGraph graph;
    const QColor desk = QApplication::palette().color(QPalette::Button);
    std::optional<vt640::FitChart> fit;
    if (whole) {
        // The graph viewer's chart, opened on this buffer.
        fit.emplace(graph);
        fit->configure(desk);
        fit->load(core.buffer(), core.maxIndex(), core.minIndex(), core.upperY(), core.lowerY());
    } else {
        vt640::RecorderChart chart(graph);
        chart.configure(core, desk);
        const int shown =
            page ? static_cast<int>(std::clamp<long long>(*page, 1, core.totalPages())) : core.totalPages();
        core.setCurrentPage(shown);
        chart.showPage(core, shown);
    }
    if (mono) {
        // As for printing: black and white.
        graph.setViewingStyle(vt640::PEGraph::gMonochrome);
        graph.setPEactions(vt640::PEGraph::gResetImage);
    }

    vt640::ChartExporter exporter(graph);
    const QString path = QFile::decodeName(QByteArray::fromStdString(out));
    QString reason;
    bool ok = false;
    switch (*format) {
    case Format::Bmp: ok = exporter.bitmapToFile(path, pictureSize, &reason); break;
    case Format::Png: {
        const QImage image = exporter.bitmap(pictureSize, &reason);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ok = !image.isNull() && image.save(&buffer, "PNG") && vt640::SafeFileWriter::write(path, bytes, &reason);
        break;
    }
    case Format::Vector: ok = exporter.pictureToFile(path, pictureSize, &reason); break;
    }
    if (!ok) {
        if (reason.isEmpty())
            reason = QStringLiteral("the picture could not be made");
        std::cerr << "vt640-tool: cannot write " << out << ": " << reason.toStdString() << '\n';
        return 1;
    }
    return 0;
}
