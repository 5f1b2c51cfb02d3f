#pragma once

#include "viewer/dlg_export_form.h"

namespace vt640 {

// The graph viewer's export dialog: the recorder's dialog, except that the
// printer prints the viewer's one chart, so Printer allows This Page only.
class TDlgFitExportForm : public TDlgExportForm {
    Q_OBJECT
public:
    explicit TDlgFitExportForm(PromptService& prompts, QWidget* parent = nullptr);
};

} // namespace vt640
