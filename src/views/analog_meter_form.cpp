#include "views/analog_meter_form.h"

#include "app/core/user_messages.h"
#include "views/core/display_fonts.h"
#include "views/lcd_label.h"
#include "views/core/meter_artwork.h"
#include "views/core/needle_geometry.h"
#include "views/core/unit_field_style.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVariantAnimation>

namespace vt640 {
namespace {

QFont stripFont() { return arialFontPixels(11); }

int scaleIndex(AnalogScale scale) { return static_cast<int>(scale); }

} // namespace

TAnalogMeterForm::TAnalogMeterForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                          | Qt::CustomizeWindowHint),
      sweepAnimation_(new QVariantAnimation(this)), dial_(artwork::analogDial()), plusMark_(artwork::signMark(false)),
      minusMark_(artwork::signMark(true))
{
    setObjectName(QStringLiteral("AnalogMeterForm"));
    setWindowTitle(loadString(Str::CaptionAnalogMeter));
    for (AnalogScale s : {AnalogScale::ZeroToFive, AnalogScale::ZeroToTen, AnalogScale::ZeroToTwenty})
        scales_[scaleIndex(s)] = artwork::analogScale(s);

    panel1_ = new QFrame(this);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1_->setLineWidth(1);
    makeLcdBackground(panel1_);
    multPanel_ = makeLcdLabel(panel1_, "MultPanel");
    unitPanel_ = makeLcdLabel(panel1_, "UnitPanel");
    funcPanel_ = makeLcdLabel(panel1_, "FuncPanel");
    for (QLabel* label : {multPanel_, unitPanel_, funcPanel_})
        label->setFont(stripFont());

    sweepAnimation_->setDuration(kSweepMilliseconds);
    sweepAnimation_->setEasingCurve(QEasingCurve::OutCubic);
    connect(sweepAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        shownAngle_ = value.toDouble();
        update();
    });

    const QSize size = AnalogMeterLayout::windowSize(QGuiApplication::primaryScreen()->geometry().width());
    setFixedSize(size);
    showTexts();
}

int TAnalogMeterForm::dialHeight() { return artwork::kDialSize.height(); }

void TAnalogMeterForm::placeInitially(int mainHeight, int digitalMeterHeight)
{
    setFixedSize(AnalogMeterLayout::windowSize(QGuiApplication::primaryScreen()->geometry().width()));
    move(0, mainHeight + digitalMeterHeight);
}

void TAnalogMeterForm::setNeedleSweep(bool on)
{
    sweep_ = on;
    if (!on)
        stopSweep();
}

void TAnalogMeterForm::feed(const MeterReading& reading)
{
    model_.feed(reading);
    if (isVisible() && !isMinimized())
        QMetaObject::invokeMethod(this, &TAnalogMeterForm::meterReadingArrived, Qt::QueuedConnection);
}

void TAnalogMeterForm::meterReadingArrived()
{
    // Every paint draws the whole picture, so a new scale needs nothing more.
    model_.update();
    showTexts();

    const double target = model_.needleAngle();
    sweepAnimation_->stop();
    if (sweep_ && isVisible() && !isMinimized() && target != shownAngle_) {
        sweepAnimation_->setStartValue(shownAngle_);
        sweepAnimation_->setEndValue(target);
        sweepAnimation_->start();
    } else {
        shownAngle_ = target;
    }
    update();
}

void TAnalogMeterForm::stopSweep()
{
    sweepAnimation_->stop();
    shownAngle_ = model_.needleAngle();
}

void TAnalogMeterForm::showTexts()
{
    const UnitFieldStyle style = UnitFieldStyle::forReading(model_.code(), model_.prefixText(), model_.unitText());
    multPanel_->setText(QString::fromStdString(model_.multiplierText()));
    unitPanel_->setText(style.prefixText);
    unitPanel_->setAlignment(style.prefixAlignment);
    funcPanel_->setText(style.unitText);
    funcPanel_->setAlignment(style.unitAlignment);
}

void TAnalogMeterForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layout_ = AnalogMeterLayout::compute(width());
    panel1_->setGeometry(layout_.panel1);
    multPanel_->setGeometry(layout_.multPanel);
    unitPanel_->setGeometry(layout_.unitPanel);
    funcPanel_->setGeometry(layout_.funcPanel);
}

void TAnalogMeterForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    showTexts();
}

void TAnalogMeterForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    stopSweep();
}

void TAnalogMeterForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (isMinimized()) {
        stopSweep();
    } else {
        // Restored: the scale, sign and texts of the latest feed at once.
        showTexts();
        update();
    }
}

void TAnalogMeterForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(layout_.dial, dial_);
    p.drawImage(layout_.scale, scales_[scaleIndex(model_.scale())]);
    p.drawImage(layout_.signMark, model_.negative() ? minusMark_ : plusMark_);

    // The needle, drawn over the picture.
    const NeedleTip tip = NeedleTip::at(shownAngle_, AnalogMeterModel::kNeedleLength);
    artwork::drawNeedle(p, layout_.pivot, layout_.pivot + QPoint(tip.dx, tip.dy), 3.0);
}

} // namespace vt640
