#pragma once

#include "app/core/reading_sink.h"
#include "meter/meter_reading.h"
#include "views/core/analog_meter_layout.h"
#include "views/core/analog_meter_model.h"

#include <QImage>
#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QVariantAnimation;

namespace vt640 {

// The moving-coil needle meter: a needle over a 120-degree scale, the
// multiplier, prefix and unit in a strip below, and a plus or minus mark.
//
// The acquisition tick feeds it every reading; it redraws only on the update
// it posts itself while it is visible and not minimised. A view restored from
// hiding shows the scale, sign and texts of the latest feed at once; its
// needle moves with the next reading.
class TAnalogMeterForm : public QWidget, public ReadingSink {
    Q_OBJECT
public:
    explicit TAnalogMeterForm(QWidget* parent = nullptr);

    // Height of the dial artwork; tiling sizes the window from it.
    static int dialHeight();

    // Stores the needle inputs of the reading whether or not the view is
    // shown, then posts itself a redraw if it is visible and not minimised.
    void feed(const MeterReading& reading);
    // The acquisition cycle's hand-off: feed().
    void takeReading(const MeterReading& reading) override { feed(reading); }

    // Places the view as at start-up and when tiling: a quarter of the screen
    // wide, the dial's height high, at the left edge below the main window
    // and the digital meter (their outer heights).
    void placeInitially(int mainHeight, int digitalMeterHeight);

    // The needle swings to a new angle in a few frames, well within the time
    // between two readings; off, it jumps at once. On by default.
    void setNeedleSweep(bool on);
    // The angle the needle is drawn at now (differs from model().needleAngle()
    // only while it swings).
    double shownNeedleAngle() const { return shownAngle_; }

    const AnalogMeterModel& model() const { return model_; }
    const AnalogMeterLayout& partsLayout() const { return layout_; }

    static constexpr int kSweepMilliseconds = 150;

public slots:
    // The posted reading message: redraw scale, texts and needle.
    void meterReadingArrived();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showTexts();
    void stopSweep();

    AnalogMeterModel model_;
    AnalogMeterLayout layout_;
    double shownAngle_ = AnalogMeterModel::kZeroAngle;
    bool sweep_ = true;
    QVariantAnimation* sweepAnimation_;

    QImage dial_;
    std::array<QImage, 3> scales_;
    QImage plusMark_;
    QImage minusMark_;

    QFrame* panel1_;
    QLabel* multPanel_;
    QLabel* unitPanel_;
    QLabel* funcPanel_;
};

} // namespace vt640
