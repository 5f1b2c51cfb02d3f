// The self-closing warning: its countdown and its two buttons.
#include "app/auto_msg_form.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vt640;

namespace {

TAutoMsgForm::Result runAndPress(TAutoMsgForm& form, QPushButton* button)
{
    QTimer::singleShot(250, &form, [button] { button->click(); });
    return form.run();
}

} // namespace

TEST(AutoMsgForm, LeftAloneItClosesItselfAfterThirtyTicks)
{
    TAutoMsgForm form;
    form.setMessage("Warning[W8004]", "No data received.", "Will re-try automatically in 3 seconds.",
                    "Check cable connection and COM port selection if required.");
    EXPECT_EQ(form.windowTitle(), "Warning[W8004]");
    EXPECT_EQ(form.line(2)->text(), "Check cable connection and COM port selection if required.");
    EXPECT_EQ(form.size(), QSize(379, 159));
    QElapsedTimer shown;
    shown.start();
    EXPECT_EQ(form.run(), TAutoMsgForm::Yes);
    EXPECT_GE(shown.elapsed(), 2900);
    EXPECT_EQ(form.progressBar()->value(), 30);
    EXPECT_FALSE(form.isVisible());
}

TEST(AutoMsgForm, ButtonsAnswerContinueOrAbortAndTheCountdownStartsAfresh)
{
    TAutoMsgForm form;
    form.setMessage("Warning[W8000]", "The battery power of the DMM is low.",
                    "(Will continue automatically in 3 seconds.)", "");
    EXPECT_EQ(form.continueButton()->text(), "&Continue");
    EXPECT_EQ(form.abortButton()->text(), "&Abort");
    EXPECT_EQ(runAndPress(form, form.continueButton()), TAutoMsgForm::Retry);
    const int stoppedAt = form.progressBar()->value();
    EXPECT_GT(stoppedAt, 0);
    EXPECT_LT(stoppedAt, 30);
    EXPECT_EQ(runAndPress(form, form.abortButton()), TAutoMsgForm::Abort);
    EXPECT_LT(form.progressBar()->value(), 10); // began again at 0
}
