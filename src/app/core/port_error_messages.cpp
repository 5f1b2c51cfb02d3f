#include "app/core/port_error_messages.h"

#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"

namespace vt640 {

void PortErrorMessages::portOpenError(const std::string&)
{
    PromptService::Message box;
    box.caption = errorCaption(9001);
    box.text = loadString(9001);
    box.icon = PromptService::Icon::Stop;
    prompts_.message(nullptr, box); // this one has no owner window
}

void PortErrorMessages::portTimeoutError()
{
    PromptService::Message box;
    box.caption = errorCaption(9009);
    box.text = loadString(9009);
    box.icon = PromptService::Icon::Exclamation;
    prompts_.message(owner_, box);
    box.caption = warningCaption(8001);
    box.text = loadString(8001);
    prompts_.message(owner_, box);
}

} // namespace vt640
