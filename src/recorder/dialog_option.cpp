#include "recorder/dialog_option.h"

#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"
#include "meter/number_text.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace vt640 {
namespace {
constexpr int kFullSpeedItem = 0;
constexpr int kCustomItem = 1;
} // namespace

TDialogOption::TDialogOption(PromptService& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts)
{
    setWindowTitle(loadString(Str::CaptionIntervalOption));

    rgIntervalMode = new QGroupBox(loadString(Str::IntervalModeGroup), this);
    rbtnManual = new QRadioButton(loadString(Str::IntervalManual), rgIntervalMode);
    rbtnAutomatic = new QRadioButton(loadString(Str::IntervalAutomatic), rgIntervalMode);
    cbxInterval = new QComboBox(rgIntervalMode);
    cbxInterval->setEditable(false);
    cbxInterval->addItem(loadString(Str::IntervalFullSpeed));
    cbxInterval->addItem(loadString(Str::IntervalCustomization));
    cbxInterval->setFixedWidth(
        QFontMetrics(cbxInterval->font()).horizontalAdvance(loadString(Str::IntervalCustomization)) + 35);

    auto* grid = new QGridLayout(rgIntervalMode);
    grid->addWidget(rbtnManual, 0, 0);
    grid->addWidget(rbtnAutomatic, 1, 0);
    grid->addWidget(cbxInterval, 1, 1);
    grid->setHorizontalSpacing(5);

    Image1 = new QLabel(this);
    const QIcon icon = windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon) : windowIcon();
    Image1->setPixmap(icon.pixmap(32, 32));

    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignVCenter);
    top->addSpacing(15);
    top->addWidget(rgIntervalMode);

    btnOk = new QPushButton(loadString(Str::ButtonOk), this);
    bbtnCancel = new QPushButton(loadString(Str::ButtonCancel), this);
    btnOk->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(bbtnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rbtnManual, &QRadioButton::clicked, this, &TDialogOption::radioClicked);
    connect(rbtnAutomatic, &QRadioButton::clicked, this, &TDialogOption::radioClicked);
    connect(cbxInterval, &QComboBox::currentIndexChanged, this, &TDialogOption::intervalChanged);
}

void TDialogOption::showEvent(QShowEvent* event)
{
    rbtnManual->setChecked(manual_);
    rbtnAutomatic->setChecked(!manual_);
    cbxInterval->setEnabled(!rbtnManual->isChecked());
    selectIntervalItem();
    QDialog::showEvent(event);
}

void TDialogOption::radioClicked()
{
    manual_ = rbtnManual->isChecked();
    cbxInterval->setEnabled(!manual_);
}

void TDialogOption::selectIntervalItem()
{
    const QSignalBlocker block(cbxInterval);
    cbxInterval->setCurrentIndex(seconds_ != 0 ? kCustomItem : kFullSpeedItem);
}

void TDialogOption::intervalChanged(int item)
{
    if (item == kFullSpeedItem) {
        seconds_ = 0;
        return;
    }
    if (item != kCustomItem)
        return;
    // Asks until the answer is a whole number of seconds that the logging
    // timer can hold in milliseconds. Only Cancel ends the questions without
    // one, and then the seconds stay as they were: a negative or overflowing
    // interval would leave logging with a timer that never fires.
    QString shown = QString::number(seconds_);
    for (;;) {
        bool ok = false;
        const QString answer =
            prompts_.text(this, loadString(Str::IntervalInSeconds), loadString(Str::IntervalInputPrompt), shown, &ok);
        if (!ok) {
            selectIntervalItem();
            return;
        }
        const auto value = parseInteger(answer.trimmed().toStdString());
        if (value && *value >= 0 && *value <= kMaxSeconds) {
            seconds_ = *value;
            return;
        }
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrNotAFloat);
        shown = answer;
    }
}

} // namespace vt640
