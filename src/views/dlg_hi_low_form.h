#pragma once

#include <QDialog>

namespace vt640 {

class GlobalState;
class PromptService;

// The comparator's limits dialog.
class TDlgHiLowForm : public QDialog {
    Q_OBJECT
public:
    TDlgHiLowForm(GlobalState& state, PromptService& prompts, QWidget* parent = nullptr);

private:
    GlobalState& state_;
    PromptService& prompts_;
};

} // namespace vt640
