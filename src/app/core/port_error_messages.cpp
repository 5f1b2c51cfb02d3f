#include "app/core/port_error_messages.h"

#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"

#include <QFile>

#include <cerrno>
#include <cstring>

namespace vt640 {

QString portOpenDetail(const std::string& device, int error)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(device));
    if (error == 0)
        return path;
    QString detail = loadFormatted(Str::NameAndReason, {path, QString::fromLocal8Bit(std::strerror(error))});
    if (error == EACCES)
        detail += QLatin1Char('\n') + loadString(Str::PortPermissionFix);
    return detail;
}

void PortErrorMessages::portOpenError(const std::string& device, int error)
{
    PromptService::Message box;
    box.caption = errorCaption(Str::ErrPortOpen);
    box.text = loadString(Str::ErrPortOpen) + QLatin1Char('\n') + portOpenDetail(device, error);
    box.icon = PromptService::Icon::Stop;
    prompts_.message(nullptr, box); // this one has no owner window
}

void PortErrorMessages::portTimeoutError()
{
    PromptService::Message box;
    box.caption = errorCaption(Str::ErrPortSettings);
    box.text = loadString(Str::ErrPortSettings);
    box.icon = PromptService::Icon::Exclamation;
    prompts_.message(owner_, box);
    box.caption = warningCaption(Str::WarnNoPort);
    box.text = loadString(Str::WarnNoPort);
    prompts_.message(owner_, box);
}

} // namespace vt640
