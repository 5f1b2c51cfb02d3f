#pragma once

#include <Qt>

class QLabel;
class QWidget;

namespace vt640 {

// The LCD colours: lime on black.
inline constexpr unsigned kLcdText = 0x00ff00;
inline constexpr unsigned kLcdBack = 0x000000;

// A text field of a reading display: lime on black, no frame, empty, named
// `name` (the control's name, so that tests and tools can find it).
QLabel* makeLcdLabel(QWidget* parent, const char* name, Qt::Alignment alignment = Qt::AlignCenter);

// Makes `widget` paint a black background.
void makeLcdBackground(QWidget* widget);

} // namespace vt640
