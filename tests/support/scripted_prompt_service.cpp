#include "support/scripted_prompt_service.h"

#include <stdexcept>

namespace vt640 {

ScriptedPromptService& ScriptedPromptService::answer(Button button)
{
    buttonAnswers_.enqueue(button);
    return *this;
}

ScriptedPromptService& ScriptedPromptService::answers(std::initializer_list<Button> buttons)
{
    for (Button b : buttons)
        buttonAnswers_.enqueue(b);
    return *this;
}

ScriptedPromptService& ScriptedPromptService::answerFileName(const QString& path, const QString& filter)
{
    fileAnswers_.enqueue({path, filter});
    return *this;
}

ScriptedPromptService& ScriptedPromptService::answerColor(const QColor& color)
{
    colorAnswers_.enqueue(color);
    return *this;
}

ScriptedPromptService& ScriptedPromptService::answerText(const QString& text)
{
    textAnswers_.enqueue({text, true});
    return *this;
}

ScriptedPromptService& ScriptedPromptService::cancelText()
{
    textAnswers_.enqueue({QString(), false});
    return *this;
}

ScriptedPromptService& ScriptedPromptService::answerPrintDialog(bool accept, PrinterChoice setUp)
{
    printAnswers_.enqueue({accept, std::move(setUp)});
    return *this;
}

ScriptedPromptService& ScriptedPromptService::answerPrinterSetup(bool accept, PrinterChoice setUp)
{
    setupAnswers_.enqueue({accept, std::move(setUp)});
    return *this;
}

void ScriptedPromptService::onMessage(std::function<void(const Message&)> hook) { hook_ = std::move(hook); }

QList<PromptService::Message> ScriptedPromptService::messages() const
{
    QList<Message> list;
    list.reserve(messageCalls_.size());
    for (const MessageCall& call : messageCalls_)
        list.append(call.message);
    return list;
}

const PromptService::Message& ScriptedPromptService::last() const { return lastCall().message; }

const ScriptedPromptService::MessageCall& ScriptedPromptService::lastCall() const
{
    if (messageCalls_.isEmpty())
        throw std::logic_error("no message box was shown");
    return messageCalls_.last();
}

QStringList ScriptedPromptService::captions() const
{
    QStringList list;
    for (const MessageCall& call : messageCalls_)
        list.append(call.message.caption);
    return list;
}

QStringList ScriptedPromptService::texts() const
{
    QStringList list;
    for (const MessageCall& call : messageCalls_)
        list.append(call.message.text);
    return list;
}

int ScriptedPromptService::pendingAnswers() const
{
    return static_cast<int>(buttonAnswers_.size() + fileAnswers_.size() + colorAnswers_.size() + textAnswers_.size()
                            + printAnswers_.size() + setupAnswers_.size());
}

void ScriptedPromptService::clear()
{
    buttonAnswers_.clear();
    fileAnswers_.clear();
    colorAnswers_.clear();
    textAnswers_.clear();
    printAnswers_.clear();
    setupAnswers_.clear();
    messageCalls_.clear();
    fileCalls_.clear();
    colorCalls_.clear();
    textCalls_.clear();
    printCalls_.clear();
    setupCalls_.clear();
}

PromptService::Button ScriptedPromptService::defaultAnswer(const Message& message)
{
    if (message.defaultButton != Button::None && message.buttons.contains(message.defaultButton))
        return message.defaultButton;
    for (Button b : message.buttons)
        if (b != Button::None)
            return b;
    return Button::Ok;
}

PromptService::Button ScriptedPromptService::message(QWidget* owner, const Message& message)
{
    // Record first, so that a hook (or code it triggers) sees this box.
    messageCalls_.append({owner, message, Button::None});
    const qsizetype index = messageCalls_.size() - 1;
    if (hook_)
        hook_(message);
    const Button answer = buttonAnswers_.isEmpty() ? defaultAnswer(message) : buttonAnswers_.dequeue();
    if (index < messageCalls_.size()) // the hook may have cleared the record
        messageCalls_[index].answer = answer;
    return answer;
}

QString ScriptedPromptService::fileName(QWidget* owner, const FileRequest& request, QString* selectedFilter)
{
    FileAnswer answer = fileAnswers_.isEmpty() ? FileAnswer{} : fileAnswers_.dequeue();
    if (answer.filter.isEmpty())
        answer.filter = request.filters.value(0);
    fileCalls_.append({owner, request, answer.path, answer.filter});
    if (selectedFilter)
        *selectedFilter = answer.path.isEmpty() ? QString() : answer.filter;
    return answer.path;
}

QColor ScriptedPromptService::color(QWidget* owner, const QColor& initial, const QString& caption)
{
    const QColor answer = colorAnswers_.isEmpty() ? QColor() : colorAnswers_.dequeue();
    colorCalls_.append({owner, initial, caption, answer});
    return answer;
}

QString ScriptedPromptService::text(QWidget* owner, const QString& caption, const QString& label,
                                    const QString& initial, bool* ok)
{
    const TextAnswer answer = textAnswers_.isEmpty() ? TextAnswer{QString(), false} : textAnswers_.dequeue();
    textCalls_.append({owner, caption, label, initial, answer.text, answer.ok});
    if (ok)
        *ok = answer.ok;
    return answer.ok ? answer.text : QString();
}

bool ScriptedPromptService::printDialog(QWidget* owner, QPrinter& printer)
{
    const PrinterAnswer answer = printAnswers_.isEmpty() ? PrinterAnswer{} : printAnswers_.dequeue();
    if (answer.accept && answer.setUp) // a cancelled dialog changes nothing
        answer.setUp(printer);
    printCalls_.append({owner, &printer, answer.accept});
    return answer.accept;
}

bool ScriptedPromptService::printerSetup(QWidget* owner, QPrinter& printer)
{
    const PrinterAnswer answer = setupAnswers_.isEmpty() ? PrinterAnswer{} : setupAnswers_.dequeue();
    if (answer.accept && answer.setUp) // a cancelled dialog changes nothing
        answer.setUp(printer);
    setupCalls_.append({owner, &printer, answer.accept});
    return answer.accept;
}

const char* buttonName(PromptService::Button button)
{
    switch (button) {
    case PromptService::Button::None: return "None";
    case PromptService::Button::Ok: return "Ok";
    case PromptService::Button::Cancel: return "Cancel";
    case PromptService::Button::Yes: return "Yes";
    case PromptService::Button::No: return "No";
    case PromptService::Button::Abort: return "Abort";
    case PromptService::Button::Retry: return "Retry";
    }
    return "?";
}

const char* iconName(PromptService::Icon icon)
{
    switch (icon) {
    case PromptService::Icon::None: return "None";
    case PromptService::Icon::Stop: return "Stop";
    case PromptService::Icon::Exclamation: return "Exclamation";
    case PromptService::Icon::Question: return "Question";
    case PromptService::Icon::Information: return "Information";
    }
    return "?";
}

} // namespace vt640
