#include "app/dlg_rs_port_form.h"

#include "app/core/global_state.h"
#include "app/core/user_messages.h"
#include "app/widgets/elided_label.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace vt640 {

namespace {

// A nine-pin connector, the dialog's picture.
QPixmap connectorPicture()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF shell;
    shell << QPointF(6, 18) << QPointF(58, 18) << QPointF(52, 46) << QPointF(12, 46);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(170, 175, 185));
    p.drawPolygon(shell);
    p.setBrush(QColor(40, 40, 40));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(16 + i * 8, 27), 2.4, 2.4);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(20 + i * 8, 37), 2.4, 2.4);
    p.setPen(QPen(QColor(30, 30, 30), 3));
    p.drawLine(32, 46, 32, 62);
    return pixmap;
}

} // namespace

TDlgRsPortForm::TDlgRsPortForm(GlobalState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      state_(state)
{
    setWindowTitle(loadString(Str::CaptionPortDialog));
    setFixedSize(326, 252);

    auto* image = new QLabel(this);
    image->setPixmap(connectorPicture());
    image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(2);
    // The two columns share the panel; a path longer than its half is cut.
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    group_ = new QButtonGroup(this);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    for (int n = 1; n <= 8; ++n) {
        auto* radio = new QRadioButton(QStringLiteral("COM%1").arg(n), panel);
        auto* device = new ElidedLabel(QString::fromStdString(state_.portTable.devicePath(n)), panel);
        device->setFont(small);
        device->setForegroundRole(QPalette::PlaceholderText);
        device->setIndent(22);
        group_->addButton(radio, n);
        // COM1, COM3, COM5, COM7 on the left; the even ones on the right.
        const int row = (n - 1) / 2 * 2;
        const int column = (n - 1) % 2;
        grid->addWidget(radio, row, column);
        grid->addWidget(device, row + 1, column);
        radios_[n - 1] = radio;
        devices_[n - 1] = device;
    }

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);

    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), loadString(Str::ButtonOk), this);
    auto* cancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), loadString(Str::ButtonCancel), this);
    ok->setObjectName("bbtnOk");
    cancel->setObjectName("bbtnCancel");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TDlgRsPortForm::bbtnOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addWidget(panel, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(bevel);
    layout->addLayout(buttons);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

QRadioButton* TDlgRsPortForm::radioButton(int port) const
{
    return port >= 1 && port <= 8 ? radios_[port - 1] : nullptr;
}

ElidedLabel* TDlgRsPortForm::deviceLabel(int port) const
{
    return port >= 1 && port <= 8 ? devices_[port - 1] : nullptr;
}

void TDlgRsPortForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TDlgRsPortForm::FormShow()
{
    // An adapter plugged in (or a link made) since the last look is offered.
    state_.probePorts();
    // A choice from the last time must not linger: select exactly the preset.
    group_->setExclusive(false);
    for (int n = 1; n <= 8; ++n) {
        radios_[n - 1]->setEnabled(state_.isPortPresent(n));
        radios_[n - 1]->setChecked(n == selectedPort_);
        // A long path is cut in the label; the tip shows it whole.
        const QString device = QString::fromStdString(state_.portTable.devicePath(n));
        devices_[n - 1]->setText(device);
        devices_[n - 1]->setToolTip(device);
        radios_[n - 1]->setToolTip(device);
    }
    group_->setExclusive(true);
}

void TDlgRsPortForm::bbtnOkClick()
{
    for (int n = 1; n <= 8; ++n) {
        if (radios_[n - 1]->isChecked()) {
            selectedPort_ = n;
            break;
        }
    }
    accept();
}

} // namespace vt640
