#pragma once

#include "app/core/prompt_service.h"

#include <QColor>
#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <ostream>

namespace vt640 {

// A PromptService for tests: nothing is shown. Every request is recorded in
// order, and answers come from queues that the test fills beforehand.
//
//   ScriptedPromptService prompts;
//   prompts.answer(Button::No);                 // the next message box answers No
//   form.close();                               // code under test asks
//   EXPECT_EQ(prompts.last().caption, "Warning[W8003]");
//
// Without a scripted answer a message box answers its default button (the
// first button when it names none), a file dialog and an input box are
// cancelled and a colour dialog returns an invalid colour.
class ScriptedPromptService : public PromptService {
public:
    struct MessageCall {
        QWidget* owner = nullptr;
        Message message;
        Button answer = Button::None;
    };
    struct FileCall {
        QWidget* owner = nullptr;
        FileRequest request;
        QString answer;
        QString filter; // the filter the answer chose
    };
    struct ColorCall {
        QWidget* owner = nullptr;
        QColor initial;
        QString caption;
        QColor answer;
    };
    struct PrinterCall {
        QWidget* owner = nullptr;
        QPrinter* printer = nullptr;
        bool accepted = false;
    };
    // A scripted print or page set-up dialog answers `accept`; when it
    // accepts, `setUp` first makes the user's choices on the printer
    // (output file, page size).
    using PrinterChoice = std::function<void(QPrinter&)>;

    struct TextCall {
        QWidget* owner = nullptr;
        QString caption;
        QString label;
        QString initial;
        QString answer;
        bool ok = false;
    };

    // Scripting: each call queues one answer; answers are used in order.
    ScriptedPromptService& answer(Button button);
    ScriptedPromptService& answers(std::initializer_list<Button> buttons);
    // An empty path answers as a cancelled dialog. `filter` is the filter
    // the user chose; without one the dialog's first (preselected) filter.
    ScriptedPromptService& answerFileName(const QString& path, const QString& filter = {});
    // An invalid colour answers as a cancelled dialog.
    ScriptedPromptService& answerColor(const QColor& color);
    ScriptedPromptService& answerText(const QString& text);
    ScriptedPromptService& cancelText();
    ScriptedPromptService& answerPrintDialog(bool accept, PrinterChoice setUp = {});
    ScriptedPromptService& answerPrinterSetup(bool accept, PrinterChoice setUp = {});
    // Runs inside every message box before it answers, as if the user did
    // something while the box was open (timers firing, another window acting).
    void onMessage(std::function<void(const Message&)> hook);

    // Reading back.
    QList<Message> messages() const;
    const QList<MessageCall>& messageCalls() const { return messageCalls_; }
    int messageCount() const { return static_cast<int>(messageCalls_.size()); }
    // The last message box; throws std::logic_error when none was shown.
    const Message& last() const;
    const MessageCall& lastCall() const;
    QStringList captions() const;
    QStringList texts() const;
    const QList<FileCall>& fileRequests() const { return fileCalls_; }
    const QList<ColorCall>& colorRequests() const { return colorCalls_; }
    const QList<TextCall>& textRequests() const { return textCalls_; }
    const QList<PrinterCall>& printDialogs() const { return printCalls_; }
    const QList<PrinterCall>& printerSetups() const { return setupCalls_; }

    // Scripted answers not used yet (all kinds together).
    int pendingAnswers() const;
    // Forgets the recorded requests and any answers still queued.
    void clear();

    // PromptService.
    Button message(QWidget* owner, const Message& message) override;
    QString fileName(QWidget* owner, const FileRequest& request, QString* selectedFilter = nullptr) override;
    QColor color(QWidget* owner, const QColor& initial, const QString& caption) override;
    QString text(QWidget* owner, const QString& caption, const QString& label, const QString& initial,
                 bool* ok) override;
    // Without a scripted answer both dialogs are cancelled.
    bool printDialog(QWidget* owner, QPrinter& printer) override;
    bool printerSetup(QWidget* owner, QPrinter& printer) override;

    // The button a box answers when nothing is scripted.
    static Button defaultAnswer(const Message& message);

private:
    struct TextAnswer {
        QString text;
        bool ok = true;
    };

    QQueue<Button> buttonAnswers_;
    struct FileAnswer {
        QString path;
        QString filter;
    };
    QQueue<FileAnswer> fileAnswers_;
    QQueue<QColor> colorAnswers_;
    QQueue<TextAnswer> textAnswers_;
    struct PrinterAnswer {
        bool accept = false;
        PrinterChoice setUp;
    };
    QQueue<PrinterAnswer> printAnswers_;
    QQueue<PrinterAnswer> setupAnswers_;
    std::function<void(const Message&)> hook_;

    QList<MessageCall> messageCalls_;
    QList<FileCall> fileCalls_;
    QList<ColorCall> colorCalls_;
    QList<TextCall> textCalls_;
    QList<PrinterCall> printCalls_;
    QList<PrinterCall> setupCalls_;
};

// Readable names in test failure messages.
const char* buttonName(PromptService::Button button);
const char* iconName(PromptService::Icon icon);
inline void PrintTo(PromptService::Button button, std::ostream* os) { *os << buttonName(button); }
inline void PrintTo(PromptService::Icon icon, std::ostream* os) { *os << iconName(icon); }

} // namespace vt640
