#pragma once

#include "viewer/core/metafile_format.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;

namespace vt640 {

// Draws a picture into a metafile held in memory: `draw` paints with a
// QPainter on a device of `hundredthsOfMm` (see MetafileDevice for its
// pixels), and the finished file comes back. Empty, with `reason` set, when
// the size is not allowed or the painter could not start.
class MetafileRenderer {
public:
    static QByteArray render(MetafileFormat format, QSize hundredthsOfMm, const std::function<void(QPainter&)>& draw,
                             QString* reason = nullptr);
};

} // namespace vt640
