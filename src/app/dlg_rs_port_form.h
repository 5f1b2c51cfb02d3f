#pragma once

#include <QDialog>

#include <array>

class QButtonGroup;
class QLabel;
class QRadioButton;

namespace vt640 {

class ElidedLabel;
class GlobalState;

// "Serial Port selection": COM1 to COM8 in two columns, each with the device
// its name stands for. Each showing looks again which ports can be opened.
class TDlgRsPortForm : public QDialog {
    Q_OBJECT
public:
    explicit TDlgRsPortForm(GlobalState& state, QWidget* parent = nullptr);

    // Preset before showing, read back after OK.
    int selectedPort() const { return selectedPort_; }
    void setSelectedPort(int port) { selectedPort_ = port; }

    QRadioButton* radioButton(int port) const;
    ElidedLabel* deviceLabel(int port) const;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void bbtnOkClick();

private:
    void FormShow();

    GlobalState& state_;
    int selectedPort_ = 1;
    QButtonGroup* group_ = nullptr;
    std::array<QRadioButton*, 8> radios_{};
    std::array<ElidedLabel*, 8> devices_{};
};

} // namespace vt640
