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
        SCOPED_TRACE(number(e.id));
        EXPECT_FALSE(e.text.empty());
        EXPECT_TRUE(validUtf8(e.text));
        // Only %d and %s are ever filled in.
        for (std::size_t p = e.text.find('%'); p != std::string_view::npos; p = e.text.find('%', p + 2)) {
            ASSERT_LT(p + 1, e.text.size());
            EXPECT_TRUE(e.text[p + 1] == 'd' || e.text[p + 1] == 's') << e.text;
        }
    }
}

// Every name the code can use stands for an entry of the table, and every
// entry has a name (the table is written with the names).
TEST(StringTableTest, EveryNameHasItsEntry)
{
    int names = 0;
#define VT640_EXPECT_ENTRY(name, number)                                                                               \
    EXPECT_TRUE(hasString(number)) << #name;                                                                           \
    EXPECT_FALSE(stringText(Str::name).empty()) << #name;                                                              \
    ++names;
    VT640_STRING_IDS(VT640_EXPECT_ENTRY)
#undef VT640_EXPECT_ENTRY
    EXPECT_EQ(names, static_cast<int>(allStrings().size()));
}

TEST(StringTableTest, EnergyModeTextIsTwoLinesEndingInAnEllipsis)
{
    const QString text = loadString(Str::ErrKwhMode);
    EXPECT_EQ(text, QStringLiteral("The Data logging feature is not supported in KWHr mode\n"
                                   "please change to active power mode")
                        + QChar(0x2026));
}

// --- Formats and captions -------------------------------------------------

TEST(FillFormatTest, FillsPlaceholdersInOrder)
{
    EXPECT_EQ(loadFormatted(Str::StatusPage, {"2", "5"}), "Page : 2 of 5");
    EXPECT_EQ(loadFormatted(Str::ReadingDataCount, {"10", "64"}), "Reading Data : 10 of 64");
    EXPECT_EQ(loadFormatted(Str::CannotOpenFile, {"/tmp/x y/KORUDL.ini"}), "Cannot open file /tmp/x y/KORUDL.ini");
}

TEST(FillFormatTest, OddInputsStayHarmless)
{
    EXPECT_EQ(fillFormat("100%% done", {}), "100% done");
    EXPECT_EQ(fillFormat("a %d b %d", {"1"}), "a 1 b ");     // values run out
    EXPECT_EQ(fillFormat("%d", {"1", "2"}), "1");            // extra values ignored
    EXPECT_EQ(fillFormat("%x %", {"1"}), "%x %");            // unknown and trailing "%"
    EXPECT_EQ(fillFormat("file %s", {"%d%s"}), "file %d%s"); // values are not rescanned
}

TEST(CaptionTest, CarriesKindAndNumber)
{
    EXPECT_EQ(warningCaption(Str::WarnNoPort), "Warning[W8001]");
    EXPECT_EQ(errorCaption(Str::ErrFileOpen), "Error[E9004]");
    EXPECT_EQ(messageCaption(Str::WarningCaption, Str::ErrKwhMode), "Warning[W9015]");
    EXPECT_EQ(messageCaption(Str::ErrorCaption, Str::ErrNoFileName), "Error[E9013]");
}

// --- showUserMessage ------------------------------------------------------

TEST(ShowUserMessageTest, WarningShowsStopIconAndOk)
{
    ScriptedPromptService prompts;
    auto* owner = reinterpret_cast<QWidget*>(0x1234); // only passed through
    showUserMessage(prompts, owner, Str::WarningCaption, Str::WarnFirstPage);

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
    showUserMessage(prompts, nullptr, Str::ErrorCaption, Str::ErrFileOpen);
    showUserMessage(prompts, nullptr, Str::ErrorCaption, Str::ErrFileSave);
    EXPECT_EQ(prompts.captions(), (QStringList{"Error[E9004]", "Error[E9005]"}));
    EXPECT_EQ(prompts.texts(), (QStringList{"File open error.", "File save error."}));
    EXPECT_EQ(prompts.last().icon, Icon::Stop);
}

// --- The scripted prompt service ------------------------------------------

PromptService::Message question(QList<Button> buttons, Button defaultButton)
{
    PromptService::Message m;
    m.caption = warningCaption(Str::WarnBufferHasData);
    m.text = loadString(Str::WarnBufferHasData) + "\n" + loadString(Str::SaveBeforeExit);
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
    prompts.message(nullptr, userMessage(Str::WarningCaption, Str::WarnAbortImport));
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
    prompts.message(nullptr, userMessage(Str::ErrorCaption, Str::ErrNotLinked));
    prompts.answer(Button::No);
    prompts.clear();
    EXPECT_EQ(prompts.messageCount(), 0);
    EXPECT_EQ(prompts.pendingAnswers(), 0);
}

} // namespace
} // namespace vt640
