// The acquisition interval dialog.
#include "recorder/dialog_option.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QRadioButton>

using namespace vt640;
using Button = PromptService::Button;

namespace {

class DialogOptionTest : public ::testing::Test {
protected:
    QApplication& app = test::guiApp(); // before any widget member
    ScriptedPromptService prompts;
    TDialogOption dialog{prompts};

    void chooseCustomization()
    {
        dialog.show();
        dialog.cbxInterval->setCurrentIndex(1);
    }
};

} // namespace

TEST_F(DialogOptionTest, ShowsThePresetChoices)
{
    dialog.setManual(true);
    dialog.setSeconds(5);
    dialog.show();
    EXPECT_TRUE(dialog.rbtnManual->isChecked());
    EXPECT_FALSE(dialog.rbtnAutomatic->isChecked());
    EXPECT_FALSE(dialog.cbxInterval->isEnabled());
    EXPECT_EQ(dialog.cbxInterval->currentIndex(), 1);
    EXPECT_TRUE(prompts.textRequests().isEmpty()); // presetting asks nothing
    dialog.hide();

    dialog.setManual(false);
    dialog.setSeconds(0);
    dialog.show();
    EXPECT_TRUE(dialog.rbtnAutomatic->isChecked());
    EXPECT_TRUE(dialog.cbxInterval->isEnabled());
    EXPECT_EQ(dialog.cbxInterval->currentText(), "Full Speed");

    dialog.rbtnManual->click();
    EXPECT_TRUE(dialog.manual());
    EXPECT_FALSE(dialog.cbxInterval->isEnabled());
    dialog.rbtnAutomatic->click();
    EXPECT_FALSE(dialog.manual());
    EXPECT_TRUE(dialog.cbxInterval->isEnabled());
}

TEST_F(DialogOptionTest, CustomSecondsFromTheInputBox)
{
    prompts.answerText("5");
    chooseCustomization();
    EXPECT_EQ(dialog.seconds(), 5);
    ASSERT_EQ(prompts.textRequests().size(), 1);
    EXPECT_EQ(prompts.textRequests()[0].caption, "Interval in second(s)");
    EXPECT_EQ(prompts.textRequests()[0].label, "Input an integer value ? ");
    EXPECT_EQ(prompts.textRequests()[0].initial, "0");
    EXPECT_EQ(prompts.messageCount(), 0);
    dialog.cbxInterval->setCurrentIndex(0);
    EXPECT_EQ(dialog.seconds(), 0);
}

TEST_F(DialogOptionTest, ZeroIsAccepted)
{
    dialog.setSeconds(7);
    dialog.show();
    dialog.cbxInterval->setCurrentIndex(0); // Full Speed
    prompts.answerText("0");
    dialog.cbxInterval->setCurrentIndex(1);
    EXPECT_EQ(dialog.seconds(), 0);
    EXPECT_EQ(prompts.messageCount(), 0);
}

TEST_F(DialogOptionTest, NegativeShowsE9007AndAsksAgain)
{
    prompts.answerText("-3").answerText("4");
    chooseCustomization();
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9007]");
    EXPECT_EQ(prompts.last().text, "Not a valid floating point value !");
    ASSERT_EQ(prompts.textRequests().size(), 2);
    EXPECT_EQ(prompts.textRequests()[1].initial, "-3");
    EXPECT_EQ(dialog.seconds(), 4);
}

TEST_F(DialogOptionTest, AnythingButAWholeNumberOfSecondsIsAskedAgain)
{
    // Not a number, not whole, negative, or more seconds than the timer's
    // milliseconds can hold: E9007 each time, and the box asks again with
    // the refused text.
    prompts.answerText("abc").answerText("2.5").answerText("-3").answerText("2147484").answerText("2147483");
    chooseCustomization();
    EXPECT_EQ(prompts.messageCount(), 4);
    EXPECT_EQ(prompts.captions(), QStringList(4, "Error[E9007]"));
    ASSERT_EQ(prompts.textRequests().size(), 5);
    EXPECT_EQ(prompts.textRequests()[4].initial, "2147484");
    EXPECT_EQ(dialog.seconds(), 2147483);
    EXPECT_EQ(dialog.cbxInterval->currentIndex(), 1);
}

TEST_F(DialogOptionTest, CancelKeepsTheValueAndNeverLoops)
{
    prompts.cancelText(); // default text "0": stays 0
    chooseCustomization();
    EXPECT_EQ(dialog.seconds(), 0);
    EXPECT_EQ(prompts.messageCount(), 0);

    dialog.hide();
    dialog.setSeconds(0);
    dialog.show();
    dialog.cbxInterval->setCurrentIndex(0);
    // Cancelling after refused entries keeps the seconds of before.
    prompts.answerText("-3").answerText("abc").cancelText();
    dialog.cbxInterval->setCurrentIndex(1);
    EXPECT_EQ(prompts.messageCount(), 2);
    EXPECT_EQ(dialog.seconds(), 0);
    EXPECT_EQ(dialog.cbxInterval->currentIndex(), 0);
}
