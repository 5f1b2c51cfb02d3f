#pragma once

#include "meter/meter_reading.h"

#include <QWidget>

namespace vt640 {

class GlobalState;
class PromptService;
class TDlgHiLowForm;

// Judges the reading against an upper and a lower limit.
class TComparatorForm : public QWidget {
    Q_OBJECT
public:
    TComparatorForm(GlobalState& state, PromptService& prompts, TDlgHiLowForm& limitsDialog,
                    QWidget* parent = nullptr);

    // Sizes that tiling and placement use.
    static int frameWidth();
    static int frameHeight();
    int alarmButtonHeight() const;
    int limitButtonHeight() const;

    // The confirmed limits, written to the settings file at exit.
    double hiLimit() const { return hiLimit_; }
    double lowLimit() const { return lowLimit_; }

    // Stores the reading whether or not the view is shown, then posts itself
    // an update if it is visible and not minimised.
    void feed(const MeterReading& reading);

public slots:
    void meterReadingArrived();

private:
    GlobalState& state_;
    PromptService& prompts_;
    TDlgHiLowForm& limitsDialog_;
    double hiLimit_ = 0.0;
    double lowLimit_ = 0.0;
};

} // namespace vt640
