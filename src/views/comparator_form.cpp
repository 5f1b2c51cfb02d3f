#include "views/comparator_form.h"

#include "app/core/global_state.h"
#include "app/core/user_messages.h"
#include "meter/number_text.h"
#include "views/core/alsa_tone_output.h"
#include "views/core/display_fonts.h"
#include "views/dlg_hi_low_form.h"
#include "views/lcd_label.h"
#include "views/core/meter_artwork.h"
#include "views/core/needle_geometry.h"
#include "views/core/unit_field_style.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace vt640 {
namespace {

constexpr Str kAlarmOn = Str::AlarmOn;
constexpr Str kAlarmOff = Str::AlarmOff;

int captionHeight()
{
    const int h = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return h > 0 ? h : 20;
}

QFont rowFont(bool bold) { return arialFontPixels(13, bold); }

// A small speaker, for the alarm button.
QIcon speakerIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    QPainterPath body;
    body.moveTo(2, 6);
    body.lineTo(5, 6);
    body.lineTo(9, 2);
    body.lineTo(9, 14);
    body.lineTo(5, 10);
    body.lineTo(2, 10);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 5, 5, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(6, 2.5, 8, 11), -60 * 16, 120 * 16);
    return QIcon(pixmap);
}

// The limits button: an upper (blue) and a lower (red) tag.
QIcon limitsIcon()
{
    QPixmap pixmap(28, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(arialFontPixels(9, true));
    const struct {
        QRectF box;
        QColor colour;
        const char* text;
    } tags[] = {{QRectF(1, 2, 26, 11), QColor(0x00, 0x20, 0xc0), "HI"},
                {QRectF(1, 15, 26, 11), QColor(0xc0, 0x10, 0x10), "LO"}};
    for (const auto& tag : tags) {
        p.setPen(Qt::NoPen);
        p.setBrush(tag.colour);
        p.drawRoundedRect(tag.box, 2, 2);
        p.setPen(Qt::white);
        p.drawText(tag.box, Qt::AlignCenter, QString::fromLatin1(tag.text));
    }
    return QIcon(pixmap);
}

QFrame* limitRow(QWidget* parent, const char* name)
{
    auto* row = new QFrame(parent);
    row->setObjectName(QString::fromLatin1(name));
    makeLcdBackground(row);
    return row;
}

} // namespace

TComparatorForm::TComparatorForm(GlobalState& state, PromptService& prompts, TDlgHiLowForm& limitsDialog,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                          | Qt::CustomizeWindowHint),
      state_(state), prompts_(prompts), limitsDialog_(limitsDialog), model_(state.fHiLimit, state.fLowLimit),
      layout_(ComparatorLayout::compute(captionHeight())), ownTone_(std::make_unique<AlsaToneOutput>()),
      tone_(ownTone_.get()), frame_(artwork::comparatorFrame()), band_(artwork::comparatorBand())
{
    setObjectName(QStringLiteral("ComparatorForm"));
    setWindowTitle(loadString(Str::CaptionComparator));

    bbtnAlart_ = new QPushButton(loadString(kAlarmOff), this);
    bbtnAlart_->setObjectName(QStringLiteral("bbtnAlart"));
    bbtnAlart_->setIcon(speakerIcon());
    bbtnAlart_->setGeometry(layout_.alarmButton);
    bbtnAlart_->setFocusPolicy(Qt::NoFocus);
    connect(bbtnAlart_, &QPushButton::clicked, this, &TComparatorForm::bbtnAlartClick);

    bbtnHiLowLimit_ = new QPushButton(this);
    bbtnHiLowLimit_->setObjectName(QStringLiteral("bbtnHiLowLimit"));
    bbtnHiLowLimit_->setIcon(limitsIcon());
    bbtnHiLowLimit_->setIconSize(QSize(28, 28));
    bbtnHiLowLimit_->setGeometry(layout_.limitButton);
    bbtnHiLowLimit_->setToolTip(loadString(Str::CaptionLimitsDialog));
    bbtnHiLowLimit_->setFocusPolicy(Qt::NoFocus);
    connect(bbtnHiLowLimit_, &QPushButton::clicked, this, &TComparatorForm::bbtnHiLowLimitClick);

    panel1_ = limitRow(this, "Panel1");
    panel1_->setGeometry(layout_.panel1);
    hiLimitPanel_ = makeLcdLabel(panel1_, "HiLimitPanel", Qt::AlignRight | Qt::AlignVCenter);
    hiUnitPanel_ = makeLcdLabel(panel1_, "HiUnitPanel");
    hiFuncPanel_ = makeLcdLabel(panel1_, "HiFuncPanel");
    panel2_ = limitRow(this, "Panel2");
    panel2_->setGeometry(layout_.panel2);
    lowLimitPanel_ = makeLcdLabel(panel2_, "LowLimitPanel", Qt::AlignRight | Qt::AlignVCenter);
    lowUnitPanel_ = makeLcdLabel(panel2_, "LowUnitPanel");
    lowFuncPanel_ = makeLcdLabel(panel2_, "LowFuncPanel");
    for (QLabel* limit : {hiLimitPanel_, lowLimitPanel_}) {
        limit->setGeometry(layout_.limitPanel);
        limit->setFont(rowFont(true));
    }
    for (QLabel* prefix : {hiUnitPanel_, lowUnitPanel_}) {
        prefix->setGeometry(layout_.unitPanel);
        prefix->setFont(rowFont(false));
    }
    for (QLabel* unit : {hiFuncPanel_, lowFuncPanel_}) {
        unit->setGeometry(layout_.funcPanel);
        unit->setFont(rowFont(false));
    }

    setFixedSize(layout_.window);
    showLimits();
    showUnits();
}

TComparatorForm::~TComparatorForm() = default;

int TComparatorForm::frameWidth() { return artwork::kFrameSize.width(); }
int TComparatorForm::frameHeight() { return artwork::kFrameSize.height(); }
int TComparatorForm::alarmButtonHeight() const { return layout_.alarmButton.height(); }
int TComparatorForm::limitButtonHeight() const { return layout_.limitButton.height(); }

void TComparatorForm::placeInitially(int mainHeight, int frameAllowance)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    setFixedSize(layout_.window);
    const int f = frameAllowance >= 0 ? frameAllowance : ComparatorLayout::frameAllowance(captionHeight());
    move(f, (screen.height() - mainHeight) / 4 + mainHeight + f);
}

void TComparatorForm::setToneOutput(ToneOutput* output) { tone_ = output ? output : ownTone_.get(); }

void TComparatorForm::feed(const MeterReading& reading)
{
    if (model_.feed(reading) && isVisible() && !isMinimized())
        QMetaObject::invokeMethod(this, &TComparatorForm::meterReadingArrived, Qt::QueuedConnection);
}

void TComparatorForm::meterReadingArrived()
{
    const auto tone = model_.update();
    showUnits();
    if (tone) {
        // The needle is seen at its new place before the tone holds everything.
        repaint();
        tone_->beep(tone->hertz, tone->milliseconds);
    } else {
        update();
    }
}

void TComparatorForm::bbtnAlartClick() { bbtnAlart_->setText(loadString(model_.toggleAlarm() ? kAlarmOn : kAlarmOff)); }

void TComparatorForm::bbtnHiLowLimitClick()
{
    limitsDialog_.preset(model_.code(), model_.upperLimit(), model_.lowerLimit(), model_.prefixText(),
                         model_.unitText());
    if (limitsDialog_.exec() != QDialog::Accepted)
        return;
    // The needle keeps its place until the next reading.
    model_.setLimits(limitsDialog_.upperLimit(), limitsDialog_.lowerLimit());
    state_.fHiLimit = model_.upperLimit();
    state_.fLowLimit = model_.lowerLimit();
    showLimits();
}

void TComparatorForm::showLimits()
{
    hiLimitPanel_->setText(QString::fromStdString(formatGeneral15(model_.upperLimit())));
    lowLimitPanel_->setText(QString::fromStdString(formatGeneral15(model_.lowerLimit())));
}

void TComparatorForm::showUnits()
{
    const UnitFieldStyle style = UnitFieldStyle::forReading(model_.code(), model_.prefixText(), model_.unitText());
    for (QLabel* prefix : {hiUnitPanel_, lowUnitPanel_}) {
        prefix->setText(style.prefixText);
        prefix->setAlignment(style.prefixAlignment);
    }
    for (QLabel* unit : {hiFuncPanel_, lowFuncPanel_}) {
        unit->setText(style.unitText);
        unit->setAlignment(style.unitAlignment);
    }
}

void TComparatorForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(layout_.frame, frame_);
    p.drawImage(layout_.band, band_);

    const NeedleTip tip = NeedleTip::at(model_.needleAngle(), ComparatorModel::kNeedleLength);
    artwork::drawNeedle(p, layout_.pivot, layout_.pivot + QPoint(tip.dx, tip.dy), 4.0);
}

} // namespace vt640
