#include "views/dlg_hi_low_form.h"

#include "app/global_state.h"

namespace vt640 {

TDlgHiLowForm::TDlgHiLowForm(GlobalState& state, PromptService& prompts, QWidget* parent)
    : QDialog(parent), state_(state), prompts_(prompts)
{
    setWindowTitle("Comparator Hi-Low limit setting");
}

} // namespace vt640
