#include "viewer/dlg_export_form.h"

#include "app/core/user_messages.h"

namespace vt640 {

TDlgExportForm::TDlgExportForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(loadString(Str::CaptionExport));
}

} // namespace vt640
