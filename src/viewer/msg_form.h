#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vt640 {

class GlobalState;
class PromptService;

// The progress form: a small caption-less window, always on top, that a
// long file operation of the recorder shows while it works, with a message
// line, a counter line, a progress bar and an Abort button. The operation
// writes the texts and moves the bar; the form only offers the abort
// request, which it makes by clearing `fileLoadBusy` once the user has
// confirmed it. It never closes itself: the operation sees the cleared
// flag, stops and hides the form.
class TMsgForm : public QDialog {
    Q_OBJECT
public:
    TMsgForm(GlobalState& state, PromptService& prompts, QWidget* parent = nullptr);

    // The message line's text and colour.
    void setMessage(const QString& text, const QColor& color);

    QLabel* MsgPanel = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* bbtnAbort = nullptr;

    // The client area without the border, as designed.
    static constexpr int kClientWidth = 466;
    static constexpr int kClientHeight = 148;

public slots:
    // Abort: asks W8014 (No is the default) and on Yes clears fileLoadBusy.
    void bbtnAbortClick();

    // Neither Escape nor the window manager's close hides the form: only
    // the operation it belongs to does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    GlobalState& state_;
    PromptService& prompts_;
};

} // namespace vt640
