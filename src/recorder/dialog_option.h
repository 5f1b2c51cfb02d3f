#pragma once

#include <QDialog>

#include <cstdint>
#include <limits>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vt640 {

class PromptService;

// The acquisition interval dialog: Manual or Automatic, and for Automatic
// Full Speed or a number of seconds asked for in an input box. The caller
// presets manual() and seconds(), runs it, and reads them back after OK.
class TDialogOption : public QDialog {
    Q_OBJECT
public:
    explicit TDialogOption(PromptService& prompts, QWidget* parent = nullptr);

    bool manual() const { return manual_; }
    void setManual(bool on) { manual_ = on; }
    // The longest interval: its milliseconds still fit the timer's int.
    static constexpr int kMaxSeconds = std::numeric_limits<std::int32_t>::max() / 1000;

    // 0 stands for Full Speed.
    int seconds() const { return seconds_; }
    void setSeconds(int s) { seconds_ = s; }

    QRadioButton* rbtnManual = nullptr;
    QRadioButton* rbtnAutomatic = nullptr;
    QComboBox* cbxInterval = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* bbtnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void radioClicked();
    void intervalChanged(int item);
    void selectIntervalItem();

    PromptService& prompts_;
    QGroupBox* rgIntervalMode = nullptr;
    QLabel* Image1 = nullptr;
    bool manual_ = false;
    int seconds_ = 0;
};

} // namespace vt640
