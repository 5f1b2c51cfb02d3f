// The recorder's own chart after a stretch of logging, written as pictures
// through the chart's actions for people to open in other programs. Written
// only when VT640_SHOTS_DIR names a directory; otherwise skipped.
#include "app/core/global_state.h"
#include "recorder/graphical_form.h"
#include "support/test_readings.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "viewer/pe_graph.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QToolButton>

#include <cmath>
#include <cstdio>

using namespace vt640;

TEST(RecorderPictures, CurrentPageAsEmfWmfAndBmp)
{
    const QByteArray out = qgetenv("VT640_SHOTS_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set VT640_SHOTS_DIR to write the pictures";
    test::guiApp();
    const QDir shots(QString::fromLocal8Bit(out));
    QDir().mkpath(shots.path());

    QTemporaryDir dir;
    GlobalState state;
    state.workingDirectory = dir.path();
    state.readingAvailable = true;
    ScriptedPromptService prompts;
    MeterReading reading;
    test::FakeClock clock;
    TGraphicalForm form(state, prompts, reading);
    form.setClock(clock);
    form.resize(1280, 720);
    form.show();
    form.sbtnRecordStart->click();
    for (int i = 0; i < 300; ++i) {
        const double volts = 229.0 + 4.0 * std::sin(i / 19.0) + 1.5 * std::sin(i / 2.7);
        char main[16];
        std::snprintf(main, sizeof main, "%.1f", volts);
        reading = test::makeReading(main, "0", code::AcVolts, main, "V");
        form.TimerLoggerTimer();
        form.meterReadingArrived();
        clock.advance(750);
    }
    form.sbtnRecordStop->click();
    QCoreApplication::processEvents();

    PEGraph& g = *form.graph();
    g.setPromptService(&prompts);
    auto write = [&](PEGraph::Action action, int w, int h, const char* name) {
        g.setPEnarg1(w);
        g.setPEnarg2(h);
        g.setPEstrarg1(shots.filePath(QString::fromLatin1(name)));
        g.setPEactions(action);
    };
    write(PEGraph::gMetaToFile, 10000, 6810, "recorder_page.emf");
    write(PEGraph::gMetaToFile, 10000, 6810, "recorder_page.wmf");
    write(PEGraph::gMetaToFile, 20000, 13620, "recorder_page_200mm.emf");
    write(PEGraph::gBmpToFile, 1000, 681, "recorder_page.bmp");
    EXPECT_EQ(prompts.messageCount(), 0) << prompts.texts().join(QLatin1Char('\n')).toStdString();
}
