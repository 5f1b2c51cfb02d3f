#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vt640 {

// The self-closing warning of the acquisition cycle: three lines, a
// countdown bar, "&Continue" and "&Abort". Left alone it closes itself after
// 30 ticks of 100 ms.
class TAutoMsgForm : public QDialog {
    Q_OBJECT
public:
    enum Result { Abort = 3, Retry = 4, Yes = 6 };

    explicit TAutoMsgForm(QWidget* parent = nullptr);

    void setMessage(const QString& caption, const QString& line1, const QString& line2, const QString& line3);
    // Shows the dialog modally; Abort, Retry ("&Continue") or Yes (timed out).
    Result run();

    QLabel* line(int i) const;
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* continueButton() const { return yes_; }
    QPushButton* abortButton() const { return abort_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void Timer1Timer();

private:
    QLabel* lines_[3] = {};
    QProgressBar* progress_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* abort_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace vt640
