#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vt640 {

class PromptService;

// The comparator's limits dialog. The comparator presets it with its limits
// and the current reading's prefix and unit, shows it modally and, on OK,
// reads the two limits back.
//
// Each edit of a limit field is checked as it is typed: an empty field is
// left alone, a number becomes the limit, the start of a number (a lone "-")
// waits silently for the keys that finish it, and anything else is refused
// with E9007 while the limit keeps its value. OK refuses a field that is still
// no number with E9007, and accepts only an upper limit strictly above the
// lower one, else E9008; either way the dialog stays open.
class TDlgHiLowForm : public QDialog {
    Q_OBJECT
public:
    TDlgHiLowForm(PromptService& prompts, QWidget* parent = nullptr);

    // Copies the comparator's state in before the dialog is shown.
    void preset(std::int32_t functionCode, double upperLimit, double lowerLimit, const std::string& prefixText,
                const std::string& unitText);

    double upperLimit() const { return upper_; }
    double lowerLimit() const { return lower_; }

public slots:
    void bbtnOkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void mkeHiLimitChange(const QString& text);
    void mkeLowLimitChange(const QString& text);
    // Shows the current limits, prefix and unit in the fields.
    void showValues();

    PromptService& prompts_;
    double upper_ = 0.0;
    double lower_ = 0.0;
    std::int32_t code_ = 0;
    std::string prefixText_;
    std::string unitText_;

    QLineEdit* mkeHiLimit_;
    QLineEdit* mkeLowLimit_;
    QLabel* stxtHiUnit_;
    QLabel* stxtLowUnit_;
    QLabel* stxtHiFunc_;
    QLabel* stxtLowFunc_;
    QPushButton* bbtnOk_;
    QPushButton* bbtnCancel_;
};

} // namespace vt640
