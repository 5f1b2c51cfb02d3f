#pragma once

#include "views/core/analog_meter_model.h"

#include <QImage>
#include <QPainter>
#include <QPoint>

namespace vt640::artwork {

// The pictures of the two needle instruments, drawn in code. Each has the
// fixed size the windows are laid out for; the needle pivots are where the
// windows put them (the analog meter's 132 pixels below the dial's top and
// centred, the comparator's 99 below the frame's top and centred).

// Analog meter: grey frame titled ANALOG METER, white face, grey base with
// the pivot.
inline constexpr QSize kDialSize{198, 178};
// Where the scale goes on the dial.
inline constexpr QPoint kScaleOnDial{9, 28};
// A printed scale: arc with 50 divisions and six labels.
inline constexpr QSize kScaleSize{180, 62};
// The sign marks beside the multiplier strip.
inline constexpr QSize kSignMarkSize{11, 11};
// Comparator: grey frame titled COMPARATOR with a white window.
inline constexpr QSize kFrameSize{201, 122};
// The NG/GO/NG band and where it goes on the frame.
inline constexpr QSize kBandSize{168, 77};
inline constexpr int kBandTop = 22;

QImage analogDial();
QImage analogScale(AnalogScale scale);
// Blue with a white minus, or red with a white plus.
QImage signMark(bool negative);
QImage comparatorFrame();
QImage comparatorBand();

// The needle of either instrument: a black line from the pivot to the tip,
// with a grey cap of `capRadius` over the pivot.
void drawNeedle(QPainter& p, const QPoint& pivot, const QPoint& tip, double capRadius);

} // namespace vt640::artwork
