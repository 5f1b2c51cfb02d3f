#pragma once

#include "app/core/limit_source.h"
#include "app/core/reading_sink.h"
#include "meter/meter_reading.h"
#include "views/core/comparator_layout.h"
#include "views/core/comparator_model.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class QPushButton;

namespace vt640 {

class GlobalState;
class PromptService;
class TDlgHiLowForm;
class ToneOutput;

// Judges the reading against an upper and a lower limit: a needle over the
// NG/GO/NG band, the two limits with the reading's prefix and unit, and an
// alarm that sounds a high tone above the upper limit and a low one below the
// lower limit.
class TComparatorForm : public QWidget, public ReadingSink, public LimitSource {
    Q_OBJECT
public:
    TComparatorForm(GlobalState& state, PromptService& prompts, TDlgHiLowForm& limitsDialog, QWidget* parent = nullptr);
    ~TComparatorForm() override;

    // Sizes that tiling and placement use.
    static int frameWidth();
    static int frameHeight();
    int alarmButtonHeight() const;
    int limitButtonHeight() const;

    // Places the view as at start-up and when tiling: its fixed size, at the
    // left edge a quarter of the way down the screen below the main window
    // of `mainHeight`, offset by `frameAllowance` (twice the sizing frame
    // plus the caption height; a negative value estimates it from the style).
    void placeInitially(int mainHeight, int frameAllowance = -1);

    // The confirmed limits, written to the settings file at exit.
    double hiLimit() const override { return model_.upperLimit(); }
    double lowLimit() const override { return model_.lowerLimit(); }

    // Stores the reading whether or not the view is shown, then posts itself
    // an update if it is visible and not minimised.
    void feed(const MeterReading& reading);
    // The acquisition cycle's hand-off: feed().
    void takeReading(const MeterReading& reading) override { feed(reading); }

    // Where the alarm sounds; the view keeps an ALSA output of its own until
    // it is given another one (which must outlive it). Null restores its own.
    void setToneOutput(ToneOutput* output);

    const ComparatorModel& model() const { return model_; }
    const ComparatorLayout& partsLayout() const { return layout_; }

public slots:
    void meterReadingArrived();
    void bbtnAlartClick();
    void bbtnHiLowLimitClick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showLimits();
    void showUnits();

    GlobalState& state_;
    PromptService& prompts_;
    TDlgHiLowForm& limitsDialog_;
    ComparatorModel model_;
    ComparatorLayout layout_;
    std::unique_ptr<ToneOutput> ownTone_;
    ToneOutput* tone_;

    QImage frame_;
    QImage band_;

    QPushButton* bbtnAlart_;
    QPushButton* bbtnHiLowLimit_;
    QFrame* panel1_;
    QLabel* hiLimitPanel_;
    QLabel* hiUnitPanel_;
    QLabel* hiFuncPanel_;
    QFrame* panel2_;
    QLabel* lowLimitPanel_;
    QLabel* lowUnitPanel_;
    QLabel* lowFuncPanel_;
};

} // namespace vt640
