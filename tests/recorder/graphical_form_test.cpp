// The recorder window: logging control, the graph and its panels, and the
// temporary files, driven the way the main window drives it.
#include "app/core/global_state.h"
#include "recorder/dialog_option.h"
#include "recorder/graphical_form.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "support/test_readings.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <qcustomplot.h>

#include <cmath>
#include <memory>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::makeReading;
using vt640::test::volts;
using Button = PromptService::Button;

namespace {

class GraphicalFormTest : public ::testing::Test {
protected:
    GraphicalFormTest()
    {
        state.workingDirectory = dir.path();
        form = std::make_unique<TGraphicalForm>(state, prompts, reading);
        form->setClock(clock);
        form->setIntervalDialog(dialog);
    }

    // One delivered reading, as the acquisition cycle hands it over.
    void deliver(const MeterReading& r)
    {
        reading = r;
        state.readingAvailable = true;
        if (form->sampleRequested())
            form->meterReadingArrived();
    }

    // The interval dialog answered with `manual` and `seconds`.
    void chooseInterval(bool manual, const QString& secondsAnswer = {})
    {
        QTimer::singleShot(0, &dialog, [this, manual, secondsAnswer] {
            (manual ? dialog.rbtnManual : dialog.rbtnAutomatic)->click();
            if (!secondsAnswer.isNull()) {
                dialog.cbxInterval->setCurrentIndex(0);
                prompts.answerText(secondsAnswer);
                dialog.cbxInterval->setCurrentIndex(1);
            }
            dialog.accept();
        });
        form->sbtnOption->click();
    }

    void logManually(int n, double start = 0.0)
    {
        state.readingAvailable = true;
        for (int i = 0; i < n; ++i) {
            reading = volts(start + i);
            form->manualLogging();
            clock.advance(750);
        }
    }

    QString tempFile(int n) const { return dir.filePath(QStringLiteral("~KRMDL%1.TMP").arg(n)); }

    QApplication& app = test::guiApp(); // before any widget member
    QTemporaryDir dir;
    GlobalState state;
    ScriptedPromptService prompts;
    MeterReading reading;
    FakeClock clock;
    TDialogOption dialog{prompts};
    std::unique_ptr<TGraphicalForm> form;
};

} // namespace

TEST_F(GraphicalFormTest, InitialState)
{
    EXPECT_TRUE(form->bufferEmpty());
    EXPECT_FALSE(form->unsavedData());
    EXPECT_FALSE(form->sampleRequested());
    EXPECT_TRUE(form->sbtnRecordStop->isChecked());
    EXPECT_FALSE(form->TimerLogger->isActive());
    EXPECT_TRUE(form->TimerTime->isActive());
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelLogging), "");
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelRecordCount), "Data in buffer : 0");
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelPage), "Page : 1 of 1");
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelMode), "Full Speed");
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelClock), "  PM 02:05:09\"");
    EXPECT_FALSE(form->sbtnUndoZoom->isEnabled());
    EXPECT_FALSE(form->miUndoZoom->isEnabled());
    EXPECT_FALSE(form->sbtnClear->isEnabled());
    EXPECT_FALSE(form->sbtnManualLogging->isEnabled());
    EXPECT_EQ(form->graph()->points(), 200);
    EXPECT_EQ(form->graph()->mainTitle(), "Data Logger");
    EXPECT_EQ(form->graph()->manualMaxY(), 100.0);
    EXPECT_EQ(form->miStart->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(form->miFirstPage->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_PageUp));
}

TEST_F(GraphicalFormTest, StartBeforeAnyReadingShowsE9002)
{
    form->sbtnRecordStart->click();
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9002]");
    EXPECT_EQ(prompts.last().text,
              "You must link to the DMM by clicking the link button before starting data logging.");
    EXPECT_EQ(prompts.last().icon, PromptService::Icon::Stop);
    EXPECT_TRUE(form->sbtnRecordStop->isChecked());
    EXPECT_FALSE(form->sbtnRecordStart->isChecked());
    EXPECT_FALSE(form->logging());
    EXPECT_FALSE(form->sampleRequested());
    EXPECT_FALSE(form->TimerLogger->isActive());
    EXPECT_FALSE(QFileInfo::exists(tempFile(1)));

    // Manual log without a reading: the same box.
    chooseInterval(true);
    form->sbtnManualLogging->click();
    EXPECT_EQ(prompts.messageCount(), 2);
    EXPECT_EQ(prompts.last().caption, "Error[E9002]");
    EXPECT_TRUE(form->bufferEmpty());
}

TEST_F(GraphicalFormTest, AutomaticLoggingAtFullSpeed)
{
    state.readingAvailable = true;
    form->sbtnRecordStart->click();
    EXPECT_TRUE(form->logging());
    EXPECT_TRUE(form->sampleRequested());
    EXPECT_TRUE(form->TimerLogger->isActive());
    EXPECT_EQ(form->TimerLogger->interval(), 500);
    EXPECT_TRUE(QFileInfo::exists(tempFile(1)));

    QList<int> rows;
    QObject::connect(&form->session(), &RecorderSession::recordAppended, [&](int i) { rows << i; });
    deliver(volts(1.5));
    EXPECT_FALSE(form->sampleRequested());
    EXPECT_EQ(form->buffer().size(), 1);
    deliver(volts(2.5)); // no tick yet: not logged
    EXPECT_EQ(form->buffer().size(), 1);
    form->TimerLoggerTimer();
    deliver(volts(2.5));
    EXPECT_EQ(form->buffer().size(), 2);
    ASSERT_EQ(rows.count(), 2);
    EXPECT_EQ(rows[1], 1);

    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelLogging), "Data Logging ...");
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelRecordCount), "Data in buffer : 2");
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelPage), "Page : 1 of 1");
    EXPECT_TRUE(form->unsavedData());
    EXPECT_FALSE(form->bufferEmpty());
    // While logging, only Start/Stop stay available.
    EXPECT_TRUE(form->sbtnRecordStart->isEnabled());
    EXPECT_TRUE(form->sbtnRecordStop->isEnabled());
    EXPECT_FALSE(form->sbtnOption->isEnabled());
    EXPECT_FALSE(form->sbtnClear->isEnabled());
    EXPECT_FALSE(form->miStart->isEnabled());
    EXPECT_TRUE(form->miStop->isEnabled());

    form->sbtnRecordStop->click();
    EXPECT_FALSE(form->logging());
    EXPECT_FALSE(form->sampleRequested());
    EXPECT_FALSE(form->TimerLogger->isActive());
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelLogging), "");
    EXPECT_TRUE(form->sbtnClear->isEnabled());
    EXPECT_TRUE(form->miStart->isEnabled());
    EXPECT_FALSE(form->miStop->isEnabled());
}

TEST_F(GraphicalFormTest, TemporaryFilesOfTwoRunsHoldTheirRecordsAndGoAtExit)
{
    state.readingAvailable = true;
    form->sbtnRecordStart->click();
    deliver(volts(1));
    form->TimerLoggerTimer();
    deliver(volts(2));
    form->sbtnRecordStop->click();
    logManually(0);
    form->miStart->trigger(); // the menu presses the button first
    EXPECT_TRUE(form->sbtnRecordStart->isChecked());
    for (int i = 0; i < 3; ++i) {
        deliver(makeReading("1.000", "3", code::ActivePower1, "1000", "W"));
        form->TimerLoggerTimer();
        clock.advance(750);
    }
    form->miStop->trigger();

    const auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const auto records = [this](int from, int to) {
        return QByteArray(reinterpret_cast<const char*>(form->buffer().data() + from), (to - from) * 128);
    };
    EXPECT_EQ(bytes(tempFile(1)), records(0, 2));
    EXPECT_EQ(bytes(tempFile(2)), records(2, 5));
    form.reset(); // the window is destroyed at exit
    EXPECT_FALSE(QFileInfo::exists(tempFile(1)));
    EXPECT_FALSE(QFileInfo::exists(tempFile(2)));
}

TEST_F(GraphicalFormTest, UncreatableTemporaryFileStopsLogging)
{
    state.readingAvailable = true;
    state.workingDirectory = dir.filePath(QStringLiteral("gone")); // removed since start-up
    // While the box is up the meter goes on: the clock ticks and readings
    // arrive. None of them may be logged, as there is no file behind them.
    QString statusWhileTold;
    bool timerWhileTold = true, loggingWhileTold = true;
    prompts.onMessage([&](const PromptService::Message&) {
        timerWhileTold = form->TimerLogger->isActive();
        loggingWhileTold = form->logging();
        for (int i = 0; i < 3; ++i) {
            reading = volts(i);
            form->takeReading(reading);
            QCoreApplication::processEvents();
        }
        statusWhileTold = form->statusPanelText(TGraphicalForm::PanelLogging);
    });
    form->sbtnRecordStart->click();
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_FALSE(timerWhileTold);
    EXPECT_FALSE(loggingWhileTold);
    EXPECT_EQ(form->buffer().size(), 0);
    EXPECT_EQ(statusWhileTold, "");
    EXPECT_EQ(prompts.last().caption, "Error[E9003]");
    EXPECT_FALSE(form->logging());
    EXPECT_FALSE(form->sampleRequested());
    EXPECT_FALSE(form->TimerLogger->isActive());
    EXPECT_TRUE(form->sbtnRecordStop->isChecked());
}

TEST_F(GraphicalFormTest, HidingTheWindowDoesNotStopLogging)
{
    form->show();
    state.readingAvailable = true;
    form->sbtnRecordStart->click();
    deliver(volts(1));
    form->close(); // the user closes the recorder: it only hides
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->TimerLogger->isActive());
    EXPECT_TRUE(form->logging());
    for (int i = 2; i <= 4; ++i) {
        form->TimerLoggerTimer();
        deliver(volts(i));
    }
    EXPECT_EQ(form->buffer().size(), 4);
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelLogging), "Data Logging ...");
    form->show();
    EXPECT_EQ(form->graph()->yData(0, 199), 4.0f);
    EXPECT_EQ(form->graph()->yData(0, 196), 1.0f);
    EXPECT_EQ(form->graph()->yData(0, 195), -99999.0f);
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelRecordCount), "Data in buffer : 4");
    form->sbtnRecordStop->click();
    QFile f(tempFile(1));
    EXPECT_EQ(QFileInfo(f).size(), 4 * 128);
}

TEST_F(GraphicalFormTest, UnlinkStopsAutomaticLogging)
{
    state.readingAvailable = true;
    form->sbtnRecordStart->click();
    deliver(volts(1));
    form->linkDropped();
    EXPECT_FALSE(form->logging());
    EXPECT_TRUE(form->sbtnRecordStop->isChecked());
    EXPECT_FALSE(form->TimerLogger->isActive());
    EXPECT_FALSE(form->sampleRequested());
    // A later tick-less delivery logs nothing.
    deliver(volts(2));
    EXPECT_EQ(form->buffer().size(), 1);
    // Unlinking when not logging changes nothing.
    form->linkDropped();
    EXPECT_EQ(prompts.messageCount(), 0);
}

TEST_F(GraphicalFormTest, IntervalChoicesAndManualModeEnabling)
{
    chooseInterval(false, "0");
    EXPECT_EQ(form->core().intervalMs(), 500);
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelMode), "Full Speed");

    chooseInterval(false, "5");
    EXPECT_EQ(form->core().intervalMs(), 5000);
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelMode), "Interval in second(s):5S");
    state.readingAvailable = true;
    form->sbtnRecordStart->click();
    EXPECT_EQ(form->TimerLogger->interval(), 5000);
    form->sbtnRecordStop->click();

    chooseInterval(true);
    EXPECT_TRUE(form->core().manualMode());
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelMode), "Manual");
    EXPECT_FALSE(form->sbtnRecordStart->isEnabled());
    EXPECT_FALSE(form->sbtnRecordStop->isEnabled());
    EXPECT_FALSE(form->miStart->isEnabled());
    EXPECT_FALSE(form->miStop->isEnabled());
    EXPECT_TRUE(form->sbtnManualLogging->isEnabled());
    EXPECT_TRUE(form->miManual->isEnabled());

    reading = volts(3);
    form->sbtnManualLogging->click();
    EXPECT_EQ(form->buffer().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(tempFile(2))); // manual records go to no file

    // While a file loads nothing is available.
    state.setFileLoadBusy(true);
    EXPECT_FALSE(form->sbtnManualLogging->isEnabled());
    EXPECT_FALSE(form->sbtnOption->isEnabled());
    state.setFileLoadBusy(false);
    EXPECT_TRUE(form->sbtnManualLogging->isEnabled());

    // Cancel leaves everything as it was.
    QTimer::singleShot(0, &dialog, [this] {
        dialog.rbtnAutomatic->click();
        dialog.reject();
    });
    form->sbtnOption->click();
    EXPECT_TRUE(form->core().manualMode());
}

TEST_F(GraphicalFormTest, RefusedIntervalEntriesNeverReachTheLoggingTimer)
{
    // The user picks "Customization..." with the arrow key and types the
    // answers; only a whole number of seconds that fits the timer is taken.
    const auto customInterval = [this] {
        QTimer::singleShot(0, &dialog, [this] {
            dialog.cbxInterval->setFocus();
            QTest::keyClick(dialog.cbxInterval, Qt::Key_Down);
            QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
        });
        form->sbtnOption->click();
    };
    prompts.answerText("-3").answerText("abc");
    prompts.answerText("5000000").answerText("9");
    customInterval();
    EXPECT_EQ(prompts.captions(), QStringList(3, "Error[E9007]"));
    EXPECT_EQ(form->core().intervalMs(), 9000);
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelMode), "Interval in second(s):9S");

    // The largest that fits.
    QTimer::singleShot(0, &dialog, [this] {
        QTest::keyClick(dialog.cbxInterval, Qt::Key_Up); // Full Speed
        QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    });
    form->sbtnOption->click();
    prompts.answerText("2147483");
    customInterval();
    EXPECT_EQ(form->core().intervalMs(), 2147483000);
    state.readingAvailable = true;
    form->sbtnRecordStart->click();
    EXPECT_EQ(form->TimerLogger->interval(), 2147483000);
    EXPECT_TRUE(form->TimerLogger->isActive());
    form->sbtnRecordStop->click();
}

TEST_F(GraphicalFormTest, PagingAcross450Records)
{
    logManually(450);
    EXPECT_EQ(form->core().totalPages(), 3);
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelPage), "Page : 3 of 3");
    EXPECT_TRUE(form->sbtnFirstPage->isEnabled());
    EXPECT_FALSE(form->sbtnLastPage->isEnabled());
    PEGraph& g = *form->graph();
    EXPECT_EQ(g.yData(0, 0), 250.0f);
    EXPECT_EQ(g.yData(0, 199), 449.0f);

    form->sbtnPageUp->click();
    EXPECT_EQ(form->core().currentPage(), 2);
    EXPECT_EQ(g.yData(0, 0), 50.0f);
    EXPECT_EQ(g.yData(0, 199), 249.0f);
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelPage), "Page : 2 of 3");
    EXPECT_TRUE(form->sbtnPageDown->isEnabled());
    EXPECT_TRUE(form->miLastPage->isEnabled());

    form->miFirstPage->trigger();
    EXPECT_EQ(g.yData(0, 149), -99999.0f);
    EXPECT_EQ(g.pointLabels(149), " ");
    EXPECT_EQ(g.yData(0, 150), 0.0f);
    EXPECT_EQ(g.yData(0, 199), 49.0f);
    EXPECT_FALSE(form->sbtnFirstPage->isEnabled());
    EXPECT_FALSE(form->miPageUp->isEnabled());

    form->pageUp(); // on the first page
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Warning[W8008]");
    EXPECT_EQ(prompts.last().text, "First page.");
    EXPECT_EQ(form->core().currentPage(), 1);

    // Keys on the chart page as the buttons do.
    QTest::keyClick(form->graph(), Qt::Key_PageDown);
    EXPECT_EQ(form->core().currentPage(), 2);
    form->sbtnLastPage->click();
    form->pageDown();
    EXPECT_EQ(prompts.last().caption, "Warning[W8009]");
    EXPECT_EQ(prompts.last().text, "Last page.");

    // Logging again while an older page is shown goes back to the last page.
    form->firstPage();
    logManually(1, 1000);
    EXPECT_EQ(form->core().currentPage(), 3);
    EXPECT_EQ(g.yData(0, 199), 1000.0f);
    EXPECT_EQ(g.yData(0, 198), 449.0f);
}

TEST_F(GraphicalFormTest, PageKeysWarnOnTheFirstAndLastPageWhateverTheButtons)
{
    logManually(250);
    PEGraph* chart = form->graph();
    QTest::keyClick(chart, Qt::Key_PageDown); // on the last page, its button disabled
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Warning[W8009]");
    EXPECT_EQ(prompts.last().text, "Last page.");
    QTest::keyClick(chart, Qt::Key_PageUp);
    EXPECT_EQ(form->core().currentPage(), 1);
    EXPECT_FALSE(form->sbtnPageUp->isEnabled());
    QTest::keyClick(chart, Qt::Key_PageUp);
    ASSERT_EQ(prompts.messageCount(), 2);
    EXPECT_EQ(prompts.last().caption, "Warning[W8008]");
    EXPECT_EQ(prompts.last().text, "First page.");
    EXPECT_EQ(form->core().currentPage(), 1);

    // While logging every paging button is disabled; the keys still answer.
    QTest::keyClick(chart, Qt::Key_PageDown);
    deliver(volts(1));
    form->sbtnRecordStart->click();
    deliver(volts(2));
    ASSERT_TRUE(form->logging());
    EXPECT_FALSE(form->sbtnPageDown->isEnabled());
    QTest::keyClick(chart, Qt::Key_PageDown);
    EXPECT_EQ(prompts.last().caption, "Warning[W8009]");
    EXPECT_EQ(prompts.messageCount(), 3);
    form->sbtnRecordStop->click();
}

TEST_F(GraphicalFormTest, ReadoutFollowsTheCursor)
{
    state.readingAvailable = true;
    reading = makeReading("1.234", "3", code::Ohms, "1.234", "W", "k");
    form->manualLogging();
    reading = makeReading("230.0", "0", code::AcVolts, "230.0", "V");
    form->manualLogging();
    EXPECT_EQ(form->graph()->yAxisLabel(), "Reading(V)");
    EXPECT_EQ(form->ReadingDataPanel->text(), "230.0");
    EXPECT_EQ(form->TimePanel->text(), " 14:05:09.3  ");

    form->graph()->pressKey(Qt::Key_Left);
    EXPECT_EQ(form->graph()->cursorPoint(), 198);
    EXPECT_EQ(form->graph()->yAxisLabel(), "Reading(Ohm)");
    EXPECT_EQ(form->ReadingDataPanel->text(), "1.234");
    EXPECT_EQ(form->ReadingUnitPanel->text(), "k");
    EXPECT_EQ(form->ReadingFuncPanel->text(), QString::fromUtf8("\u03A9"));

    // An empty point empties the reading panels.
    form->graph()->pressKey(Qt::Key_Left);
    EXPECT_EQ(form->ReadingDataPanel->text(), "");
    EXPECT_EQ(form->TimePanel->text(), "");
    EXPECT_EQ(form->graph()->yAxisLabel(), "Reading");
}

// The time panel's tooltip tells the record's date and zone, and goes with
// the record.
TEST_F(GraphicalFormTest, TheTimePanelsTooltipCarriesTheFullDate)
{
    logManually(2); // 14:05:09.300 and 14:05:10.050, two hours east of UTC
    EXPECT_EQ(form->TimePanel->text(), " 14:05:10.0  ");
    EXPECT_EQ(form->TimePanel->toolTip(), "2024-06-01 14:05:10.050 UTC+02:00");
    form->graph()->pressKey(Qt::Key_Left);
    EXPECT_EQ(form->TimePanel->toolTip(), "2024-06-01 14:05:09.300 UTC+02:00");
    form->graph()->pressKey(Qt::Key_Left); // no record there
    EXPECT_EQ(form->TimePanel->toolTip(), "");
    form->graph()->pressKey(Qt::Key_End);
    EXPECT_NE(form->TimePanel->toolTip(), "");
    prompts.answer(Button::Ok);
    form->sbtnClear->click();
    EXPECT_EQ(form->TimePanel->toolTip(), "");
}

TEST_F(GraphicalFormTest, PlainClickOnTheChartMovesTheCursorAndADragZooms)
{
    logManually(5, 1); // 1.000 to 5.000 V on points 195 to 199
    form->resize(1200, 700);
    form->show();
    PEGraph& g = *form->graph();
    g.replotNow();
    QCustomPlot* plot = g.plot(); // the surface the mouse lands on
    const auto at = [plot](double point, double value) {
        return QPoint(qRound(plot->xAxis->coordToPixel(point)), qRound(plot->yAxis->coordToPixel(value)));
    };
    int moved = 0;
    QObject::connect(&g, &PEGraph::OnCursorMoved, [&] { ++moved; });

    QTest::mouseClick(plot, Qt::LeftButton, {}, at(196.3, 0));
    EXPECT_EQ(g.cursorPoint(), 196);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(form->ReadingDataPanel->text(), "2.000");
    EXPECT_EQ(form->graph()->yAxisLabel(), "Reading(V)");
    EXPECT_FALSE(g.zoomed());

    // A drag draws a rubber band and zooms; the cursor stays.
    QTest::mousePress(plot, Qt::LeftButton, {}, at(185, 6));
    QTest::mouseMove(plot, at(192, 3));
    QTest::mouseMove(plot, at(199, 0));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, at(199, 0));
    EXPECT_TRUE(g.zoomed());
    EXPECT_TRUE(form->sbtnUndoZoom->isEnabled());
    EXPECT_EQ(g.cursorPoint(), 196);
    EXPECT_EQ(moved, 1);
}

TEST_F(GraphicalFormTest, MaxMinPanelsAndYRange)
{
    state.readingAvailable = true;
    reading = volts(10);
    form->manualLogging();
    EXPECT_EQ(form->MaxDataPanel->text(), "");
    EXPECT_EQ(form->MinDataPanel->text(), "");
    EXPECT_FLOAT_EQ(form->graph()->manualMaxY(), 13.3);
    reading = volts(-11);
    form->manualLogging();
    EXPECT_EQ(form->MaxDataPanel->text(), "10.000");
    EXPECT_EQ(form->MaxFuncPanel->text(), "V");
    EXPECT_EQ(form->MinDataPanel->text(), "-11.000");
    EXPECT_NEAR(form->graph()->manualMinY(), -14.63, 1e-5);
    reading = makeReading("StoP", "0", code::DcVolts, "StoP", "V");
    form->manualLogging();
    EXPECT_EQ(form->buffer().size(), 3);
    EXPECT_EQ(form->MinDataPanel->text(), "-11.000");
}

TEST_F(GraphicalFormTest, MaxMinAfterAStatusDisplayAndValuesBeyondTheFloatRange)
{
    chooseInterval(true);
    state.readingAvailable = true;
    const auto logByHand = [this](const MeterReading& r) {
        reading = r;
        QTest::mouseClick(form->sbtnManualLogging, Qt::LeftButton);
    };
    logByHand(makeReading("Strt", "0", code::DcVolts, "Strt", "V"));
    logByHand(volts(5));
    EXPECT_EQ(form->MaxDataPanel->text(), "5.000");
    EXPECT_EQ(form->MinDataPanel->text(), "5.000");
    logByHand(volts(6));
    logByHand(volts(7));
    EXPECT_EQ(form->MaxDataPanel->text(), "7.000");
    EXPECT_EQ(form->MinDataPanel->text(), "5.000");

    // A display whose value overflows the record's float logs infinity: it
    // is a gap on the chart and leaves the Y range and max/min alone.
    const float upper = form->graph()->manualMaxY();
    logByHand(makeReading("9.999", "99", code::DcVolts, "9.999", "V"));
    ASSERT_EQ(form->buffer().size(), 5);
    ASSERT_TRUE(std::isinf(form->buffer()[4].head.value));
    EXPECT_EQ(form->graph()->manualMaxY(), upper);
    EXPECT_EQ(form->MaxDataPanel->text(), "7.000");
    logByHand(volts(8));
    PEGraph& g = *form->graph();
    g.toPixmap(100, 100); // the chart takes in its data when drawn
    const auto data = g.plot()->graph(0)->data();
    EXPECT_DOUBLE_EQ(data->at(197)->value, 7.0);
    EXPECT_TRUE(std::isnan(data->at(198)->value));
    EXPECT_DOUBLE_EQ(data->at(199)->value, 8.0);
    EXPECT_LE(g.plot()->yAxis->range().upper, 8.0 * 1.33 + 1e-3);
    EXPECT_EQ(form->MaxDataPanel->text(), "8.000");
}

TEST_F(GraphicalFormTest, ClearAsksFirstWhenUnsaved)
{
    int cleared = 0;
    QObject::connect(&form->session(), &RecorderSession::recordsCleared, [&] { ++cleared; });
    logManually(3, 5);
    form->sbtnClear->click(); // unscripted: the default button, Cancel
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Warning[W8002]");
    EXPECT_EQ(prompts.last().text, "Do you really want to clear the data in buffer ?");
    EXPECT_EQ(prompts.last().icon, PromptService::Icon::Question);
    EXPECT_EQ(prompts.last().defaultButton, Button::Cancel);
    EXPECT_EQ(form->buffer().size(), 3);
    EXPECT_EQ(cleared, 0);

    prompts.answer(Button::Ok);
    form->miClear->trigger();
    EXPECT_EQ(form->buffer().size(), 0);
    EXPECT_TRUE(form->bufferEmpty());
    EXPECT_FALSE(form->unsavedData());
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(form->graph()->yData(0, 199), -99999.0f);
    EXPECT_EQ(form->graph()->manualMaxY(), 100.0);
    EXPECT_EQ(form->graph()->yAxisLabel(), "Reading"); // not "Reading(V)" of the last record
    EXPECT_EQ(form->MaxDataPanel->text(), "");
    EXPECT_EQ(form->statusPanelText(TGraphicalForm::PanelRecordCount), "Data in buffer : 0");
    EXPECT_FALSE(form->sbtnClear->isEnabled());
    // An empty buffer clears without asking.
    form->clearRecords();
    EXPECT_EQ(prompts.messageCount(), 2);
}

TEST_F(GraphicalFormTest, ZoomUndoAndLineColour)
{
    logManually(20);
    PEGraph& g = *form->graph();
    g.zoomTo(180, 199, 0, 10);
    EXPECT_TRUE(g.zoomed());
    EXPECT_TRUE(form->sbtnUndoZoom->isEnabled());
    EXPECT_TRUE(form->miUndoZoom->isEnabled());
    // Paging keeps the zoom and the command.
    form->lastPage();
    EXPECT_TRUE(form->sbtnUndoZoom->isEnabled());
    form->miUndoZoom->trigger();
    EXPECT_FALSE(g.zoomed());
    EXPECT_FALSE(form->sbtnUndoZoom->isEnabled());
    EXPECT_FALSE(form->miUndoZoom->isEnabled());

    prompts.answerColor(QColor(Qt::green));
    form->miLineColor->trigger();
    ASSERT_EQ(prompts.colorRequests().size(), 1);
    EXPECT_EQ(prompts.colorRequests()[0].initial, QColor(192, 192, 192));
    EXPECT_EQ(g.subsetColors(0), QColor(Qt::green));
    form->miLineColor->trigger(); // cancelled: unchanged
    EXPECT_EQ(g.subsetColors(0), QColor(Qt::green));
}

TEST_F(GraphicalFormTest, FitAllDataAsksForTheViewer)
{
    int fit = 0;
    QObject::connect(form.get(), &TGraphicalForm::fitAllDataRequested, [&] { ++fit; });
    logManually(201);
    form->sbtnFitView->click();
    EXPECT_EQ(fit, 1);
}

TEST_F(GraphicalFormTest, DataListFollowsTheRecorder)
{
    TDataStringGridForm list;
    list.setBuffer(form->buffer());
    QObject::connect(&form->session(), &RecorderSession::recordsCleared, &list, &TDataStringGridForm::clearList);
    QObject::connect(&form->session(), &RecorderSession::recordAppended, &list, &TDataStringGridForm::addRow);
    EXPECT_EQ(list.gridRowCount(), 2);
    chooseInterval(true);
    state.readingAvailable = true;
    for (int i = 0; i < 3; ++i) {
        reading = volts(7 + i);
        QTest::mouseClick(form->sbtnManualLogging, Qt::LeftButton);
        // The newest record's row is the current one: column 0, "Item#".
        const QModelIndex current = list.grid()->currentIndex();
        EXPECT_EQ(current.row(), i);
        EXPECT_EQ(current.column(), 0);
        EXPECT_EQ(current.data().toString(), QString::number(i + 1));
    }
    EXPECT_EQ(list.gridRowCount(), 5);
    prompts.answer(Button::Ok);
    form->clearRecords();
    EXPECT_EQ(list.gridRowCount(), 2);
    logManually(1);
    EXPECT_EQ(list.gridRowCount(), 3);
}

TEST_F(GraphicalFormTest, SaveAsWritesTheRecordsByteForByte)
{
    logManually(3, 1);
    const QString path = dir.filePath(QStringLiteral("log.640"));
    form->saveDataAs(); // cancelled: nothing written
    EXPECT_TRUE(form->unsavedData());
    ASSERT_EQ(prompts.fileRequests().size(), 1);
    EXPECT_TRUE(prompts.fileRequests()[0].request.save);
    EXPECT_EQ(prompts.fileRequests()[0].request.fileName, "Untitled.640");
    EXPECT_EQ(prompts.fileRequests()[0].request.filters, QStringList{"Data Logger files(*.640)"});

    prompts.answerFileName(path);
    EXPECT_TRUE(form->saveDataAs());
    EXPECT_FALSE(form->unsavedData());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.size(), 384);
    EXPECT_EQ(f.readAll(), QByteArray(reinterpret_cast<const char*>(form->buffer().data()), 384));
    // Time stamps included.
    EXPECT_EQ(recordStamp(form->buffer()[2]),
              (ZonedInstant{msSinceEpochOf(LocalTime{2024, 6, 1, 12, 5, 10, 800}), 120}));

    // A file that cannot be created: E9005, still unsaved.
    logManually(1);
    prompts.answerFileName(dir.filePath(QStringLiteral("missing/dir/log.640")));
    EXPECT_FALSE(form->saveDataAs());
    EXPECT_EQ(prompts.last().caption, "Error[E9005]");
    EXPECT_EQ(prompts.last().text, "File save error.\n" + dir.filePath(QStringLiteral("missing/dir/log.640"))
                                       + ": The folder \"" + dir.filePath(QStringLiteral("missing/dir"))
                                       + "\" does not exist.");
    EXPECT_TRUE(form->unsavedData());
}
