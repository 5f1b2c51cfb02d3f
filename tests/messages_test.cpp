#include "app/core/user_messages.h"
#include "resources/string_table.h"
#include "support/scripted_prompt_service.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

#include <stdexcept>

namespace vt640 {
namespace {

using Button = PromptService::Button;
using Icon = PromptService::Icon;

// --- String table ---------------------------------------------------------

bool validUtf8(std::string_view s)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(QByteArrayView(s.data(), static_cast<qsizetype>(s.size())));
    return !decoder.hasError();
}

TEST(StringTableTest, EveryTextIsNonEmptyUtf8WithoutStrayFormats)
{
    for (const StringEntry& e : allStrings()) {
        SCOPED_TRACE(e.id);
        EXPECT_FALSE(e.text.empty());
        EXPECT_TRUE(validUtf8(e.text));
        // Only %d and %s are ever filled in.
        for (std::size_t p = e.text.find('%'); p != std::string_view::npos; p = e.text.find('%', p + 2)) {
            ASSERT_LT(p + 1, e.text.size());
            EXPECT_TRUE(e.text[p + 1] == 'd' || e.text[p + 1] == 's') << e.text;
        }
    }
}

TEST(StringTableTest, UnknownNumbersGiveEmptyTexts)
{
    for (int id : {0, -1, 8, 508, 1002, 8007, 9998, 10000, 65535}) {
        EXPECT_TRUE(stringText(id).empty()) << id;
        EXPECT_FALSE(hasString(id)) << id;
        EXPECT_TRUE(loadString(id).isEmpty()) << id;
    }
}

// Every number that the program's windows load must be there.
TEST(StringTableTest, HoldsEveryNumberedTextThatTheWindowsLoad)
{
    std::vector<int> ids = {1, 2, 3, 4, 5, 6, 7, 52, 500, 501, 509, 600, 601, 701, 996, 999,
                            1000, 1001, 1010, 1011, 1012, 1013, 1014, 1015, 1020, 1031, 1044, 1053,
                            1054, 7002, 7003, 7004, 7005, 7006, 7007, 7009, 7999, 8000, 8001, 8003,
                            8004, 8005, 8006, 8014, 8999, 9001, 9009, 9013, 9999};
    for (int id = 100; id <= 107; ++id)
        ids.push_back(id);
    for (int id = 200; id <= 206; ++id)
        ids.push_back(id);
    for (int id = 307; id <= 331; ++id)
        ids.push_back(id);
    for (int id = 631; id <= 637; ++id)
        ids.push_back(id);
    for (int id : ids)
        EXPECT_TRUE(hasString(id)) << id;
}

TEST(StringTableTest, KeepsTheProgramsOwnTexts)
{
    EXPECT_EQ(stringText(1), "Meter Data Recorder");
    EXPECT_EQ(stringText(6), "~KRMDL");
    EXPECT_EQ(stringText(7), "\\KORUDL.ini");
    EXPECT_EQ(stringText(52), "Vt640");
    EXPECT_EQ(stringText(8001), "You must select a valid COM port before linking to the DMM.");
    EXPECT_EQ(stringText(9013), "Please \"Browse\" and specify a file name !");
    EXPECT_EQ(stringText(307), "Export");
    EXPECT_EQ(stringText(631), "&Window");
    EXPECT_EQ(stringText(6001), "Cannot open file %s");
    EXPECT_EQ(stringText(6002), "Cannot create file %s");
}

TEST(StringTableTest, EnergyModeTextIsTwoLinesEndingInAnEllipsis)
{
    const QString text = loadString(9015);
    EXPECT_EQ(text, QStringLiteral("The Data logging feature is not supported in KWHr mode\n"
                                   "please change to active power mode")
                        + QChar(0x2026));
}

// --- Formats and captions -------------------------------------------------

TEST(FillFormatTest, FillsPlaceholdersInOrder)
{
    EXPECT_EQ(loadFormatted(7003, {"2", "5"}), "Page : 2 of 5");
    EXPECT_EQ(loadFormatted(7999, {"10", "64"}), "Reading Data : 10 of 64");
    EXPECT_EQ(loadFormatted(6001, {"/tmp/x y/KORUDL.ini"}), "Cannot open file /tmp/x y/KORUDL.ini");
}

TEST(FillFormatTest, OddInputsStayHarmless)
{
    EXPECT_EQ(fillFormat("100%% done", {}), "100% done");
    EXPECT_EQ(fillFormat("a %d b %d", {"1"}), "a 1 b ");          // values run out
    EXPECT_EQ(fillFormat("%d", {"1", "2"}), "1");                 // extra values ignored
    EXPECT_EQ(fillFormat("%x %", {"1"}), "%x %");                 // unknown and trailing "%"
    EXPECT_EQ(fillFormat("file %s", {"%d%s"}), "file %d%s");      // values are not rescanned
}

TEST(CaptionTest, CarriesKindAndNumber)
{
    EXPECT_EQ(warningCaption(8001), "Warning[W8001]");
    EXPECT_EQ(errorCaption(9004), "Error[E9004]");
    EXPECT_EQ(messageCaption(8999, 9015), "Warning[W9015]");
    EXPECT_EQ(messageCaption(9999, 9013), "Error[E9013]");
}

// --- showUserMessage ------------------------------------------------------

TEST(ShowUserMessageTest, WarningShowsStopIconAndOk)
{
    ScriptedPromptService prompts;
    auto* owner = reinterpret_cast<QWidget*>(0x1234); // only passed through
    showUserMessage(prompts, owner, 8999, 8008);

    ASSERT_EQ(prompts.messageCount(), 1);
    const auto& call = prompts.lastCall();
    EXPECT_EQ(call.owner, owner);
    EXPECT_EQ(call.message.caption, "Warning[W8008]");
    EXPECT_EQ(call.message.text, "First page.");
    EXPECT_EQ(call.message.icon, Icon::Stop);
    EXPECT_EQ(call.message.buttons, QList<Button>{Button::Ok});
    EXPECT_EQ(call.answer, Button::Ok);
}

TEST(ShowUserMessageTest, ErrorCaptionCarriesTheMessageNumber)
{
    ScriptedPromptService prompts;
    showUserMessage(prompts, nullptr, 9999, 9004);
    showUserMessage(prompts, nullptr, 9999, 9005);
    EXPECT_EQ(prompts.captions(), (QStringList{"Error[E9004]", "Error[E9005]"}));
    EXPECT_EQ(prompts.texts(), (QStringList{"File open error.", "File save error."}));
    EXPECT_EQ(prompts.last().icon, Icon::Stop);
}

// --- The scripted prompt service ------------------------------------------

PromptService::Message question(QList<Button> buttons, Button defaultButton)
{
    PromptService::Message m;
    m.caption = warningCaption(8003);
    m.text = loadString(8003) + "\n" + loadString(7005);
    m.icon = Icon::Question;
    m.buttons = std::move(buttons);
    m.defaultButton = defaultButton;
    return m;
}

TEST(ScriptedPromptServiceTest, UnscriptedBoxAnswersItsDefaultButton)
{
    ScriptedPromptService prompts;
    EXPECT_EQ(prompts.message(nullptr, question({Button::Yes, Button::No, Button::Cancel}, Button::Cancel)),
              Button::Cancel);
    EXPECT_EQ(prompts.message(nullptr, question({Button::Yes, Button::No}, Button::None)), Button::Yes);
    EXPECT_EQ(prompts.message(nullptr, question({}, Button::None)), Button::Ok);
}

TEST(ScriptedPromptServiceTest, ScriptedAnswersAreUsedInOrderAndRecorded)
{
    ScriptedPromptService prompts;
    prompts.answer(Button::No).answers({Button::Yes, Button::Abort});
    EXPECT_EQ(prompts.pendingAnswers(), 3);
    const auto m = question({Button::Yes, Button::No, Button::Cancel}, Button::Cancel);
    EXPECT_EQ(prompts.message(nullptr, m), Button::No);
    EXPECT_EQ(prompts.message(nullptr, m), Button::Yes);
    EXPECT_EQ(prompts.message(nullptr, m), Button::Abort);
    EXPECT_EQ(prompts.message(nullptr, m), Button::Cancel);
    EXPECT_EQ(prompts.pendingAnswers(), 0);

    ASSERT_EQ(prompts.messages().size(), 4);
    EXPECT_EQ(prompts.messageCalls()[1].answer, Button::Yes);
    EXPECT_EQ(prompts.last().caption, "Warning[W8003]");
    EXPECT_EQ(prompts.last().text, "Buffer has data.\nDo you want to save the data to a file before exit ?");
    EXPECT_EQ(prompts.last().icon, Icon::Question);
    EXPECT_EQ(prompts.last().defaultButton, Button::Cancel);
}

TEST(ScriptedPromptServiceTest, HookRunsWhileTheBoxIsOpen)
{
    ScriptedPromptService prompts;
    int seenCount = -1;
    prompts.onMessage([&](const PromptService::Message& m) {
        EXPECT_EQ(m.caption, "Warning[W8014]");
        seenCount = prompts.messageCount();
    });
    prompts.message(nullptr, userMessage(8999, 8014));
    EXPECT_EQ(seenCount, 1);
}

TEST(ScriptedPromptServiceTest, DialogsAreCancelledUnlessScripted)
{
    ScriptedPromptService prompts;
    bool ok = true;
    EXPECT_TRUE(prompts.fileName(nullptr, {}).isEmpty());
    EXPECT_FALSE(prompts.color(nullptr, Qt::red, "Colour").isValid());
    EXPECT_TRUE(prompts.text(nullptr, "Interval in second(s)", "Input an integer value ? ", "5", &ok).isEmpty());
    EXPECT_FALSE(ok);

    PromptService::FileRequest save;
    save.save = true;
    save.fileName = "Untitled.640";
    prompts.answerFileName("/tmp/a.640").answerColor(Qt::blue).answerText("7").cancelText();
    EXPECT_EQ(prompts.fileName(nullptr, save), "/tmp/a.640");
    EXPECT_EQ(prompts.color(nullptr, Qt::red, "Colour"), QColor(Qt::blue));
    EXPECT_EQ(prompts.text(nullptr, "c", "l", "5", &ok), "7");
    EXPECT_TRUE(ok);
    EXPECT_TRUE(prompts.text(nullptr, "c", "l", "5", &ok).isEmpty());
    EXPECT_FALSE(ok);

    ASSERT_EQ(prompts.fileRequests().size(), 2);
    EXPECT_TRUE(prompts.fileRequests()[1].request.save);
    EXPECT_EQ(prompts.fileRequests()[1].request.fileName, "Untitled.640");
    ASSERT_EQ(prompts.colorRequests().size(), 2);
    EXPECT_EQ(prompts.colorRequests()[1].initial, QColor(Qt::red));
    ASSERT_EQ(prompts.textRequests().size(), 3);
    EXPECT_EQ(prompts.textRequests()[0].caption, "Interval in second(s)");
    EXPECT_EQ(prompts.textRequests()[0].initial, "5");
}

TEST(ScriptedPromptServiceTest, LastWithoutAnyBoxThrowsAndClearForgets)
{
    ScriptedPromptService prompts;
    EXPECT_THROW(prompts.last(), std::logic_error);
    prompts.answer(Button::Yes);
    prompts.message(nullptr, userMessage(9999, 9002));
    prompts.answer(Button::No);
    prompts.clear();
    EXPECT_EQ(prompts.messageCount(), 0);
    EXPECT_EQ(prompts.pendingAnswers(), 0);
}

} // namespace
} // namespace vt640
