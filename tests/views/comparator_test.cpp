#include "app/core/global_state.h"
#include "app/core/settings_file.h"
#include "support/gui_test_app.h"
#include "support/scripted_prompt_service.h"
#include "views/comparator_form.h"
#include "views/core/comparator_layout.h"
#include "views/core/comparator_model.h"
#include "views/dlg_hi_low_form.h"
#include "views/core/limit_rules.h"
#include "views/core/tone_output.h"
#include "support/test_readings.h"
#include "views/paint_counter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

namespace vt640 {
namespace {

using test::completedReading;

double angleFor(float reading) { return ComparatorModel::needleAngleFor(reading, 10.0, 0.0); }

TEST(ComparatorNeedle, LimitsTenAndZeroSpanMinusFiveToFifteen)
{
    EXPECT_DOUBLE_EQ(angleFor(5), 90.0);
    EXPECT_DOUBLE_EQ(angleFor(0), 110.0);
    EXPECT_DOUBLE_EQ(angleFor(10), 70.0);
    EXPECT_DOUBLE_EQ(angleFor(-20), 130.0);
    EXPECT_DOUBLE_EQ(angleFor(40), 50.0);
    EXPECT_DOUBLE_EQ(angleFor(-5), 130.0);
    EXPECT_DOUBLE_EQ(angleFor(15), 50.0);
}

TEST(ComparatorNeedle, EqualLimitsStandInTheMiddleOfGo)
{
    EXPECT_DOUBLE_EQ(ComparatorModel::needleAngleFor(3, 5, 5), 90.0);
    EXPECT_DOUBLE_EQ(ComparatorModel::needleAngleFor(7, 5, 5), 90.0);
}

TEST(ComparatorNeedle, CrossedLimitsFromASettingsFileStayOnTheScale)
{
    const double a = ComparatorModel::needleAngleFor(5, 0, 10);
    EXPECT_GE(a, 50.0);
    EXPECT_LE(a, 130.0);
}

TEST(ComparatorAlarm, TonesOnlyStrictlyOutsideTheLimits)
{
    using M = ComparatorModel;
    EXPECT_EQ(M::toneFor(10.0f, 10, 0), std::nullopt);
    EXPECT_EQ(M::toneFor(0.0f, 10, 0), std::nullopt);
    EXPECT_EQ(M::toneFor(5.0f, 10, 0), std::nullopt);
    EXPECT_EQ(M::toneFor(10.01f, 10, 0), (ToneRequest{1047, 100}));
    EXPECT_EQ(M::toneFor(-0.01f, 10, 0), (ToneRequest{523, 100}));
    // Equal limits still judge above and below.
    EXPECT_EQ(M::toneFor(6.0f, 5, 5), M::kHighTone);
    EXPECT_EQ(M::toneFor(4.0f, 5, 5), M::kLowTone);
    EXPECT_EQ(M::toneFor(5.0f, 5, 5), std::nullopt);
}

TEST(ComparatorAlarm, AReadingShownEqualToALimitIsInsideInSinglePrecision)
{
    ComparatorModel m(10.1, -2.3);
    m.toggleAlarm();
    ASSERT_TRUE(m.feed(completedReading("1.010", "1", 4))); // "10.10"
    EXPECT_EQ(m.update(), std::nullopt);
    ASSERT_TRUE(m.feed(completedReading("-2.300", "0", 4)));
    EXPECT_EQ(m.update(), std::nullopt);
    ASSERT_TRUE(m.feed(completedReading("1.011", "1", 4)));
    EXPECT_EQ(m.update(), ComparatorModel::kHighTone);
}

TEST(ComparatorFeed, OverloadGoesHalfABandBeyondItsLimit)
{
    ComparatorModel m(10, 0);
    m.toggleAlarm();
    ASSERT_TRUE(m.feed(completedReading("OL", "0", 4)));
    EXPECT_FLOAT_EQ(m.reading(), 15.0f);
    EXPECT_EQ(m.update(), ComparatorModel::kHighTone);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 50.0);

    ASSERT_TRUE(m.feed(completedReading("-OL", "0", 4)));
    EXPECT_FLOAT_EQ(m.reading(), -5.0f);
    EXPECT_EQ(m.update(), ComparatorModel::kLowTone);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 130.0);
}

TEST(ComparatorFeed, AnyOtherTextLeavesTheReadingAndAsksForNothing)
{
    ComparatorModel m(10, 0);
    ASSERT_TRUE(m.feed(completedReading("1.234", "0", 4)));
    EXPECT_FALSE(m.feed(completedReading("SHrt", "0", 128)));
    EXPECT_FLOAT_EQ(m.reading(), 1.234f);
    // The prefix, unit and code follow every reading.
    EXPECT_EQ(m.code(), 128);
}

TEST(ComparatorFeed, TheReadingIsTheShownNumberInSinglePrecision)
{
    ComparatorModel m(300, 100);
    m.feed(completedReading("2.304", "2", 5)); // 230.4 V
    EXPECT_EQ(m.reading(), 230.4f);
    EXPECT_EQ(m.prefixText(), "");
    EXPECT_EQ(m.unitText(), "V");
}

TEST(ComparatorUpdate, AlarmOffSoundsNothingAndTheNeedleStillMoves)
{
    ComparatorModel m(10, 0);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 130.0);
    m.feed(completedReading("4.000", "1", 4)); // 40.00
    EXPECT_EQ(m.update(), std::nullopt);
    EXPECT_DOUBLE_EQ(m.previousAngle(), 130.0);
    EXPECT_DOUBLE_EQ(m.needleAngle(), 50.0);
}

TEST(LimitRules, EditsOfALimitField)
{
    double limit = 10;
    EXPECT_EQ(applyLimitText("", limit), LimitEdit::Ignored);
    // The start of a number waits for the rest.
    for (const char* start : {"-", "+", " -", " "})
        EXPECT_EQ(applyLimitText(start, limit), LimitEdit::Unfinished) << start;
    EXPECT_FALSE(isCompleteLimitText("-"));
    EXPECT_TRUE(isCompleteLimitText(""));
    EXPECT_EQ(applyLimitText("1,5", limit), LimitEdit::Refused);
    EXPECT_EQ(applyLimitText("--", limit), LimitEdit::Refused);
    EXPECT_EQ(applyLimitText("1x", limit), LimitEdit::Refused);
    EXPECT_EQ(applyLimitText("abc", limit), LimitEdit::Refused);
    EXPECT_EQ(applyLimitText("1e999", limit), LimitEdit::Refused);
    EXPECT_DOUBLE_EQ(limit, 10);
    EXPECT_EQ(applyLimitText("-2.5", limit), LimitEdit::Accepted);
    EXPECT_DOUBLE_EQ(limit, -2.5);
    // What the number grammar reads already: a point alone is 0, an exponent
    // without digits is 0.
    for (const char* partial : {".", "-.", "1e", "1e-"})
        EXPECT_EQ(applyLimitText(partial, limit), LimitEdit::Accepted) << partial;
    EXPECT_FALSE(limitsAcceptable(5, 5));
    EXPECT_FALSE(limitsAcceptable(5, 6));
    EXPECT_TRUE(limitsAcceptable(6, 5));
}

TEST(ComparatorLayoutTest, ButtonsAndRowsUnderTheFrame)
{
    const auto l = ComparatorLayout::compute(20);
    EXPECT_EQ(l.window, QSize(201 + 28 - 6, 122 + 25 + 40 + 2));
    EXPECT_EQ(l.frame.x(), (l.window.width() - 201) / 2);
    EXPECT_EQ(l.band, QPoint(l.frame.x() + 16, 22));
    EXPECT_EQ(l.pivot, QPoint(l.window.width() / 2, 99));
    EXPECT_EQ(l.alarmButton, QRect(l.frame.x(), 123, 201, 25));
    EXPECT_EQ(l.limitButton, QRect(l.frame.x(), 149, 40, 40));
    EXPECT_EQ(l.panel1, QRect(l.frame.x() + 42, 149, 159, 20));
    EXPECT_EQ(l.panel2, QRect(l.frame.x() + 42, 169, 159, 20));
    EXPECT_EQ(ComparatorLayout::windowPosition(1000, 60, 20), QPoint(28, 940 / 4 + 60 + 28));
}

class RecordingTone : public ToneOutput {
public:
    void beep(int hertz, int milliseconds) override { tones.push_back({hertz, milliseconds}); }
    std::vector<ToneRequest> tones;
};

// Types into a line edit as a user would: select all, then keys. With an
// empty `replace` and some `append`, types on at the end instead.
void typeInto(QLineEdit* edit, const QString& replace, const QString& append = QString())
{
    edit->setFocus();
    if (!append.isEmpty()) {
        edit->end(false);
        for (QChar c : append) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(edit, &press);
        }
        return;
    }
    const QString& text = replace;
    edit->selectAll();
    if (text.isEmpty()) {
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &del);
        return;
    }
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(edit, &press);
    }
}

class ComparatorFormTest : public ::testing::Test {
protected:
    ComparatorFormTest()
    {
        test::guiApp();
        state.fHiLimit = 10;
        state.fLowLimit = 0;
        form.emplace(state, prompts, dialog);
        form->setToneOutput(&tone);
    }
    QString text(const char* name) { return form->findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    QLineEdit* edit(const char* name) { return dialog.findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QPushButton* button(QWidget& w, const char* name) { return w.findChild<QPushButton*>(QString::fromLatin1(name)); }

    QApplication& app = test::guiApp(); // before any widget
    GlobalState state;
    ScriptedPromptService prompts;
    TDlgHiLowForm dialog{prompts};
    RecordingTone tone;
    std::optional<TComparatorForm> form;
};

TEST_F(ComparatorFormTest, StartsWithTheSettingsLimitsAndTheAlarmOff)
{
    EXPECT_EQ(form->windowTitle(), "Comparator");
    EXPECT_EQ(text("HiLimitPanel"), "10");
    EXPECT_EQ(text("LowLimitPanel"), "0");
    EXPECT_EQ(button(*form, "bbtnAlart")->text(), "OFF");
    EXPECT_DOUBLE_EQ(form->model().needleAngle(), 130.0);
    EXPECT_EQ(form->size(), form->partsLayout().window);
}

TEST_F(ComparatorFormTest, PlacedAQuarterDownBelowTheMainWindow)
{
    const QRect screen = form->screen()->geometry();
    form->placeInitially(60, 30);
    EXPECT_EQ(form->pos(), QPoint(30, (screen.height() - 60) / 4 + 60 + 30));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->alarmButtonHeight(), 25);
    EXPECT_EQ(form->limitButtonHeight(), 40);
    EXPECT_EQ(TComparatorForm::frameWidth(), 201);
    EXPECT_EQ(TComparatorForm::frameHeight(), 122);
}

TEST_F(ComparatorFormTest, AlarmButtonTogglesAndTheToneFollowsTheReading)
{
    form->show();
    button(*form, "bbtnAlart")->click();
    EXPECT_EQ(button(*form, "bbtnAlart")->text(), "ON");

    form->feed(completedReading("1.000", "1", 4)); // 10.00: on the limit
    test::settle();
    EXPECT_TRUE(tone.tones.empty());
    form->feed(completedReading("1.001", "1", 4)); // 10.01: above
    test::settle();
    form->feed(completedReading("-OL", "0", 4));
    test::settle();
    EXPECT_EQ(tone.tones, (std::vector<ToneRequest>{{1047, 100}, {523, 100}}));
    EXPECT_DOUBLE_EQ(form->model().needleAngle(), 130.0);

    button(*form, "bbtnAlart")->click();
    EXPECT_EQ(button(*form, "bbtnAlart")->text(), "OFF");
    form->feed(completedReading("OL", "0", 4));
    test::settle();
    EXPECT_EQ(tone.tones.size(), 2u);
}

TEST_F(ComparatorFormTest, LimitRowsShowTheReadingsPrefixAndUnit)
{
    form->show();
    form->feed(completedReading("4.702", "3", 128));
    test::settle();
    EXPECT_EQ(text("HiUnitPanel"), "k");
    EXPECT_EQ(text("LowUnitPanel"), "k");
    EXPECT_EQ(text("HiFuncPanel"), QString::fromUtf8("\u03A9"));
    EXPECT_EQ(text("LowFuncPanel"), QString::fromUtf8("\u03A9"));
}

TEST_F(ComparatorFormTest, HiddenOrMinimisedViewIsFedButNotUpdated)
{
    button(*form, "bbtnAlart")->click();
    test::PaintCounter paints(&*form);
    form->feed(completedReading("4.000", "1", 4));
    test::settle();
    EXPECT_EQ(paints.count, 0);
    EXPECT_TRUE(tone.tones.empty());
    EXPECT_FLOAT_EQ(form->model().reading(), 40.0f);
    EXPECT_DOUBLE_EQ(form->model().needleAngle(), 130.0);

    form->showMinimized();
    test::settle();
    ASSERT_TRUE(form->isMinimized());
    paints.count = 0;
    form->feed(completedReading("5.000", "0", 4));
    test::settle();
    EXPECT_EQ(paints.count, 0);
    EXPECT_DOUBLE_EQ(form->model().needleAngle(), 130.0);

    // Restored, it judges the next reading as usual.
    form->showNormal();
    form->feed(completedReading("5.000", "0", 4));
    test::settle();
    EXPECT_GT(paints.count, 0);
    EXPECT_DOUBLE_EQ(form->model().needleAngle(), 90.0);
}

TEST_F(ComparatorFormTest, NegativeLimitsTypeThroughWithoutAWord)
{
    dialog.preset(4, 10, 0, "", "V");
    dialog.show();
    QLineEdit* hi = edit("mkeHiLimit");
    hi->setFocus();
    hi->selectAll();
    QTest::keyClicks(hi, "-0.000123");
    EXPECT_EQ(prompts.messageCount(), 0);
    EXPECT_EQ(hi->text(), "-0.000123");
    EXPECT_DOUBLE_EQ(dialog.upperLimit(), -0.000123);

    // Text that no typing on makes a number: E9007, and the limit is kept.
    QLineEdit* low = edit("mkeLowLimit");
    low->selectAll();
    QTest::keyClicks(low, "x");
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9007]");
    EXPECT_EQ(prompts.last().text, "Not a valid floating point value !");
    EXPECT_EQ(prompts.last().icon, PromptService::Icon::Stop);
    EXPECT_DOUBLE_EQ(dialog.lowerLimit(), 0.0);

    // Clearing a field keeps its limit without a word.
    hi->selectAll();
    QTest::keyClick(hi, Qt::Key_Delete);
    EXPECT_EQ(prompts.messageCount(), 1);
    EXPECT_DOUBLE_EQ(dialog.upperLimit(), -0.000123);

    // OK with a field still holding only the start of a number: E9007, open.
    low->selectAll();
    QTest::keyClicks(low, "-");
    EXPECT_EQ(prompts.messageCount(), 1);
    QTest::mouseClick(button(dialog, "bbtnOk"), Qt::LeftButton);
    ASSERT_EQ(prompts.messageCount(), 2);
    EXPECT_EQ(prompts.last().caption, "Error[E9007]");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(low->selectedText(), "-"); // selected, to be typed over
    QTest::keyClicks(low, "-1");
    QTest::mouseClick(button(dialog, "bbtnOk"), Qt::LeftButton);
    EXPECT_EQ(prompts.messageCount(), 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_DOUBLE_EQ(dialog.lowerLimit(), -1.0);
}

TEST_F(ComparatorFormTest, EqualOrCrossedLimitsAreRefusedOnOkWithE9008)
{
    dialog.preset(4, 10, 0, "", "V");
    dialog.show();
    typeInto(edit("mkeHiLimit"), "5");
    typeInto(edit("mkeLowLimit"), "5");
    button(dialog, "bbtnOk")->click();
    ASSERT_EQ(prompts.messageCount(), 1);
    EXPECT_EQ(prompts.last().caption, "Error[E9008]");
    EXPECT_EQ(prompts.last().text, "Limit setting is unacceptable.");
    EXPECT_TRUE(dialog.isVisible());

    typeInto(edit("mkeLowLimit"), "6");
    button(dialog, "bbtnOk")->click();
    EXPECT_EQ(prompts.messageCount(), 2);
    EXPECT_TRUE(dialog.isVisible());

    typeInto(edit("mkeLowLimit"), "-2.5");
    EXPECT_EQ(prompts.messageCount(), 2);
    button(dialog, "bbtnOk")->click();
    EXPECT_EQ(prompts.messageCount(), 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(ComparatorFormTest, DialogIsWideEnoughForItsCaptionAndTheTitleBarButtons)
{
    dialog.show();
    ASSERT_EQ(dialog.windowTitle(), "Comparator Hi-Low limit setting");
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    // Icon and buttons on either side of a centred caption.
    EXPECT_GE(dialog.width(), QFontMetrics(title).horizontalAdvance(dialog.windowTitle()) + 2 * 80);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()); // still of a fixed size
    dialog.reject();
}

TEST_F(ComparatorFormTest, DialogShowsTheReadingsUnitsBesideTheLimits)
{
    dialog.preset(32, 30, 20, "", "C");
    dialog.show();
    EXPECT_EQ(edit("mkeHiLimit")->text(), "30");
    EXPECT_EQ(edit("mkeLowLimit")->text(), "20");
    auto* func = dialog.findChild<QLabel*>("stxtHiFunc");
    EXPECT_EQ(func->text(), "C");
    EXPECT_EQ(func->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(dialog.findChild<QLabel*>("stxtLowUnit")->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    dialog.reject();
}

TEST_F(ComparatorFormTest, ConfirmedLimitsReachTheStateAndTheSettingsFile)
{
    form->show();
    form->feed(completedReading("5.000", "0", 4));
    test::settle();
    ASSERT_DOUBLE_EQ(form->model().needleAngle(), 90.0);

    QTimer::singleShot(0, &dialog, [&] {
        typeInto(edit("mkeHiLimit"), "12.5");
        typeInto(edit("mkeLowLimit"), "-2.5");
        button(dialog, "bbtnOk")->click();
    });
    button(*form, "bbtnHiLowLimit")->click();

    EXPECT_DOUBLE_EQ(form->hiLimit(), 12.5);
    EXPECT_DOUBLE_EQ(form->lowLimit(), -2.5);
    EXPECT_DOUBLE_EQ(state.fHiLimit, 12.5);
    EXPECT_DOUBLE_EQ(state.fLowLimit, -2.5);
    EXPECT_EQ(text("HiLimitPanel"), "12.5");
    EXPECT_EQ(text("LowLimitPanel"), "-2.5");
    // The needle waits for the next reading.
    EXPECT_DOUBLE_EQ(form->model().needleAngle(), 90.0);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    state.workingDirectory = dir.path();
    ASSERT_TRUE(saveSettings(state, form->hiLimit(), form->lowLimit()));
    GlobalState next;
    next.workingDirectory = dir.path();
    ASSERT_EQ(loadSettings(next).status, SettingsReadStatus::Ok);
    EXPECT_DOUBLE_EQ(next.fHiLimit, 12.5);
    EXPECT_DOUBLE_EQ(next.fLowLimit, -2.5);
}

TEST_F(ComparatorFormTest, TheLargestLimitTheDialogTakesComesBackFromTheSettingsFile)
{
    QTimer::singleShot(0, &dialog, [&] {
        edit("mkeHiLimit")->selectAll();
        QTest::keyClicks(edit("mkeHiLimit"), "1.7976931348623157e308");
        edit("mkeLowLimit")->selectAll();
        QTest::keyClicks(edit("mkeLowLimit"), "-1.7976931348623157e308");
        QTest::mouseClick(button(dialog, "bbtnOk"), Qt::LeftButton);
    });
    QTest::mouseClick(button(*form, "bbtnHiLowLimit"), Qt::LeftButton);
    ASSERT_EQ(form->hiLimit(), std::numeric_limits<double>::max());
    EXPECT_EQ(prompts.messageCount(), 0);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    state.workingDirectory = dir.path();
    ASSERT_TRUE(saveSettings(state, form->hiLimit(), form->lowLimit()));
    GlobalState next;
    next.workingDirectory = dir.path();
    ASSERT_EQ(loadSettings(next).status, SettingsReadStatus::Ok);
    EXPECT_EQ(next.fHiLimit, std::numeric_limits<double>::max());
    EXPECT_EQ(next.fLowLimit, -std::numeric_limits<double>::max());
}

TEST_F(ComparatorFormTest, CancelledDialogChangesNothing)
{
    QTimer::singleShot(0, &dialog, [&] {
        typeInto(edit("mkeHiLimit"), "99");
        button(dialog, "bbtnCancel")->click();
    });
    button(*form, "bbtnHiLowLimit")->click();
    EXPECT_DOUBLE_EQ(form->hiLimit(), 10.0);
    EXPECT_DOUBLE_EQ(state.fHiLimit, 10.0);
    EXPECT_EQ(text("HiLimitPanel"), "10");
}

} // namespace
} // namespace vt640
