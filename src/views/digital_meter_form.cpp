#include "views/digital_meter_form.h"

#include "app/global_state.h"
#include "app/user_messages.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace vt640 {

TDigitalMeterForm::TDigitalMeterForm(GlobalState& state, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                          Qt::CustomizeWindowHint),
      state_(state)
{
    setPortCaption(state_.iPort);
}

void TDigitalMeterForm::updateReading(const MeterReading&) {}

void TDigitalMeterForm::setPortCaption(int port)
{
    setWindowTitle(loadString(100) + " : COM " + QString::number(port));
}

void TDigitalMeterForm::placeInitially(int mainHeight)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    setGeometry(0, mainHeight, screen.width() / 4, (screen.height() - mainHeight) / 4);
}

void TDigitalMeterForm::closeEvent(QCloseEvent* event)
{
    // The view closes only with the application.
    event->ignore();
}

} // namespace vt640
