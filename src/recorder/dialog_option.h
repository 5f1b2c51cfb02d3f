#pragma once

#include <QDialog>

namespace vt640 {

class PromptService;

// The acquisition interval dialog.
class TDialogOption : public QDialog {
    Q_OBJECT
public:
    explicit TDialogOption(PromptService& prompts, QWidget* parent = nullptr);

private:
    PromptService& prompts_;
};

} // namespace vt640
