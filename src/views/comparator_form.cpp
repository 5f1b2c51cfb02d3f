#include "views/comparator_form.h"

#include "app/global_state.h"
#include "app/user_messages.h"

namespace vt640 {

TComparatorForm::TComparatorForm(GlobalState& state, PromptService& prompts,
                                 TDlgHiLowForm& limitsDialog, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), prompts_(prompts), limitsDialog_(limitsDialog),
      hiLimit_(state.fHiLimit), lowLimit_(state.fLowLimit)
{
    setWindowTitle(loadString(102));
}

int TComparatorForm::frameWidth() { return 201; }
int TComparatorForm::frameHeight() { return 122; }
int TComparatorForm::alarmButtonHeight() const { return 25; }
int TComparatorForm::limitButtonHeight() const { return 40; }

void TComparatorForm::feed(const MeterReading&)
{
    if (isVisible() && !isMinimized())
        QMetaObject::invokeMethod(this, &TComparatorForm::meterReadingArrived, Qt::QueuedConnection);
}

void TComparatorForm::meterReadingArrived() {}

} // namespace vt640
