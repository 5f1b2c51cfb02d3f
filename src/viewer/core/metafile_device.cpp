#include "viewer/core/metafile_device.h"

#include "app/core/user_messages.h"
#include "viewer/core/emf_canvas.h"
#include "viewer/core/metafile_paint_engine.h"
#include "viewer/core/wmf_canvas.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace vt640 {

bool MetafileDevice::sizeAllowed(QSize s)
{
    return s.width() >= kMinSize && s.width() <= kMaxSize && s.height() >= kMinSize && s.height() <= kMaxSize;
}

QSize MetafileDevice::pixelsFor(QSize s)
{
    return QSize(std::max(1, static_cast<int>(std::lround(s.width() * kDpi / 2540.0))),
                 std::max(1, static_cast<int>(std::lround(s.height() * kDpi / 2540.0))));
}

QString MetafileDevice::badSizeReason(QSize s)
{
    return loadFormatted(Str::ReasonBadPictureSize,
                         {QString::number(s.width() / 100.0, 'f', 2), QString::number(s.height() / 100.0, 'f', 2),
                          QStringLiteral("mm")});
}

MetafileDevice::MetafileDevice(MetafileFormat format, QSize hundredthsOfMm) : frame_(hundredthsOfMm)
{
    if (!sizeAllowed(frame_))
        return;
    pixels_ = pixelsFor(frame_);
    if (format == MetafileFormat::Wmf)
        canvas_ = std::make_unique<WmfCanvas>(frame_);
    else
        canvas_ = std::make_unique<EmfCanvas>(frame_);
    engine_ = std::make_unique<MetafilePaintEngine>(*canvas_, pixels_);
}

MetafileDevice::~MetafileDevice() = default;

QPaintEngine* MetafileDevice::paintEngine() const { return engine_.get(); }

QByteArray MetafileDevice::finish(QString* reason)
{
    QByteArray bytes;
    if (!canvas_) {
        if (reason)
            *reason = badSizeReason(frame_);
        return bytes;
    }
    bytes = canvas_->finish();
    if (bytes.isEmpty() && reason)
        *reason = loadString(Str::ReasonDrawingFailed);
    return bytes;
}

int MetafileDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return pixels_.width();
    case PdmHeight: return pixels_.height();
    case PdmWidthMM: return frame_.width() / 100;
    case PdmHeightMM: return frame_.height() / 100;
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return kDpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
    }
}

} // namespace vt640
