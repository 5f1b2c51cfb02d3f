#include "app/dlg_about_form.h"

#include "app/core/about_text.h"
#include "app/core/user_messages.h"
#include "resources/string_table.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <cmath>

namespace vt640 {
namespace {

// Placement inside the box (pixels).
constexpr int kPanelLeft = 8;
constexpr int kPanelTop = 8;
constexpr int kPanelWidth = 319;
constexpr int kPanelHeight = 170;
constexpr int kMemoLeft = 88;
constexpr int kMemoTop = 12;
constexpr int kMemoWidth = 223;
constexpr int kMemoHeight = 146;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 190;
constexpr int kIconSize = 32;

// The logo: the meter model's name in a frame (kept hidden in the box).
QPixmap drawLogo()
{
    QPixmap pixmap(64, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.drawRoundedRect(QRectF(1, 1, 62, 30), 4, 4);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.drawText(pixmap.rect(), Qt::AlignCenter, loadString(Str::MeterModel));
    return pixmap;
}

} // namespace

QPixmap applicationIconPixmap(int size)
{
    size = std::max(size, 8);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Housing.
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(230, 170, 30));
    p.drawRoundedRect(QRectF(5.5, 1.5, 21, 29), 4, 4);
    // Dial window with its scale arc.
    p.setBrush(QColor(250, 250, 235));
    p.drawRect(QRectF(8.5, 4.5, 15, 11));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.drawArc(QRectF(9, 7, 14, 14), 30 * 16, 120 * 16);
    // Needle, pivoting below the window.
    p.setPen(QPen(QColor(200, 0, 0), 1.4));
    const QPointF pivot(16, 14);
    const double angle = 55.0 * M_PI / 180.0;
    p.drawLine(pivot, pivot + QPointF(std::cos(angle) * 8.5, -std::sin(angle) * 8.5));
    // Range knob.
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QPointF(16, 22), 4, 4);
    p.setPen(QPen(Qt::white, 1.2));
    p.drawLine(QPointF(16, 22), QPointF(16, 18.5));
    // Test sockets.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 0, 0));
    p.drawEllipse(QPointF(11, 28), 1.3, 1.3);
    p.setBrush(QColor(20, 20, 20));
    p.drawEllipse(QPointF(21, 28), 1.3, 1.3);
    return pixmap;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(applicationIconPixmap(size));
    return icon;
}

TDlgAboutForm::TDlgAboutForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgAboutForm"));
    setWindowTitle(loadString(Str::CaptionAbout));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    ImageLogo = new QLabel(Panel1);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));

    Memo1 = new QPlainTextEdit(Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(kMemoLeft, kMemoTop, kMemoWidth, kMemoHeight);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    font.setItalic(true);
    Memo1->setFont(font);
    QPalette palette = Memo1->palette();
    const QColor background = this->palette().color(QPalette::Window);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text, Qt::blue);
        palette.setColor(group, QPalette::Base, background);
    }
    Memo1->setPalette(palette);

    bbtnOk = new QPushButton(loadString(Str::ButtonOk), this);
    bbtnOk->setObjectName(QStringLiteral("bbtnOk"));
    bbtnOk->setGeometry((kClientWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth, kButtonHeight);
    bbtnOk->setDefault(true);
    connect(bbtnOk, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

TDlgAboutForm::~TDlgAboutForm() = default;

void TDlgAboutForm::FormCreate()
{
    centreOnScreen();

    // Both images take the size of their pictures.
    const QPixmap logo = drawLogo();
    ImageLogo->setPixmap(logo);
    ImageLogo->resize(logo.size());
    const QPixmap icon = applicationIconPixmap(kIconSize);
    Image1->setPixmap(icon);
    Image1->resize(icon.size());
    setWindowIcon(applicationIcon());

    // The logo level with the memo's top, both pictures centred in the space
    // left of the memo; the icon also centred vertically in the panel.
    const int memoLeft = Memo1->x();
    ImageLogo->move((memoLeft - ImageLogo->width()) / 2, Memo1->y());
    Image1->move((memoLeft - Image1->width()) / 2, Panel1->height() / 2 - Image1->height() / 2);

    Memo1->setPlainText(aboutLines().join(QLatin1Char('\n')));
    Memo1->setReadOnly(true);
    ImageLogo->hide();
}

void TDlgAboutForm::centreOnScreen()
{
    QScreen* s = screen();
    if (!s)
        s = QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect available = s->availableGeometry();
    const QSize frame = frameGeometry().size();
    move(available.x() + (available.width() - frame.width()) / 2,
         available.y() + (available.height() - frame.height()) / 2);
}

void TDlgAboutForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen();
}

} // namespace vt640
