#pragma once

#include "viewer/core/metafile_format.h"

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <QString>

#include <memory>

namespace vt640 {

class MetafileCanvas;
class MetafilePaintEngine;

// A paint device whose pictures become a Windows metafile (EMF or WMF).
// Its size is given in 0.01 mm; a painter on it works in pixels of 1/96
// inch, the resolution fonts are measured at, so point sizes come out at
// their true size on paper. Begin a QPainter (or QCPPainter) on it, draw,
// end the painter, then take the file with finish().
class MetafileDevice : public QPaintDevice {
public:
    static constexpr int kDpi = 96;
    // The sizes a metafile may have, in 0.01 mm on each side: 1 mm to 5 m.
    static constexpr int kMinSize = 100;
    static constexpr int kMaxSize = 500000;

    MetafileDevice(MetafileFormat format, QSize hundredthsOfMm);
    ~MetafileDevice() override;
    MetafileDevice(const MetafileDevice&) = delete;
    MetafileDevice& operator=(const MetafileDevice&) = delete;

    static bool sizeAllowed(QSize hundredthsOfMm);
    // The painter's extent for a picture of this size: pixels of 1/96 inch,
    // at least one each way.
    static QSize pixelsFor(QSize hundredthsOfMm);
    // Why a picture of this size cannot be made, in the user's words.
    static QString badSizeReason(QSize hundredthsOfMm);

    // False when the size is outside the allowed range; nothing can be drawn then.
    bool isValid() const { return engine_ != nullptr; }
    // The painter's extent in pixels of 1/96 inch.
    QSize pixelSize() const { return pixels_; }

    QPaintEngine* paintEngine() const override;

    // The whole metafile; empty (with `reason` set) when the size was not
    // allowed or a record could not be made. Call once, after painting.
    QByteArray finish(QString* reason = nullptr);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize frame_;
    QSize pixels_;
    std::unique_ptr<MetafileCanvas> canvas_;
    std::unique_ptr<MetafilePaintEngine> engine_;
};

} // namespace vt640
