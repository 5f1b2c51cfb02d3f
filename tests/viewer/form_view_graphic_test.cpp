// The graph viewer over a recorder's buffer, opened modally and driven with
// the mouse: the chart it loads, the strip, the cursor jumps, zoom and undo,
// printing and export through its dialog, and what closing leaves.
#include "recorder/core/recorder_core.h"
#include "support/test_readings.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "viewer/dlg_fit_export_form.h"
#include "viewer/fit_chart.h"
#include "viewer/form_view_graphic.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::makeReading;

namespace {

void click(QWidget* w)
{
    ASSERT_TRUE(w->isVisible() && w->isEnabled()) << w->objectName().toStdString();
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

// What the chart was asked to do, with the style and arguments it had then.
struct Action {
    PEGraph::Action action;
    PEGraph::ViewingStyle style;
    int narg1, narg2;
    QString strarg1;
    bool operator==(const Action&) const = default;
};

void PrintTo(const Action& a, std::ostream* os)
{
    *os << "{action " << a.action << ", style " << a.style << ", " << a.narg1 << " x " << a.narg2 << ", \""
        << a.strarg1.toStdString() << "\"}";
}

Action act(PEGraph::Action a, PEGraph::ViewingStyle style, int n1 = 0, int n2 = 0, const QString& s = {})
{
    return {a, style, n1, n2, s};
}

constexpr auto kMono = PEGraph::gMonochrome;
constexpr auto kColor = PEGraph::gColor;

class FormViewGraphicTest : public ::testing::Test {
protected:
    FormViewGraphicTest()
    {
        viewer.setRecorder(&core);
        viewer.setExportDialog(&dialog);
        QObject::connect(viewer.graph(), &PEGraph::actionStarted, [this](PEGraph::Action a) {
            const PEGraph& g = *viewer.graph();
            actions.push_back({a, g.viewingStyle(), g.PEnarg1(), g.PEnarg2(), g.PEstrarg1()});
        });
    }

    // Logs `n` power readings with the values `value(i)` through the recorder's core.
    void log(int n, const std::function<double(int)>& value)
    {
        for (int i = 0; i < n; ++i) {
            char main[32];
            std::snprintf(main, sizeof main, "%.3f", value(i));
            MeterReading r = makeReading(main, "3", code::ActivePower1, main, "W", "k");
            r.subText = i % 2 ? "0.91" : "0.97";
            r.subFunction = i % 3 ? "PF" : "Hz";
            core.logOneRecord(r);
            clock.advance(500);
        }
    }

    // Opens the viewer as Fit all data does and runs `inside` while it is
    // up; Close ends it unless `inside` did.
    void whileOpen(const std::function<void()>& inside)
    {
        bool ran = false;
        QTimer::singleShot(0, &viewer, [&] {
            ran = true;
            EXPECT_EQ(QApplication::activeModalWidget(), &viewer);
            inside();
            if (viewer.isVisible())
                click(viewer.bbtnClose);
        });
        viewer.showModal();
        ASSERT_TRUE(ran);
        EXPECT_FALSE(viewer.isVisible());
    }

    // Presses Export and runs `inDialog` in the export dialog, which then
    // exports unless `inDialog` closed it.
    void exportWith(const std::function<void()>& inDialog)
    {
        QTimer::singleShot(0, &dialog, [this, inDialog] {
            ASSERT_TRUE(dialog.isVisible());
            inDialog();
            if (dialog.isVisible())
                click(dialog.btnExport);
        });
        click(viewer.sbtnExport);
    }

    // A rubber band dragged over the plot with the mouse.
    void dragZoom()
    {
        viewer.graph()->replotNow(); // lays the plot out
        QCustomPlot* plot = viewer.graph()->plot();
        const QRect area = plot->axisRect()->rect();
        const QPoint from = area.center() - QPoint(area.width() / 6, area.height() / 6);
        const QPoint to = area.center() + QPoint(area.width() / 6, area.height() / 6);
        QTest::mousePress(plot, Qt::LeftButton, {}, from);
        QTest::mouseMove(plot, (from + to) / 2);
        QTest::mouseMove(plot, to);
        QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
    }

    QString timeOf(int record) const { return QString::fromLatin1(core.buffer()[record].head.timeText); }
    float valueOf(int record) const { return core.buffer()[record].head.value; }

    QApplication& app = test::guiApp();
    FakeClock clock;
    RecorderCore core{clock};
    ScriptedPromptService prompts;
    TDlgFitExportForm dialog{prompts};
    TFormViewGraphic viewer{prompts};
    std::vector<Action> actions;
};

TEST_F(FormViewGraphicTest, OpensMaximisedWithEveryRecordAndTheExtremesInTheStrip)
{
    // 450 records: the maximum at 123 (2.5 kW), the minimum at 322 (0.2 kW).
    log(450, [](int i) { return i == 123 ? 2.5 : i == 322 ? 0.2 : 1.0 + (i % 10) * 0.01; });
    ASSERT_EQ(core.maxIndex(), 123);
    ASSERT_EQ(core.minIndex(), 322);
    PEGraph& g = *viewer.graph();
    whileOpen([&] {
        // As large as a window may be, with its title bar on the screen
        // (the window manager fits the frame of a maximised window in).
        EXPECT_FALSE(viewer.isFullScreen());
        EXPECT_TRUE(viewer.isMaximized());
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(viewer.frameGeometry().topLeft(), available.topLeft());
        EXPECT_EQ(viewer.geometry().size(), available.size());
        EXPECT_EQ(viewer.focusWidget(), &g);
        EXPECT_EQ(viewer.windowTitle(), "Graphical viewer");
        EXPECT_EQ(g.mainTitle(), "Data Logger");
        EXPECT_EQ(g.yAxisLabel(), "Reading");
        EXPECT_EQ(g.xAxisLabel(), "Time");
        EXPECT_EQ(g.subsetColors(0), QColor(Qt::blue));
        EXPECT_EQ(g.subsetLineTypes(0), 9);

        ASSERT_EQ(g.points(), 450);
        for (int j = 0; j < 450; ++j) {
            ASSERT_EQ(g.yData(0, j), valueOf(j)) << j;
            ASSERT_EQ(g.pointLabels(j), timeOf(j)) << j;
        }
        EXPECT_EQ(g.manualMaxY(), core.upperY());
        EXPECT_EQ(g.manualMinY(), core.lowerY());
        EXPECT_EQ(g.cursorPoint(), 0);
        EXPECT_FALSE(viewer.sbtnUndoZoom->isEnabled());

        EXPECT_EQ(viewer.MaxTimePanel->text(), timeOf(123));
        EXPECT_EQ(viewer.MaxDataPanel->text(), "2.500");
        EXPECT_EQ(viewer.MaxUnitPanel->text(), "k");
        EXPECT_EQ(viewer.MaxFuncPanel->text(), "W");
        EXPECT_EQ(viewer.MaxPFPanel->text(), "0.91");
        EXPECT_EQ(viewer.LabelMaxSubFunc->text(), "Hz");
        EXPECT_EQ(viewer.MinTimePanel->text(), timeOf(322));
        // 500 ms a record from 14:05:09.300, two hours east of UTC.
        EXPECT_EQ(viewer.MaxTimePanel->toolTip(), "2024-06-01 14:06:10.800 UTC+02:00");
        EXPECT_EQ(viewer.MinTimePanel->toolTip(), "2024-06-01 14:07:50.300 UTC+02:00");
        EXPECT_EQ(viewer.MinDataPanel->text(), "0.200");
        EXPECT_EQ(viewer.MinPFPanel->text(), "0.97");
        EXPECT_EQ(viewer.LabelMinSubFunc->text(), "PF");
        EXPECT_EQ(viewer.MaxDataPanel->palette().color(QPalette::WindowText), QColor(Qt::red));
        EXPECT_EQ(viewer.MinDataPanel->palette().color(QPalette::WindowText), QColor(255, 0, 255));

        // In all-records mode the panels lead to the records' own points.
        click(viewer.MaxDataPanel);
        EXPECT_EQ(g.cursorPoint(), 123);
        click(viewer.MinDataPanel);
        EXPECT_EQ(g.cursorPoint(), 322);
    });

    // Closed: a hundred points of the first records between +/-100.
    EXPECT_EQ(g.points(), 100);
    EXPECT_EQ(g.manualMaxY(), 100.0);
    EXPECT_EQ(g.manualMinY(), -100.0);
    EXPECT_EQ(g.yData(0, 99), valueOf(99));
    EXPECT_EQ(g.pointLabels(0), timeOf(0));
}

TEST_F(FormViewGraphicTest, EscapeClosesItAsCloseDoes)
{
    log(450, [](int i) { return 1.0 + (i % 20) * 0.05; });
    PEGraph& g = *viewer.graph();
    whileOpen([&] {
        ASSERT_EQ(viewer.focusWidget(), &g);
        QTest::keyClick(&g, Qt::Key_Left); // the chart's own keys still move its cursor
        QTest::keyClick(&g, Qt::Key_Escape);
        EXPECT_FALSE(viewer.isVisible());
    });
    EXPECT_EQ(g.points(), 100); // shrunk, as after Close
}

TEST_F(FormViewGraphicTest, ResistanceShowsItsUnitAsOmega)
{
    // The records keep "W" for ohms, as the meter's files do.
    for (int i = 0; i < 300; ++i) {
        char main[32];
        std::snprintf(main, sizeof main, "%.3f", i == 10 ? 4.7 : i == 20 ? 0.1 : 1.0);
        core.logOneRecord(makeReading(main, "3", code::Ohms, main, "W", "k"));
        clock.advance(500);
    }
    whileOpen([&] {
        EXPECT_EQ(viewer.MaxDataPanel->text(), "4.700");
        EXPECT_EQ(viewer.MaxUnitPanel->text(), "k");
        EXPECT_EQ(viewer.MaxFuncPanel->text(), QString(QChar(0x03A9)));
        EXPECT_EQ(viewer.MinFuncPanel->text(), QString(QChar(0x03A9)));
    });
}

TEST_F(FormViewGraphicTest, ALongBufferIsReducedAndThePanelsFindTheExtremes)
{
    // 10239 records (blocks of 4). The maximum 9.0 comes twice in one block
    // (5001 and 5003): the recorder keeps the newer, the block the earlier.
    log(10239, [](int i) {
        if (i == 5001 || i == 5003)
            return 9.0;
        return i == 7777 ? 0.1 : 1.0 + std::sin(i / 50.0) * 0.5;
    });
    ASSERT_EQ(core.maxIndex(), 5003);
    ASSERT_EQ(core.minIndex(), 7777);
    PEGraph& g = *viewer.graph();
    whileOpen([&] {
        const FitReduction& r = viewer.chart().reduction();
        ASSERT_FALSE(r.allRecords());
        ASSERT_EQ(g.points(), 5120);
        for (int j = 0; j < g.points(); ++j) {
            ASSERT_EQ(g.yData(0, j), valueOf(r.indexList()[static_cast<std::size_t>(j)])) << j;
            ASSERT_EQ(g.pointLabels(j), timeOf(r.indexList()[static_cast<std::size_t>(j)])) << j;
        }

        click(viewer.MaxDataPanel);
        EXPECT_EQ(r.recordAt(g.cursorPoint()), 5001);
        EXPECT_EQ(g.yData(0, g.cursorPoint()), valueOf(5003));
        click(viewer.MinDataPanel);
        EXPECT_EQ(r.recordAt(g.cursorPoint()), 7777);
    });
    EXPECT_EQ(viewer.chart().reduction().indexList().capacity(), 0u);
    EXPECT_EQ(g.points(), 100);

    // The next opening rebuilds everything, for a buffer that has grown.
    log(2000, [](int i) { return i == 1000 ? 12.0 : 1.0; });
    whileOpen([&] {
        EXPECT_EQ(g.points(), 2 * ((12239 + 4) / 5)); // blocks of 5
        click(viewer.MaxDataPanel);
        EXPECT_EQ(viewer.chart().reduction().recordAt(g.cursorPoint()), 11239);
    });
}

TEST_F(FormViewGraphicTest, ZoomOffersUndoAndUndoOrANewOpeningTakesItBack)
{
    log(450, [](int i) { return 1.0 + (i % 20) * 0.05; });
    PEGraph& g = *viewer.graph();
    whileOpen([&] {
        dragZoom();
        EXPECT_TRUE(g.zoomed());
        EXPECT_TRUE(viewer.sbtnUndoZoom->isEnabled());
        click(viewer.sbtnUndoZoom);
        EXPECT_FALSE(g.zoomed());
        EXPECT_FALSE(viewer.sbtnUndoZoom->isEnabled());
        dragZoom(); // and closed zoomed
        EXPECT_TRUE(viewer.sbtnUndoZoom->isEnabled());
    });
    whileOpen([&] {
        EXPECT_FALSE(g.zoomed());
        EXPECT_FALSE(viewer.sbtnUndoZoom->isEnabled());
    });
}

TEST_F(FormViewGraphicTest, PrintsInBlackAndWhiteAndShowsColourAgain)
{
    log(450, [](int i) { return i * 0.01; });
    whileOpen([&] {
        actions.clear();
        click(viewer.sbtnPrint);
    });
    ASSERT_GE(actions.size(), 3u);
    const std::vector<Action> expected = {act(PEGraph::gResetImage, kMono), act(PEGraph::gPrintDialog, kMono),
                                          act(PEGraph::gResetImage, kColor)};
    EXPECT_EQ(std::vector<Action>(actions.begin(), actions.begin() + 3), expected);
}

TEST_F(FormViewGraphicTest, ExportPresetsAPictureOfThisPageAndRefusesAFileWithoutName)
{
    log(450, [](int i) { return i * 0.01; });
    whileOpen([&] {
        actions.clear();
        exportWith([&] {
            EXPECT_FALSE(dialog.rbtnText->isVisible());
            EXPECT_FALSE(dialog.rbtnText->isEnabled());
            EXPECT_TRUE(dialog.rbtnMetaFile->isChecked());
            EXPECT_TRUE(dialog.rbtnClipBoard->isChecked());
            EXPECT_TRUE(dialog.rbtnMillimeters->isChecked());
            EXPECT_EQ(dialog.editWidth->text(), "100");
            EXPECT_EQ(dialog.editHigh->text(), "68.1");
            EXPECT_TRUE(dialog.rbtnThisPage->isChecked());
            EXPECT_EQ(dialog.editPageFrom->text(), "1");
            EXPECT_EQ(dialog.editPageTo->text(), "1");
            EXPECT_TRUE(dialog.stxFileName->text().isEmpty());
            click(dialog.btnCancel);
        });
        EXPECT_TRUE(actions.empty());

        // File chosen but no name browsed: the error, and nothing exported.
        exportWith([&] { click(dialog.rbtnFile); });
        ASSERT_EQ(prompts.messageCount(), 1);
        EXPECT_EQ(prompts.last().caption, "Error[E9013]");
        EXPECT_EQ(prompts.last().text, "Please \"Browse\" and specify a file name !");
        EXPECT_EQ(prompts.last().icon, PromptService::Icon::Stop);
        EXPECT_TRUE(actions.empty());
    });
}

TEST_F(FormViewGraphicTest, ExportRunsTheChartsActionForEachTypeAndDestination)
{
    log(450, [](int i) { return i * 0.01; });
    QTemporaryDir dir;
    const QString bmp = dir.filePath("whole.bmp");
    whileOpen([&] {
        // The presets: a metafile of 100 x 68.1 mm to the clipboard.
        actions.clear();
        exportWith([] {});
        EXPECT_EQ(actions.front(), act(PEGraph::gMetaToClip, kColor, 10000, 6810));

        actions.clear();
        exportWith([&] {
            click(dialog.rbtnBitMap);
            click(dialog.rbtnFile);
            prompts.answerFileName(bmp);
            click(dialog.btnBrowse);
        });
        EXPECT_EQ(actions.front(), act(PEGraph::gBmpToFile, kColor, 1000, 681, bmp));

        // A bitmap to the printer prints as the Print button does, at the size given.
        actions.clear();
        exportWith([&] {
            EXPECT_TRUE(dialog.rbtnClipBoard->isChecked()); // MetaFile selected again
            click(dialog.rbtnBitMap);
            click(dialog.rbtnPrinter);
        });
        ASSERT_GE(actions.size(), 3u);
        EXPECT_EQ(std::vector<Action>(actions.begin(), actions.begin() + 3),
                  (std::vector<Action>{act(PEGraph::gResetImage, kMono, 1000, 681),
                                       act(PEGraph::gPrintDialog, kMono, 1000, 681),
                                       act(PEGraph::gResetImage, kColor, 1000, 681)}));

        // A metafile to the printer, in inches (10 x 3 inches, typed).
        actions.clear();
        exportWith([&] {
            click(dialog.rbtnPrinter);
            click(dialog.rbtnInches);
            dialog.editWidth->selectAll();
            QTest::keyClicks(dialog.editWidth, "10");
            dialog.editHigh->selectAll();
            QTest::keyClicks(dialog.editHigh, "3");
            EXPECT_TRUE(dialog.rbtnThisPage->isChecked());
            EXPECT_FALSE(dialog.rbtnPageAll->isEnabled());
        });
        ASSERT_GE(actions.size(), 3u);
        EXPECT_EQ(std::vector<Action>(actions.begin(), actions.begin() + 3),
                  (std::vector<Action>{act(PEGraph::gResetImage, kMono, 25400, 7620),
                                       act(PEGraph::gPrintGraph, kMono, 25400, 7620),
                                       act(PEGraph::gReinitAndReset, kColor, 0, 0)}));

        // MetaFile was selected already: the destination, unit and size stay.
        actions.clear();
        exportWith([&] {
            EXPECT_TRUE(dialog.rbtnPrinter->isChecked());
            EXPECT_TRUE(dialog.rbtnInches->isChecked());
            EXPECT_EQ(dialog.editWidth->text(), "10");
            click(dialog.btnCancel);
        });
        EXPECT_TRUE(actions.empty());
    });
}

} // namespace
