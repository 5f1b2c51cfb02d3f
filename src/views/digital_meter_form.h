#pragma once

#include "app/core/reading_sink.h"
#include "meter/meter_reading.h"
#include "views/core/digital_meter_layout.h"

#include <QWidget>

#include <cstdint>

class QFrame;
class QLabel;

namespace vt640 {

class OuterSizeLimits;

class GlobalState;

// The LCD-like readout of the current reading: the reading in large digits
// with its prefix and unit, the sub-display strip with the phase marks, and
// the annunciator column. Lime on black; the fields are laid out anew on
// every resize.
class TDigitalMeterForm : public QWidget, public ReadingSink {
    Q_OBJECT
public:
    explicit TDigitalMeterForm(GlobalState& state, QWidget* parent = nullptr);

    // Called directly by the acquisition tick after each completed reading.
    void updateReading(const MeterReading& reading);
    // The acquisition cycle's hand-off: the panels are written at once.
    void takeReading(const MeterReading& reading) override { updateReading(reading); }
    // Caption "Digital Meter : COM n".
    void setPortCaption(int port);
    // Places the view as at start-up, below the main window of `mainHeight`,
    // and sets its size limits: the screen below the main window at most, a
    // quarter of that in width and height at least. The limits count the
    // window frame, and follow it once the window manager has added it.
    void placeInitially(int mainHeight);

    // The function code of the last reading shown.
    std::int32_t shownFunctionCode() const { return functionCode_; }
    // The current field geometry and font sizes.
    const DigitalMeterLayout& fieldLayout() const { return layout_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layOut();
    void applyUnitFonts();
    void maximiseBelowMainWindow();
    void placeAfterMaximise();

    GlobalState& state_;
    std::int32_t functionCode_ = 0;
    DigitalMeterLayout layout_;
    // Outer size limits, empty until placed; the frame they were applied for.
    OuterSizeLimits* sizeLimits_ = nullptr;
    // Maximising puts the view below the main window of `mainHeight_` (-1
    // until placed); `beforeMaximised_` is where it stood before, for the
    // next maximise to bring back.
    int mainHeight_ = -1;
    QRect beforeMaximised_;
    bool unmaximising_ = false;
    bool restoreAfterMaximise_ = false;

    QFrame* lcdPanel_;
    QWidget* statePanel_;
    QLabel* pnlAcDc_;
    QLabel* pnl3W4W_;
    QLabel* pnlHold_;
    QLabel* pnlMax_;
    QLabel* pnlALag_;
    QWidget* masterLcdPanel_;
    QLabel* dataPanel_;
    QLabel* unitPanel_;
    QLabel* funcPanel_;
    QWidget* subLcdPanel_;
    QLabel* subDataPanel_;
    QLabel* pnlST1_;
};

} // namespace vt640
