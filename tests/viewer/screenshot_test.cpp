// Pictures of the graph viewer in the whole program, for people to look at:
// a day of logged power (100,000 records) shown by Fit all data, full-screen,
// zoomed with the mouse, and after Undo Zooming. Written only when
// VT640_SHOTS_DIR names a directory; meant for a real X server with a window
// manager, where the root window is grabbed. Otherwise skipped.
#include "app/app_windows.h"
#include "app/core/acquisition_cycle.h"
#include "app/core/global_state.h"
#include "recorder/graphical_form.h"
#include "support/test_readings.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "viewer/form_view_graphic.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <cstdio>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::makeReading;

namespace {

// A household's active power over a day: a base load, a slow daily swing,
// noise, and a short peak now and then.
MeterReading powerReading(int i)
{
    const double hours = i * 0.75 / 3600.0;
    double kw =
        0.9 + 0.6 * std::sin(hours / 24.0 * 2 * M_PI - 1.2) + 0.15 * std::sin(i / 7.3) + ((i * 7919) % 97) * 0.002;
    if (i % 9000 > 8900)
        kw += 1.8; // the kettle
    if (i == 61234)
        kw = 4.321;
    if (i == 23456)
        kw = 0.012;
    char main[16];
    std::snprintf(main, sizeof main, "%.3f", kw);
    MeterReading r = makeReading(main, "3", code::ActivePower1, main, "W", "k");
    char pf[16];
    std::snprintf(pf, sizeof pf, "%.2f", 0.90 + 0.06 * std::sin(i / 1700.0));
    r.subText = pf;
    r.subFunction = "PF";
    return r;
}

bool grabScreen(const QDir& dir, const char* name)
{
    QTest::qWait(600);
    return QGuiApplication::primaryScreen()->grabWindow(0).save(dir.filePath(QLatin1String(name)));
}

} // namespace

TEST(Screenshots, GraphViewer)
{
    const QByteArray out = qgetenv("VT640_SHOTS_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set VT640_SHOTS_DIR to write the pictures";
    test::guiApp();
    QDir().mkpath(QString::fromLocal8Bit(out));
    const QDir shots(QString::fromLocal8Bit(out));

    QTemporaryDir dir;
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(dir.path());
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    GlobalState state;
    ScriptedPromptService prompts;
    FakeClock clock;
    {
        AppWindows windows(state, prompts, AppWindows::Options{});
        windows.showStartupWindows();
        TGraphicalForm& recorder = *windows.graphicalForm();
        TFormViewGraphic& viewer = *windows.formViewGraphic();
        recorder.setClock(clock);
        state.readingAvailable = true;
        for (int i = 0; i < 100000; ++i) {
            windows.cycle().reading() = powerReading(i);
            recorder.manualLogging();
            clock.advance(750);
        }
        ASSERT_EQ(recorder.buffer().size(), 100000);
        QTest::qWait(500);

        bool ran = false;
        QTimer::singleShot(0, &viewer, [&] {
            ran = true;
            PEGraph& g = *viewer.graph();
            QTest::mouseClick(viewer.MaxDataPanel, Qt::LeftButton);
            EXPECT_TRUE(grabScreen(shots, "viewer_full.png"));

            // A rubber band around the peak the cursor stands on.
            QCustomPlot* plot = g.plot();
            const double x = g.cursorPoint();
            const QCPRange y = plot->yAxis->range();
            const QPoint from(int(plot->xAxis->coordToPixel(x - 120)), int(plot->yAxis->coordToPixel(y.upper * 0.95)));
            const QPoint to(int(plot->xAxis->coordToPixel(x + 120)), int(plot->yAxis->coordToPixel(0)));
            QTest::mousePress(plot, Qt::LeftButton, {}, from);
            QTest::mouseMove(plot, (from + to) / 2);
            QTest::mouseMove(plot, to);
            QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
            EXPECT_TRUE(viewer.sbtnUndoZoom->isEnabled());
            EXPECT_TRUE(grabScreen(shots, "viewer_zoomed.png"));

            QTest::mouseClick(viewer.sbtnUndoZoom, Qt::LeftButton);
            QTest::mouseClick(viewer.MinDataPanel, Qt::LeftButton);
            EXPECT_TRUE(grabScreen(shots, "viewer_after_undo.png"));
            QTest::mouseClick(viewer.bbtnClose, Qt::LeftButton);
        });
        QTest::mouseClick(recorder.sbtnFitView, Qt::LeftButton);
        EXPECT_TRUE(ran);
        EXPECT_TRUE(grabScreen(shots, "viewer_closed.png"));
    }
    QDir::setCurrent(oldDir);
}
