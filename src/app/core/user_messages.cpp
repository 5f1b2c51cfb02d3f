#include "app/core/user_messages.h"

#include "resources/string_table.h"

namespace vt640 {

QString loadString(Str id)
{
    const std::string_view text = stringText(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString fillFormat(const QString& format, const QStringList& values)
{
    QString out;
    out.reserve(format.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar conversion = format.at(i + 1);
        if (conversion == QLatin1Char('d') || conversion == QLatin1Char('s')) {
            if (next < values.size())
                out += values.at(next);
            ++next;
            ++i;
        } else if (conversion == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString loadFormatted(Str id, const QStringList& values) { return fillFormat(loadString(id), values); }

QString messageCaption(Str caption, Str message) { return loadFormatted(caption, {QString::number(number(message))}); }

QString warningCaption(Str message) { return messageCaption(Str::WarningCaption, message); }

QString errorCaption(Str message) { return messageCaption(Str::ErrorCaption, message); }

QString captionOf(Str message)
{
    const bool warning = number(message) < number(Str::WarningCaption) || message == Str::ErrKwhMode;
    return warning ? warningCaption(message) : errorCaption(message);
}

PromptService::Message userMessage(Str caption, Str text)
{
    PromptService::Message message;
    message.caption = messageCaption(caption, text);
    message.text = loadString(text);
    message.icon = PromptService::Icon::Stop;
    message.buttons = {PromptService::Button::Ok};
    message.defaultButton = PromptService::Button::Ok;
    return message;
}

void showUserMessage(PromptService& prompts, QWidget* owner, Str caption, Str message)
{
    prompts.message(owner, userMessage(caption, message));
}

void showFileError(PromptService& prompts, QWidget* owner, Str message, const QString& path, const QString& reason)
{
    PromptService::Message box = userMessage(Str::ErrorCaption, message);
    box.text += QLatin1Char('\n') + loadFormatted(Str::NameAndReason, {path, reason});
    prompts.message(owner, box);
}

} // namespace vt640
