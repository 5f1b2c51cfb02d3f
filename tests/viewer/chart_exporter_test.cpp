// The chart's picture and print actions, run as the recorder runs them:
// set PEnarg1, PEnarg2 and PEstrarg1, then PEactions.
#include "support/file_bytes.h"
#include "support/gui_test_app.h"
#include "support/recorder_like_page.h"
#include "support/scripted_prompt_service.h"
#include "viewer/chart_exporter.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <cstring>

using namespace vt640;
using Button = PromptService::Button;

using vt640::test::pdfPages;
using vt640::test::readAt;
using vt640::test::readFile;

namespace {

class ChartExporterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        graph_.resize(1000, 681);
        graph_.setPromptService(&prompts_);
        test::fillRecorderLikePage(graph_);
    }

    void run(PEGraph::Action action, int w, int h, const QString& file = {})
    {
        graph_.setPEnarg1(w);
        graph_.setPEnarg2(h);
        graph_.setPEstrarg1(file);
        graph_.setPEactions(action);
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    void printToPdf(const QString& file)
    {
        QPrinter& printer = graph_.exporter().printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
    }

    QApplication& app_ = test::guiApp(); // before any widget
    QTemporaryDir dir_;
    ScriptedPromptService prompts_;
    PEGraph graph_;
};

} // namespace

TEST_F(ChartExporterTest, WritesPicturesForPeopleToLookAt)
{
    const QByteArray out = qgetenv("VT640_SHOTS_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set VT640_SHOTS_DIR to write the pictures";
    const QDir shots(QString::fromLocal8Bit(out));
    QDir().mkpath(shots.path());
    run(PEGraph::gMetaToFile, 10000, 6810, shots.filePath(QStringLiteral("chart.emf")));
    run(PEGraph::gMetaToFile, 10000, 6810, shots.filePath(QStringLiteral("chart.wmf")));
    run(PEGraph::gMetaToFile, 10000, 6810, shots.filePath(QStringLiteral("chart.svg")));
    run(PEGraph::gMetaToFile, 10000, 6810, shots.filePath(QStringLiteral("chart.pdf")));
    run(PEGraph::gBmpToFile, 1000, 681, shots.filePath(QStringLiteral("chart.bmp")));
    graph_.setViewingStyle(PEGraph::gMonochrome);
    run(PEGraph::gResetImage, 0, 0);
    printToPdf(shots.filePath(QStringLiteral("printed.pdf")));
    run(PEGraph::gPrintGraph, 0, 0);
    graph_.setViewingStyle(PEGraph::gColor);
    run(PEGraph::gReinitAndReset, 0, 0);
    EXPECT_EQ(prompts_.messageCount(), 0) << prompts_.texts().join(QLatin1Char('\n')).toStdString();
}

TEST_F(ChartExporterTest, BitmapFileIsAWindowsBmpOfTheAskedSizeOrTheChartsOwn)
{
    run(PEGraph::gBmpToFile, 640, 400, path("asked.bmp"));
    run(PEGraph::gBmpToFile, 0, 0, path("own.bmp"));
    EXPECT_EQ(prompts_.messageCount(), 0) << prompts_.texts().join(QLatin1Char('\n')).toStdString();

    const QByteArray bmp = readFile(path("asked.bmp"));
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(readAt<uint32_t>(bmp, 2), static_cast<uint32_t>(bmp.size()));
    EXPECT_GE(readAt<uint32_t>(bmp, 14), 40u); // BITMAPINFOHEADER or later
    EXPECT_EQ(readAt<int32_t>(bmp, 18), 640);
    EXPECT_EQ(std::abs(readAt<int32_t>(bmp, 22)), 400);
    EXPECT_EQ(readAt<uint16_t>(bmp, 26), 1); // planes
    const QImage image(path("asked.bmp"), "BMP");
    ASSERT_EQ(image.size(), QSize(640, 400));
    // The chart is in it: the plot area is the recorder's black.
    EXPECT_EQ(image.pixelColor(300, 250), QColor(Qt::black));

    EXPECT_EQ(QImage(path("own.bmp"), "BMP").size(), QSize(1000, 681));
}

TEST_F(ChartExporterTest, FailuresAreShownWithTheReasonAndKeepTheOldFile)
{
    // A folder at the name.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("taken.bmp")));
    run(PEGraph::gBmpToFile, 640, 400, path("taken.bmp"));
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, QStringLiteral("Error[E9030]"));
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Stop);
    EXPECT_TRUE(prompts_.last().text.contains(path("taken.bmp")));
    EXPECT_TRUE(prompts_.last().text.contains(QStringLiteral("A folder has that name.")));
    EXPECT_EQ(graph_.lastActionError(), prompts_.last().text);

    // A size that cannot be drawn leaves the good file as it was.
    run(PEGraph::gMetaToFile, 10000, 6810, path("good.emf"));
    const QByteArray good = readFile(path("good.emf"));
    ASSERT_FALSE(good.isEmpty());
    for (const QSize bad : {QSize(0, 6810), QSize(-5, 100), QSize(10000, 99999999)}) {
        prompts_.clear();
        run(PEGraph::gMetaToFile, bad.width(), bad.height(), path("good.emf"));
        EXPECT_EQ(prompts_.captions(), QStringList{QStringLiteral("Error[E9030]")});
        EXPECT_EQ(readFile(path("good.emf")), good);
    }
    prompts_.clear();
    run(PEGraph::gBmpToFile, 20000, 100, path("huge.bmp"));
    EXPECT_EQ(prompts_.captions(), QStringList{QStringLiteral("Error[E9030]")});
    EXPECT_FALSE(QFile::exists(path("huge.bmp")));

    // The next action that works clears the error.
    prompts_.clear();
    run(PEGraph::gBmpToFile, 64, 48, path("small.bmp"));
    EXPECT_EQ(prompts_.messageCount(), 0);
    EXPECT_TRUE(graph_.lastActionError().isEmpty());
}

TEST_F(ChartExporterTest, MetafileNamesChooseEmfWmfSvgOrPdfAtTheStoredSize)
{
    const QStringList names{"a.emf", "noext", "b.WMF", "c.svg", "d.pdf"};
    for (const QString& name : names)
        run(PEGraph::gMetaToFile, 10000, 6810, path(name));
    EXPECT_EQ(prompts_.messageCount(), 0) << prompts_.texts().join(QLatin1Char('\n')).toStdString();

    for (const QString& name : {QStringLiteral("a.emf"), QStringLiteral("noext")}) {
        const QByteArray emf = readFile(path(name));
        EXPECT_EQ(readAt<uint32_t>(emf, 40), 0x464D4520u) << name.toStdString(); // " EMF"
        EXPECT_EQ(readAt<int32_t>(emf, 32), 10000);
        EXPECT_EQ(readAt<int32_t>(emf, 36), 6810);
    }
    EXPECT_EQ(readAt<uint32_t>(readFile(path("b.WMF")), 0), 0x9AC6CDD7u);

    QSvgRenderer svg(path("c.svg"));
    ASSERT_TRUE(svg.isValid());
    const QByteArray svgText = readFile(path("c.svg"));
    // Exactly the stored size, though the chart is laid out in whole pixels.
    static const QRegularExpression svgSize(QStringLiteral("<svg width=\"([\\d.]+)mm\" height=\"([\\d.]+)mm\""));
    const auto size = svgSize.match(QString::fromUtf8(svgText));
    ASSERT_TRUE(size.hasMatch()) << svgText.left(300).toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), 100.0, 0.005);
    EXPECT_NEAR(size.captured(2).toDouble(), 68.1, 0.005);
    EXPECT_TRUE(svgText.contains("Data Logger"));

    // A vector PDF of one page of 100 x 68.1 mm (283.46 x 193.04 points).
    const QByteArray pdf = readFile(path("d.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(pdfPages(pdf), 1);
    static const QRegularExpression box(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)"));
    const auto m = box.match(QString::fromLatin1(pdf));
    ASSERT_TRUE(m.hasMatch());
    // To 0.01 mm (0.028 points), though Qt sizes its pages in whole points.
    EXPECT_NEAR(m.captured(1).toDouble(), 283.465, 0.01);
    EXPECT_NEAR(m.captured(2).toDouble(), 193.039, 0.01);
    EXPECT_FALSE(pdf.contains("/Subtype /Image"));
}

TEST_F(ChartExporterTest, ChartMetafilesAreReadBackWithTheSeriesAsAPolylineAndTheLabelsAsText)
{
    run(PEGraph::gMetaToFile, 15000, 10215, path("page.emf"));
    run(PEGraph::gMetaToFile, 15000, 10215, path("page.wmf"));
    ASSERT_EQ(prompts_.messageCount(), 0);
    struct Reader {
        QString program;
        QStringList args;
        QString svg;
    };
    const QList<Reader> readers{
        {QStringLiteral("emf2svg-conv"), {"-i", path("page.emf"), "-o", path("emf.svg")}, path("emf.svg")},
        {QStringLiteral("wmf2svg"), {"-o", path("wmf.svg"), path("page.wmf")}, path("wmf.svg")},
    };
    for (const Reader& r : readers) {
        SCOPED_TRACE(r.program.toStdString());
        const QString exe = QStandardPaths::findExecutable(r.program);
        if (exe.isEmpty())
            GTEST_SKIP() << r.program.toStdString() << " is not installed";
        QProcess p;
        p.start(exe, r.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QString svg = QString::fromUtf8(readFile(r.svg));
        // The series: one silver line through all 200 points.
        static const QRegularExpression silver(
            QStringLiteral("<(path|polyline)[^>]*(d|points)=\"([^\"]*)\"[^>]*(silver|#C0C0C0)"),
            QRegularExpression::CaseInsensitiveOption);
        int longest = 0;
        for (auto it = silver.globalMatch(svg); it.hasNext();) {
            static const QRegularExpression pair(QStringLiteral("-?[\\d.]+\\s*,\\s*-?[\\d.]+"));
            int n = 0;
            for (auto p2 = pair.globalMatch(it.next().captured(3)); p2.hasNext(); p2.next())
                ++n;
            longest = std::max(longest, n);
        }
        EXPECT_EQ(longest, 200);
        // The titles and the newest point's time label as text.
        for (const char* text : {"Data Logger", "Reading", "Time", "14:06:39.500", "1600.000"})
            EXPECT_TRUE(svg.contains(QLatin1String(text))) << text;
    }
}

TEST_F(ChartExporterTest, ClipboardGetsTheBitmapOrTheMetafileInThreeForms)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    run(PEGraph::gBmpToClip, 320, 200);
    EXPECT_EQ(clipboard->image().size(), QSize(320, 200));

    run(PEGraph::gMetaToClip, 10000, 6810);
    ASSERT_EQ(prompts_.messageCount(), 0);
    const QMimeData* mime = clipboard->mimeData();
    ASSERT_TRUE(mime);
    const QByteArray emf = mime->data(QStringLiteral("image/x-emf"));
    EXPECT_EQ(readAt<uint32_t>(emf, 0), 1u);
    EXPECT_EQ(readAt<uint32_t>(emf, 40), 0x464D4520u);
    EXPECT_TRUE(QSvgRenderer(mime->data(QStringLiteral("image/svg+xml"))).isValid());
    QImage png;
    ASSERT_TRUE(png.loadFromData(mime->data(QStringLiteral("image/png")), "PNG"));
    EXPECT_EQ(png.size(), QSize(378, 257)); // 100 x 68.1 mm at 96 dpi

    // 400 cm is 15118 pixels at 96 dpi, beyond a bitmap's limit but not a
    // metafile's: the copy still succeeds, with a preview shrunk to fit.
    run(PEGraph::gMetaToClip, 400000, 10000);
    ASSERT_EQ(prompts_.messageCount(), 0);
    mime = clipboard->mimeData();
    ASSERT_TRUE(mime);
    EXPECT_EQ(readAt<uint32_t>(mime->data(QStringLiteral("image/x-emf")), 40), 0x464D4520u);
    EXPECT_TRUE(QSvgRenderer(mime->data(QStringLiteral("image/svg+xml"))).isValid());
    ASSERT_TRUE(png.loadFromData(mime->data(QStringLiteral("image/png")), "PNG"));
    EXPECT_EQ(png.size(), QSize(ChartExporter::kMaxBitmapSide, 250));
}

TEST_F(ChartExporterTest, PrintingGivesOnePagePerPrintAndMonochromeTurnsBackToColour)
{
    // Print this page, in the recorder's order.
    printToPdf(path("page.pdf"));
    graph_.setViewingStyle(PEGraph::gMonochrome);
    run(PEGraph::gResetImage, 0, 0);
    const QImage mono = graph_.exporter().bitmap(QSize(500, 340));
    EXPECT_EQ(mono.pixelColor(250, 170), QColor(Qt::white));
    run(PEGraph::gPrintGraph, 0, 0);
    graph_.setViewingStyle(PEGraph::gColor);
    run(PEGraph::gReinitAndReset, 0, 0);
    EXPECT_EQ(prompts_.messageCount(), 0) << prompts_.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(pdfPages(readFile(path("page.pdf"))), 1);
    EXPECT_EQ(graph_.exporter().bitmap(QSize(500, 340)).pixelColor(250, 170), QColor(Qt::black));

    // Three pages in one job are three pages of one document.
    printToPdf(path("pages.pdf"));
    graph_.exporter().beginPrintJob();
    for (int page = 2; page <= 4; ++page)
        run(PEGraph::gPrintGraph, 1000, 681);
    EXPECT_TRUE(graph_.exporter().endPrintJob());
    EXPECT_EQ(pdfPages(readFile(path("pages.pdf"))), 3);
}

TEST_F(ChartExporterTest, PrintDialogPrintsWhatTheUserChoseAndCancelPrintsNothing)
{
    prompts_.answerPrintDialog(false);
    run(PEGraph::gPrintDialog, 0, 0);
    ASSERT_EQ(prompts_.printDialogs().size(), 1);
    EXPECT_EQ(prompts_.printDialogs().last().owner, &graph_);
    EXPECT_EQ(prompts_.messageCount(), 0);
    EXPECT_TRUE(graph_.lastActionError().isEmpty());

    const QString file = path("chosen.pdf");
    prompts_.answerPrintDialog(true, [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
    });
    run(PEGraph::gPrintDialog, 0, 0);
    EXPECT_EQ(prompts_.messageCount(), 0) << prompts_.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(pdfPages(readFile(file)), 1);

    // Later prints keep the printer chosen.
    QFile::remove(file);
    run(PEGraph::gPrintGraph, 0, 0);
    EXPECT_EQ(pdfPages(readFile(file)), 1);
}

TEST_F(ChartExporterTest, PrintingWithoutAPrinterSaysSoAtOnce)
{
    QPrinter& printer = graph_.exporter().printer();
    // What Qt leaves when no printer is installed: PDF without a file.
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString());
    run(PEGraph::gPrintGraph, 0, 0);
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, QStringLiteral("Error[E9031]"));
    EXPECT_TRUE(prompts_.last().text.contains(QStringLiteral("No printer is installed.")))
        << prompts_.last().text.toStdString();

    // A print dialog without a prompt service to show it.
    graph_.setPromptService(nullptr);
    run(PEGraph::gPrintDialog, 0, 0);
    EXPECT_TRUE(graph_.lastActionError().endsWith(QStringLiteral("No dialog can be shown here.")));
}

TEST_F(ChartExporterTest, AnActionWithoutAnImplementationIsNeverSilent)
{
#ifdef QT_NO_DEBUG
    run(static_cast<PEGraph::Action>(7), 0, 0);
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, QStringLiteral("Error[E9033]"));
    EXPECT_TRUE(prompts_.last().text.contains(QStringLiteral("no action 7")));
#else
    EXPECT_DEATH(run(static_cast<PEGraph::Action>(7), 0, 0), "action not built");
#endif
}

TEST_F(ChartExporterTest, ExportingAtAnotherSizeLeavesTheShownChartLaidOutForTheMouse)
{
    graph_.show();
    graph_.replotNow();
    graph_.replotNow(); // the first pass measures inside the margins of none
    const QRect before = graph_.plot()->axisRect()->rect();
    const QStringList labels = graph_.visibleXLabels();
    run(PEGraph::gBmpToFile, 400, 300, path("small.bmp"));
    run(PEGraph::gMetaToFile, 30000, 20000, path("large.emf"));
    EXPECT_EQ(graph_.plot()->axisRect()->rect(), before);
    EXPECT_EQ(graph_.visibleXLabels().join(QLatin1Char(' ')).toStdString(),
              labels.join(QLatin1Char(' ')).toStdString());
    EXPECT_GT(labels.size(), 2);
}
