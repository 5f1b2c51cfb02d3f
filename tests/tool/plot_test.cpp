// vt640-tool plot: pictures of a logger file without a display, drawn as
// the recorder draws a page after Open and as the graph viewer draws the
// whole file.
#include "tool/tool_process.h"

#include "app/core/global_state.h"
#include "meter/meter_reading.h"
#include "recorder/core/record_text.h"
#include "recorder/graphical_form.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "viewer/form_view_graphic.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <cstring>

using namespace vt640;
using namespace vt640::test;

namespace {

TBRecord record(int i)
{
    TBRecord r;
    char value[16];
    const double volts = 229.0 + 6.0 * std::sin(i / 40.0) + (i % 11) * 0.3;
    std::snprintf(value, sizeof value, "%.1f", volts);
    copyText(r.head.mainText, value);
    copyText(r.head.exponentText, "0");
    r.head.functionCode = code::AcVolts;
    // Each record's own time, so a page's labels tell which page it is.
    char time[16];
    std::snprintf(time, sizeof time, "%3d:%02d:%02d.%-3d", 10 + i / 3600, i / 60 % 60, i % 60, i % 10);
    copyText(r.head.timeText, time);
    copyText(r.head.valueText, value);
    copyText(r.head.unitText, "V");
    r.head.value = static_cast<float>(volts);
    copyText(r.energyText, "----");
    return r;
}

fs::path writeFile(const fs::path& dir, const std::string& name, int n)
{
    std::string bytes;
    for (int i = 0; i < n; ++i) {
        const TBRecord r = record(i);
        bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    spit(dir / name, bytes);
    return dir / name;
}

std::uint32_t word(const std::string& bytes, std::size_t at)
{
    std::uint32_t w = 0;
    if (bytes.size() >= at + 4)
        std::memcpy(&w, bytes.data() + at, 4);
    return w;
}

// Reads a metafile with a converter no one here wrote; the SVG it makes.
std::string readBack(const QString& program, const QStringList& args, const fs::path& svg)
{
    const QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty())
        return "not installed";
    QProcess p;
    p.start(exe, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return slurp(svg);
}

} // namespace

TEST(PlotCommand, WritesAllSixFormatsWithoutADisplay)
{
    const fs::path dir = scratch("plot-formats");
    const fs::path in = writeFile(dir, "day.640", 450);
    ToolOptions headless;
    headless.noDisplay = true;
    for (const char* name : {"p.bmp", "p.png", "p.emf", "p.wmf", "p.svg", "p.pdf", "small.bmp", "small.png"}) {
        std::vector<std::string> args{"plot", in.string(), "-o", (dir / name).string()};
        if (std::string(name).rfind("small", 0) == 0)
            args.insert(args.end(), {"--size", "300x200"});
        const ToolRun r = runTool(args, headless);
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
    // A file that ends in part of a record draws as its whole records do,
    // and the left-out bytes are said.
    spit(dir / "torn.640", slurp(in) + "abc");
    const ToolRun torn = runTool({"plot", (dir / "torn.640").string(), "-o", (dir / "torn.png").string()}, headless);
    EXPECT_EQ(torn.status, 0);
    EXPECT_EQ(torn.err, "vt640-tool: " + (dir / "torn.640").string()
                            + " ends in part of a record: its last 3 bytes are ignored\n");
    EXPECT_EQ(slurp(dir / "torn.png"), slurp(dir / "p.png"));

    // Bitmaps of the export dialog's default size, or the one asked for.
    const std::string bmp = slurp(dir / "p.bmp");
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(slurp(dir / "p.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(QImage(QString::fromStdString((dir / "p.bmp").string()), "BMP").size(), QSize(1000, 681));
    EXPECT_EQ(QImage(QString::fromStdString((dir / "p.png").string()), "PNG").size(), QSize(1000, 681));
    EXPECT_EQ(QImage(QString::fromStdString((dir / "small.bmp").string()), "BMP").size(), QSize(300, 200));
    EXPECT_EQ(QImage(QString::fromStdString((dir / "small.png").string()), "PNG").size(), QSize(300, 200));

    // An enhanced metafile (header record, " EMF"), a placeable WMF, SVG and PDF.
    const std::string emf = slurp(dir / "p.emf");
    EXPECT_EQ(word(emf, 0), 1u);
    EXPECT_EQ(word(emf, 40), 0x464D4520u);
    EXPECT_EQ(word(slurp(dir / "p.wmf"), 0), 0x9AC6CDD7u);
    const std::string svg = slurp(dir / "p.svg");
    EXPECT_TRUE(QSvgRenderer(QByteArray::fromStdString(svg)).isValid());
    const std::string pdf = slurp(dir / "p.pdf");
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);

    // Read back by the converters: the chart's title and the axis caption
    // the recorder's readout gives the last record.
    auto path = [&dir](const char* name) { return QString::fromStdString((dir / name).string()); };
    for (const std::string& converted :
         {readBack(QStringLiteral("emf2svg-conv"), {"-i", path("p.emf"), "-o", path("emf.svg")}, dir / "emf.svg"),
          readBack(QStringLiteral("wmf2svg"), {"-o", path("wmf.svg"), path("p.wmf")}, dir / "wmf.svg"), svg}) {
        if (converted == "not installed")
            continue;
        EXPECT_NE(converted.find("Data Logger"), std::string::npos);
        EXPECT_NE(converted.find("Reading(V)"), std::string::npos);
    }

    // Wrong asks: exit status 2 or 1, what is wrong on standard error, no file.
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string said;
    };
    fs::create_directories(dir / "folder.png");
    const Case cases[] = {
        {{"plot", in.string(), "-o", (dir / "x.gif").string()}, 2, "OUT must end"},
        {{"plot", in.string(), "-o", (dir / "x.png").string(), "--size", "0x10"}, 2, "'0x10'"},
        {{"plot", in.string(), "-o", (dir / "x.png").string(), "--page", "2", "--whole"}, 2, "--whole"},
        {{"plot", in.string(), "-o", (dir / "x.png").string(), "--size", "20000x20000"}, 1, "x.png"},
        {{"plot", (dir / "none.640").string(), "-o", (dir / "x.png").string()}, 1, "No such file or directory"},
        {{"plot", in.string(), "-o", (dir / "no/such/x.svg").string()}, 1, "x.svg"},
        // Said as convert and log say it.
        {{"plot", in.string(), "-o", (dir / "folder.png").string()}, 1, (dir / "folder.png").string() + " is a folder"},
    };
    for (const Case& c : cases) {
        const ToolRun r = runTool(c.args, headless);
        EXPECT_EQ(r.status, c.status) << c.args[3];
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "x.png"));
    EXPECT_FALSE(fs::exists(dir / "x.gif"));
    fs::remove_all(dir);
}

// The tool's picture of a page, and of the whole file, against the very
// picture the recorder window (after Open, paged with its buttons) and the
// graph viewer export: byte for byte the same.
TEST(PlotCommand, DrawsPagesAsTheRecorderAndTheWholeFileAsTheViewer)
{
    guiApp();
    const fs::path dir = scratch("plot-same");
    const fs::path pages = writeFile(dir, "pages.640", 450);
    const fs::path large = writeFile(dir, "large.640", 10000);
    auto tool = [&dir](const fs::path& in, const std::vector<std::string>& options, const char* name) {
        std::vector<std::string> args{"plot", in.string(), "-o", (dir / name).string(), "--size", "800x500"};
        args.insert(args.end(), options.begin(), options.end());
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return slurp(dir / name);
    };
    const std::string last = tool(pages, {}, "last.bmp");
    const std::string page1 = tool(pages, {"--page", "1"}, "page1.bmp");
    const std::string page2 = tool(pages, {"--page", "2"}, "page2.bmp");
    const std::string clamped = tool(pages, {"--page", "99"}, "page99.bmp");
    const std::string mono = tool(pages, {"--mono"}, "mono.bmp");
    const std::string whole = tool(large, {"--whole"}, "whole.bmp");
    EXPECT_EQ(clamped, last);

    // A picture the user may not write stays as it was, though the folder is theirs.
    spit(dir / "locked.png", "locked picture");
    fs::permissions(dir / "locked.png", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir, fs::perms::all);
    ToolOptions user;
    user.asNobody = true;
    const ToolRun locked = runTool({"plot", pages.string(), "-o", (dir / "locked.png").string()}, user);
    EXPECT_EQ(locked.status, 1);
    EXPECT_NE(locked.err.find("write-protected"), std::string::npos) << locked.err;
    EXPECT_EQ(slurp(dir / "locked.png"), "locked picture");
    EXPECT_NE(page1, page2);
    EXPECT_NE(page2, last);
    EXPECT_NE(mono, last);

    GlobalState state;
    state.workingDirectory = QString::fromStdString(dir.string());
    ScriptedPromptService prompts;
    MeterReading reading;
    TGraphicalForm form(state, prompts, reading);
    form.resize(1280, 720);
    form.show();
    PEGraph& g = *form.graph();
    auto exported = [&g, &dir](const char* name) {
        g.setPEnarg1(800);
        g.setPEnarg2(500);
        g.setPEstrarg1(QString::fromStdString((dir / name).string()));
        g.setPEactions(PEGraph::gBmpToFile);
        return slurp(dir / name);
    };
    prompts.answerFileName(QString::fromStdString(pages.string()));
    form.sbtnOpenFile->click();
    ASSERT_EQ(form.core().recordCount(), 450);
    EXPECT_EQ(exported("form-last.bmp"), last);
    form.sbtnPageUp->click();
    EXPECT_EQ(exported("form-page2.bmp"), page2);
    form.sbtnPageUp->click();
    EXPECT_EQ(exported("form-page1.bmp"), page1);

    // Fit all data on the large file.
    prompts.answer(PromptService::Button::Ok); // Open clears the unsaved buffer first
    prompts.answerFileName(QString::fromStdString(large.string()));
    form.sbtnOpenFile->click();
    ASSERT_EQ(form.core().recordCount(), 10000);
    TFormViewGraphic viewer(prompts);
    viewer.setRecorder(&form.core());
    std::string viewed;
    QTimer::singleShot(0, &viewer, [&] {
        PEGraph& v = *viewer.graph();
        v.setPEnarg1(800);
        v.setPEnarg2(500);
        v.setPEstrarg1(QString::fromStdString((dir / "viewer.bmp").string()));
        v.setPEactions(PEGraph::gBmpToFile);
        viewed = slurp(dir / "viewer.bmp");
        viewer.close();
    });
    viewer.showModal();
    EXPECT_EQ(viewed, whole);
    // Only the question whether to clear the first file's records.
    EXPECT_EQ(prompts.messageCount(), 1) << prompts.texts().join(QLatin1Char('\n')).toStdString();
    fs::remove_all(dir);
}
