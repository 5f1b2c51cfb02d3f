#include "viewer/dlg_fit_export_form.h"

namespace vt640 {

TDlgFitExportForm::TDlgFitExportForm(PromptService& prompts, QWidget* parent)
    : TDlgExportForm(prompts, ExportChoices::PrinterRule::ThisPageOnly, parent)
{
    setObjectName(QStringLiteral("DlgFitExportForm"));
}

} // namespace vt640
