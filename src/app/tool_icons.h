#pragma once

#include <QIcon>
#include <QString>

namespace vt640 {

// The pictures of the main window's tool buttons, drawn in code: "link",
// "digital", "analog", "datalist", "graphical", "comparator", "tile", "port",
// "about".
QIcon toolIcon(const QString& name);

} // namespace vt640
