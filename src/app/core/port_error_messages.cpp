#include "app/core/port_error_messages.h"

#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"

namespace vt640 {

void PortErrorMessages::portOpenError(const std::string&)
{
    PromptService::Message box;
    box.caption = errorCaption(Str::ErrPortOpen);
    box.text = loadString(Str::ErrPortOpen);
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
