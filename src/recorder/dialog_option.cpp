#include "recorder/dialog_option.h"

#include "app/user_messages.h"

namespace vt640 {

TDialogOption::TDialogOption(PromptService& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts)
{
    setWindowTitle(loadString(106));
}

} // namespace vt640
