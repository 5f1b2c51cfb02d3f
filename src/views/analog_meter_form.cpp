#include "views/analog_meter_form.h"

#include "app/global_state.h"
#include "app/user_messages.h"

namespace vt640 {

TAnalogMeterForm::TAnalogMeterForm(GlobalState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state)
{
    setWindowTitle(loadString(101));
}

int TAnalogMeterForm::dialHeight() { return 178; }

void TAnalogMeterForm::feed(const MeterReading&)
{
    if (isVisible() && !isMinimized())
        QMetaObject::invokeMethod(this, &TAnalogMeterForm::meterReadingArrived, Qt::QueuedConnection);
}

void TAnalogMeterForm::meterReadingArrived() {}

} // namespace vt640
