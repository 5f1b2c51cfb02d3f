#pragma once

class QString;

namespace vt640 {

// The width a window needs for the window manager to show `caption` whole in
// its title bar: the caption in a bold face of the application's font (title
// bars are mostly bold, and the application's font is seldom smaller than
// theirs), and room for the bar's icon, minimise, maximise and close buttons
// and its margins.
int captionFitWidth(const QString& caption);

} // namespace vt640
