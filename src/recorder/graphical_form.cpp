#include "recorder/graphical_form.h"

#include "app/global_state.h"
#include "app/user_messages.h"

#include <QGuiApplication>
#include <QScreen>

namespace vt640 {

TGraphicalForm::TGraphicalForm(GlobalState& state, PromptService& prompts,
                               const MeterReading& reading, QWidget* parent)
    : QMainWindow(parent), state_(state), prompts_(prompts), reading_(reading)
{
    setWindowTitle(loadString(104));
}

void TGraphicalForm::placeInitially(int mainHeight, int digitalMeterHeight)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int top = mainHeight + digitalMeterHeight;
    setGeometry(0, top, screen.width(), screen.height() - top - state_.taskbarHeight);
}

void TGraphicalForm::meterReadingArrived() { sampleRequested_ = false; }

void TGraphicalForm::linkDropped() {}

} // namespace vt640
