#include "views/digital_meter_form.h"

#include "app/widgets/outer_size_limits.h"
#include "app/widgets/screen_rect.h"

#include "app/core/global_state.h"
#include "app/core/user_messages.h"
#include "views/core/digital_meter_texts.h"
#include "views/core/display_fonts.h"
#include "views/lcd_label.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QTimer>

namespace vt640 {
namespace {

// The longest texts of the phase-marks field and of the current's lag field.
const QString kWidestPhases = QStringLiteral("A: L3L2L1");
const QString kWidestLag = QStringLiteral("A-Leads");

QFont arialPoints(int points) { return arialFontPoints(points); }

QFont arialPixels(int pixels) { return arialFontPixels(pixels); }

// A font whose character cell (ascent plus descent, the internal leading
// included) is `cell` pixels high.
QFont arialCell(int cell)
{
    QFont font = arialFontPixels(cell);
    const int measured = QFontMetrics(font).height();
    if (measured > 0 && measured != cell)
        font.setPixelSize(qMax(1, cell * cell / measured));
    return font;
}

} // namespace

TDigitalMeterForm::TDigitalMeterForm(GlobalState& state, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                          | Qt::CustomizeWindowHint),
      state_(state)
{
    setObjectName(QStringLiteral("DigitalMeterForm"));
    setPortCaption(state_.iPort);
    sizeLimits_ = new OuterSizeLimits(this);

    lcdPanel_ = new QFrame(this);
    lcdPanel_->setObjectName(QStringLiteral("LcdPanel"));
    lcdPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lcdPanel_->setLineWidth(1);
    makeLcdBackground(lcdPanel_);

    statePanel_ = new QWidget(lcdPanel_);
    statePanel_->setObjectName(QStringLiteral("StatePanel"));
    makeLcdBackground(statePanel_);
    pnlAcDc_ = makeLcdLabel(statePanel_, "pnlAcDc");
    pnl3W4W_ = makeLcdLabel(statePanel_, "pnl3W4W");
    pnlHold_ = makeLcdLabel(statePanel_, "pnlHold");
    pnlMax_ = makeLcdLabel(statePanel_, "pnlMax");
    pnlALag_ = makeLcdLabel(statePanel_, "pnlALag");

    masterLcdPanel_ = new QWidget(lcdPanel_);
    masterLcdPanel_->setObjectName(QStringLiteral("MasterLcdPanel"));
    makeLcdBackground(masterLcdPanel_);
    dataPanel_ = makeLcdLabel(masterLcdPanel_, "DataPanel", Qt::AlignRight | Qt::AlignVCenter);
    unitPanel_ = makeLcdLabel(masterLcdPanel_, "UnitPanel");
    funcPanel_ = makeLcdLabel(masterLcdPanel_, "FuncPanel");

    subLcdPanel_ = new QWidget(lcdPanel_);
    subLcdPanel_->setObjectName(QStringLiteral("SubLcdPanel"));
    makeLcdBackground(subLcdPanel_);
    subDataPanel_ = makeLcdLabel(subLcdPanel_, "SubDataPanel", Qt::AlignLeft | Qt::AlignVCenter);
    pnlST1_ = makeLcdLabel(subLcdPanel_, "pnlST1", Qt::AlignRight | Qt::AlignVCenter);

    for (QLabel* label :
         {pnlAcDc_, pnl3W4W_, pnlHold_, pnlMax_, pnlALag_, dataPanel_, unitPanel_, funcPanel_, subDataPanel_, pnlST1_})
        label->setFont(arialFont());
    resize(400, 240);
    layOut();
}

void TDigitalMeterForm::updateReading(const MeterReading& reading)
{
    const DigitalMeterTexts t = DigitalMeterTexts::forReading(reading);
    dataPanel_->setText(t.data);
    unitPanel_->setText(t.units.prefixText);
    unitPanel_->setAlignment(t.units.prefixAlignment);
    funcPanel_->setText(t.units.unitText);
    funcPanel_->setAlignment(t.units.unitAlignment);
    applyUnitFonts();
    subDataPanel_->setText(t.subData);
    pnlAcDc_->setText(t.acDc);
    pnlMax_->setText(t.peak);
    pnlHold_->setText(t.hold);
    pnlALag_->setText(t.aLag);
    pnlST1_->setText(t.phases);
    pnl3W4W_->setText(t.wires);
    functionCode_ = reading.functionCode;
}

void TDigitalMeterForm::applyUnitFonts()
{
    // Resistance is written with the omega sign itself, in the same face as
    // everything else, so no symbol face is needed.
    unitPanel_->setFont(arialPoints(DigitalMeterLayout::prefixPointsFor(unitPanel_->width())));
    funcPanel_->setFont(arialPoints(DigitalMeterLayout::unitPointsFor(funcPanel_->width())));
}

void TDigitalMeterForm::setPortCaption(int port)
{
    setWindowTitle(loadString(Str::CaptionDigitalMeter) + loadString(Str::PortCaptionJoin) + QString::number(port));
}

void TDigitalMeterForm::placeInitially(int mainHeight)
{
    const QRect screen = primaryScreenRect();
    const int belowMain = screen.height() - mainHeight;
    const QSize smallest(screen.width() / 4, belowMain / 4);
    sizeLimits_->set(smallest, QSize(screen.width(), belowMain));
    mainHeight_ = mainHeight;
    beforeMaximised_ = QRect();
    move(0, mainHeight);
    resize(smallest - sizeLimits_->frame());
}

void TDigitalMeterForm::closeEvent(QCloseEvent* event)
{
    // The view closes only with the application.
    event->ignore();
}

void TDigitalMeterForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || mainHeight_ < 0)
        return;
    if (isMaximized() && !unmaximising_) {
        unmaximising_ = true;
        QMetaObject::invokeMethod(this, &TDigitalMeterForm::maximiseBelowMainWindow, Qt::QueuedConnection);
    } else if (!isMaximized() && !isMinimized() && unmaximising_) {
        // The window manager puts the window back as it was before it
        // maximised it, and its last moves can come after the state change;
        // the place the view belongs is asked for once they have settled.
        unmaximising_ = false;
        QTimer::singleShot(50, this, &TDigitalMeterForm::placeAfterMaximise);
    }
}

void TDigitalMeterForm::maximiseBelowMainWindow()
{
    // A window manager maximises over the whole screen, the main window's bar
    // included, while this view belongs below that bar. So a maximise puts it
    // there in the normal state, and a maximise of the window that stands
    // there already brings back the geometry from before, as a restore would.
    if (!isMaximized()) {
        unmaximising_ = false;
        return;
    }
    // Filling the screen below the main window already, give or take what
    // the window manager made of the request (its frame, its own limits)?
    const QRect before = normalGeometry();
    const QRect screen = primaryScreenRect();
    constexpr int kSlack = 40;
    restoreAfterMaximise_ = beforeMaximised_.isValid() && before.width() >= screen.width() - kSlack
                            && before.height() >= screen.height() - mainHeight_ - 2 * kSlack
                            && before.top() <= mainHeight_ + kSlack;
    if (!restoreAfterMaximise_)
        beforeMaximised_ = before;
    setWindowState(windowState() & ~Qt::WindowMaximized);
}

void TDigitalMeterForm::placeAfterMaximise()
{
    if (restoreAfterMaximise_) {
        setGeometry(beforeMaximised_);
        return;
    }
    const QRect screen = primaryScreenRect();
    move(0, mainHeight_);
    resize(QSize(screen.width(), std::max(0, screen.height() - mainHeight_)) - sizeLimits_->frame());
}

void TDigitalMeterForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void TDigitalMeterForm::layOut()
{
    lcdPanel_->setGeometry(rect());
    const QRect inside = lcdPanel_->contentsRect();
    const int dpi = logicalDpiY();
    layout_ = DigitalMeterLayout::compute(inside.size(), dpi);
    const QPoint o = inside.topLeft();

    statePanel_->setGeometry(layout_.statePanel.translated(o));
    pnlAcDc_->setGeometry(layout_.acDc);
    pnl3W4W_->setGeometry(layout_.wires);
    pnlHold_->setGeometry(layout_.hold);
    pnlMax_->setGeometry(layout_.peak);
    pnlALag_->setGeometry(layout_.aLag);

    masterLcdPanel_->setGeometry(layout_.masterLcd.translated(o));
    dataPanel_->setGeometry(layout_.data);
    unitPanel_->setGeometry(layout_.prefix);
    funcPanel_->setGeometry(layout_.unit);

    subLcdPanel_->setGeometry(layout_.subLcd.translated(o));
    subDataPanel_->setGeometry(layout_.subData);
    pnlST1_->setGeometry(layout_.phases);

    dataPanel_->setFont(arialPoints(layout_.dataPoints));
    applyUnitFonts();
    subDataPanel_->setFont(arialCell(layout_.subDataCellPixels));
    // The size the layout gives, as long as the longest text of the field
    // fits it: a tall window would otherwise cut the phase marks short, and
    // the current's lead would run into the sub-display beside it.
    pnlST1_->setFont(fontFittingWidth(arialPixels(layout_.phasesPixels), kWidestPhases, layout_.phases.width()));
    pnlAcDc_->setFont(arialPoints(layout_.acDcPoints));
    pnl3W4W_->setFont(arialPoints(layout_.wiresPoints));
    pnlHold_->setFont(arialPoints(layout_.holdPoints));
    pnlMax_->setFont(arialPoints(layout_.peakPoints));
    pnlALag_->setFont(fontFittingWidth(arialPoints(layout_.aLagPoints), kWidestLag, layout_.aLag.width() * 9 / 10));
}

} // namespace vt640
