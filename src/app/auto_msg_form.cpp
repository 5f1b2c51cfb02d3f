#include "app/auto_msg_form.h"

#include "app/core/user_messages.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace vt640 {

namespace {
constexpr int kTicks = 30;
constexpr int kTickMs = 100;
} // namespace

TAutoMsgForm::TAutoMsgForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setFixedSize(379, 159);

    auto* icon = new QLabel(this);
    icon->setObjectName("Image1");
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    for (int i = 0; i < 3; ++i) {
        lines_[i] = new QLabel(this);
        lines_[i]->setObjectName(QStringLiteral("lbMsg%1").arg(i + 1));
        lines_[i]->setWordWrap(true); // long lines wrap rather than run off the box
        text->addWidget(lines_[i]);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(text, 1);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, kTicks);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setFixedSize(321, 9);

    yes_ = new QPushButton(loadString(Str::ButtonContinue), this);
    yes_->setObjectName("bbtnYes");
    abort_ = new QPushButton(loadString(Str::ButtonAbort), this);
    abort_->setObjectName("bbtnAbort");
    yes_->setDefault(true);
    connect(yes_, &QPushButton::clicked, this, [this] { done(Retry); });
    connect(abort_, &QPushButton::clicked, this, [this] { done(Abort); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes_);
    buttons->addWidget(abort_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(progress_, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, &TAutoMsgForm::Timer1Timer);
}

void TAutoMsgForm::setMessage(const QString& caption, const QString& line1, const QString& line2, const QString& line3)
{
    setWindowTitle(caption);
    lines_[0]->setText(line1);
    lines_[1]->setText(line2);
    lines_[2]->setText(line3);
}

TAutoMsgForm::Result TAutoMsgForm::run()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    const int result = exec();
    timer_->stop();
    return result == Abort ? Abort : result == Retry ? Retry : Yes;
}

QLabel* TAutoMsgForm::line(int i) const { return i >= 0 && i < 3 ? lines_[i] : nullptr; }

void TAutoMsgForm::showEvent(QShowEvent* event)
{
    progress_->setValue(0);
    timer_->start();
    QDialog::showEvent(event);
}

void TAutoMsgForm::closeEvent(QCloseEvent* event)
{
    // No close box: the dialog ends through its buttons or its countdown.
    event->ignore();
}

void TAutoMsgForm::Timer1Timer()
{
    progress_->setValue(progress_->value() + 1);
    if (progress_->value() >= progress_->maximum()) {
        timer_->stop();
        done(Yes);
    }
}

} // namespace vt640
