#include "viewer/dlg_fit_export_form.h"

#include "app/core/user_messages.h"

namespace vt640 {

TDlgFitExportForm::TDlgFitExportForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(loadString(Str::CaptionExport));
}

} // namespace vt640
