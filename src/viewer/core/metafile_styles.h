#pragma once

// What the EMF and WMF writers share: colours and pen styles as both formats
// give them (libUEMF's WMF header brings the EMF definitions with it).
#include "viewer/core/metafile_canvas.h"

#include <uemf.h>

#include <QColor>

#include <cstdint>

namespace vt640::metafile {

inline U_COLORREF colorRef(QRgb c)
{
    return colorref3_set(static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
                         static_cast<uint8_t>(qBlue(c)));
}

inline uint32_t penStyle(MetafileCanvas::LineStyle style)
{
    switch (style) {
    case MetafileCanvas::LineStyle::Solid: return U_PS_SOLID;
    case MetafileCanvas::LineStyle::Dash: return U_PS_DASH;
    case MetafileCanvas::LineStyle::Dot: return U_PS_DOT;
    case MetafileCanvas::LineStyle::DashDot: return U_PS_DASHDOT;
    case MetafileCanvas::LineStyle::DashDotDot: return U_PS_DASHDOTDOT;
    case MetafileCanvas::LineStyle::Null: return U_PS_NULL;
    }
    return U_PS_SOLID;
}

} // namespace vt640::metafile
