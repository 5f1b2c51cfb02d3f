// The acquisition cycle with the program's windows: what the link controls
// and the recorder do with it. The cycle on its own is tested without any
// window (tests/acquisition_cycle_test.cpp).
#include "shell_fixture.h"

#include "recorder/graphical_form.h"

#include <QAction>
#include <QToolButton>

using namespace vt640;
using namespace vt640::test;
using Fault = sim::PtyMeterHost::Fault;

TEST_F(ShellTest, AbortInTheNoDataWarningUnlinks)
{
    startProgram();
    fastTimeouts();
    scriptAutoMessages(AcquisitionCycle::AutoMessageResult::Abort);
    main().button("sbtnLink")->click();
    host_->setFault(Fault::NoAnswer);
    tick();
    tick();
    tick();
    EXPECT_FALSE(main().isLinked());
    EXPECT_FALSE(main().button("sbtnLink")->isChecked());
    EXPECT_EQ(main().linkAction()->text(), "&Link");
    EXPECT_EQ(main().button("sbtnLink")->toolTip(), "Link to DMM");
    EXPECT_FALSE(cycle().isPolling());
    EXPECT_FALSE(state_.readingAvailable);
    EXPECT_TRUE(main().portAction()->isEnabled());
}

TEST_F(ShellTest, HandOffsRunAfterTheTickReturns)
{
    startProgram();
    main().button("sbtnLink")->click();
    TGraphicalForm* recorder = windows_->graphicalForm();
    QSignalSpy rows(&recorder->session(), &RecorderSession::recordAppended);
    tick();
    // Start asks for the next reading; nothing reaches the recorder inside
    // the tick, and the record is made once the tick has returned.
    recorder->sbtnRecordStart->click();
    tick();
    EXPECT_EQ(rows.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(rows.count(), 1);
}
