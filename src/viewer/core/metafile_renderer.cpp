#include "viewer/core/metafile_renderer.h"

#include "app/core/user_messages.h"
#include "viewer/core/metafile_device.h"

#include <QPainter>

namespace vt640 {

QByteArray MetafileRenderer::render(MetafileFormat format, QSize hundredthsOfMm,
                                    const std::function<void(QPainter&)>& draw, QString* reason)
{
    MetafileDevice device(format, hundredthsOfMm);
    if (!device.isValid())
        return device.finish(reason);
    QPainter painter;
    if (!painter.begin(&device)) {
        if (reason)
            *reason = loadString(Str::ReasonDrawingFailed);
        return {};
    }
    if (draw)
        draw(painter);
    painter.end();
    return device.finish(reason);
}

} // namespace vt640
