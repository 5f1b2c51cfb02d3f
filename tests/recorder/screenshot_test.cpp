// Pictures of the recorder and the data list after a stretch of demo-like
// logging, for people to look at. Written only when VT640_SHOTS_DIR names a
// directory; otherwise skipped.
#include "app/core/global_state.h"
#include "recorder/graphical_form.h"
#include "support/test_readings.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QToolButton>
#include <QPixmap>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::makeReading;

namespace {

// Single-phase active power drifting around 1.2 kW with its power factor.
MeterReading powerReading(int i)
{
    const double watts = 1200.0 + 250.0 * std::sin(i / 23.0) + 60.0 * std::sin(i / 3.1) + (i % 7) * 9.0;
    char main[16];
    std::snprintf(main, sizeof main, "%.3f", watts / 1000.0);
    MeterReading r = makeReading(main, "3", code::ActivePower1, main, "W", "k");
    char pf[16];
    std::snprintf(pf, sizeof pf, "%.2f", 0.92 + 0.05 * std::sin(i / 17.0));
    r.subText = pf;
    r.subFunction = "PF";
    r.status = 0x01 | 0x02;
    return r;
}

} // namespace

TEST(Screenshots, RecorderAndDataList)
{
    const QByteArray out = qgetenv("VT640_SHOTS_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set VT640_SHOTS_DIR to write the pictures";
    test::guiApp();
    QDir().mkpath(QString::fromLocal8Bit(out));
    const QDir shots(QString::fromLocal8Bit(out));

    QTemporaryDir dir;
    GlobalState state;
    state.workingDirectory = dir.path();
    state.readingAvailable = true;
    ScriptedPromptService prompts;
    MeterReading reading;
    FakeClock clock;
    TGraphicalForm form(state, prompts, reading);
    form.setClock(clock);
    TDataStringGridForm list;
    list.setBuffer(form.buffer());
    QObject::connect(&form.session(), &RecorderSession::recordAppended, &list, &TDataStringGridForm::addRow);

    form.resize(1280, 720);
    form.show();
    form.sbtnRecordStart->click();
    for (int i = 0; i < 300; ++i) {
        reading = powerReading(i);
        form.TimerLoggerTimer();
        form.meterReadingArrived();
        clock.advance(750 + (i % 3) * 10);
    }
    QCoreApplication::processEvents();
    form.graph()->replotNow();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form.grab().save(shots.filePath("recorder.png")));

    // The cursor moved back into the page, and a zoomed view.
    for (int i = 0; i < 40; ++i)
        form.graph()->pressKey(Qt::Key_Left);
    form.graph()->zoomTo(140, 175, 900, 1600);
    QCoreApplication::processEvents();
    form.graph()->replotNow();
    ASSERT_TRUE(form.grab().save(shots.filePath("recorder_zoomed.png")));

    form.sbtnRecordStop->click();
    form.undoZoom();
    form.firstPage();
    QCoreApplication::processEvents();
    form.graph()->replotNow();
    ASSERT_TRUE(form.grab().save(shots.filePath("recorder_first_page.png")));

    list.resize(960, 400);
    list.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(list.grab().save(shots.filePath("data_list.png")));
}
