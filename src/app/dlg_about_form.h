#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vt640 {

// The application icon (a small hand-held meter with a needle dial), drawn
// in code: one square picture of `size` pixels, and an icon with the usual
// sizes for window captions.
QPixmap applicationIconPixmap(int size);
QIcon applicationIcon();

// The About box: a lowered panel with the application icon at its left and
// a read-only memo with the program's name, version and system at its right;
// an OK button below. Fixed size, centred on the screen when shown.
class TDlgAboutForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 335;
    static constexpr int kClientHeight = 226;

    explicit TDlgAboutForm(QWidget* parent = nullptr);
    ~TDlgAboutForm() override;

    QFrame* panel() const { return Panel1; }
    QLabel* iconImage() const { return Image1; }
    QLabel* logoImage() const { return ImageLogo; }
    QPlainTextEdit* memo() const { return Memo1; }
    QPushButton* okButton() const { return bbtnOk; }

    // Moves the box to the centre of its screen.
    void centreOnScreen();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();

    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* ImageLogo = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* bbtnOk = nullptr;
};

} // namespace vt640
