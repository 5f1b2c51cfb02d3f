#pragma once

#include <QRect>

namespace vt640 {

// The primary screen's geometry; a plain 1024 x 768 when there is no screen
// (a platform without one still lays the windows out).
QRect primaryScreenRect();

} // namespace vt640
