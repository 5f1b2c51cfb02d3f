#include "app/core/queued_prompts.h"

namespace vt640 {

void QueuedPrompts::release(QWidget* owner)
{
    released_ = true;
    // A message may be asked for while an earlier one is up; it joins the end.
    while (!held_.isEmpty()) {
        const Held next = held_.takeFirst();
        target_.message(next.owner ? next.owner : owner, next.message);
    }
}

PromptService::Button QueuedPrompts::message(QWidget* owner, const Message& message)
{
    if (released_ && held_.isEmpty())
        return target_.message(owner, message);
    held_.append({owner, message});
    if (message.defaultButton != Button::None && message.buttons.contains(message.defaultButton))
        return message.defaultButton;
    return message.buttons.isEmpty() ? Button::Ok : message.buttons.first();
}

QString QueuedPrompts::fileName(QWidget* owner, const FileRequest& request, QString* selectedFilter)
{
    return target_.fileName(owner, request, selectedFilter);
}

QColor QueuedPrompts::color(QWidget* owner, const QColor& initial, const QString& caption)
{
    return target_.color(owner, initial, caption);
}

QString QueuedPrompts::text(QWidget* owner, const QString& caption, const QString& label, const QString& initial,
                            bool* ok)
{
    return target_.text(owner, caption, label, initial, ok);
}

bool QueuedPrompts::printDialog(QWidget* owner, QPrinter& printer) { return target_.printDialog(owner, printer); }

bool QueuedPrompts::printerSetup(QWidget* owner, QPrinter& printer) { return target_.printerSetup(owner, printer); }

} // namespace vt640
