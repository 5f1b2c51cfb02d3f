#include "viewer/msg_form.h"

#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace vt640 {
namespace {

// Width of the fixed dialog border drawn round the client area, since the
// window has no frame of the window manager's.
constexpr int kBorder = 3;

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

} // namespace

TMsgForm::TMsgForm(GlobalState& state, PromptService& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), state_(state), prompts_(prompts)
{
    setObjectName(QStringLiteral("MsgForm"));
    setWindowTitle(loadString(Str::ProgressMessage));
    setModal(false);
    setFixedSize(kClientWidth + 2 * kBorder, kClientHeight + 2 * kBorder);

    auto* border = new QFrame(this);
    border->setFrameStyle(QFrame::Panel | QFrame::Raised);
    border->setLineWidth(kBorder);
    border->setGeometry(rect());

    // Top to bottom, each centred across the client area.
    auto centred = [](int width) { return kBorder + (kClientWidth - width) / 2; };

    MsgPanel = new QLabel(loadString(Str::ProgressMessage), this);
    MsgPanel->setObjectName(QStringLiteral("MsgPanel"));
    MsgPanel->setGeometry(centred(443), kBorder + 8, 443, 33);
    MsgPanel->setAlignment(Qt::AlignCenter);
    QFont message(QStringLiteral("Times New Roman"));
    message.setPixelSize(18);
    MsgPanel->setFont(message);
    setTextColor(MsgPanel, Qt::blue);

    Label1 = new QLabel(loadString(Str::ProgressCounter), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(centred(312), kBorder + 50, 312, 16);
    Label1->setAlignment(Qt::AlignCenter);
    QFont counter = Label1->font();
    counter.setPixelSize(15);
    Label1->setFont(counter);
    setTextColor(Label1, QColor(0, 128, 128)); // teal

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(centred(315), kBorder + 74, 315, 12);
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);

    bbtnAbort =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), loadString(Str::ButtonAbort), this);
    bbtnAbort->setObjectName(QStringLiteral("bbtnAbort"));
    bbtnAbort->setGeometry(centred(73), kBorder + 104, 73, 32);
    bbtnAbort->setAutoDefault(false);
    connect(bbtnAbort, &QPushButton::clicked, this, &TMsgForm::bbtnAbortClick);
}

void TMsgForm::setMessage(const QString& text, const QColor& color)
{
    MsgPanel->setText(text);
    setTextColor(MsgPanel, color);
}

void TMsgForm::bbtnAbortClick()
{
    PromptService::Message m;
    m.caption = warningCaption(Str::WarnAbortImport);
    m.text = loadString(Str::WarnAbortImport);
    m.icon = PromptService::Icon::Question;
    m.buttons = {PromptService::Button::Yes, PromptService::Button::No};
    m.defaultButton = PromptService::Button::No;
    if (prompts_.message(this, m) == PromptService::Button::Yes)
        state_.setFileLoadBusy(false);
}

void TMsgForm::reject() {}

void TMsgForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
}

void TMsgForm::closeEvent(QCloseEvent* event) { event->ignore(); }

} // namespace vt640
