#pragma once

#include <QByteArray>
#include <QList>
#include <QPolygon>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>

#include <cstdint>

namespace vt640 {

// The drawing records a Windows metafile can hold, in the metafile's own
// integer logical units (x to the right, y down, (0, 0) at the top left of
// the picture). It knows nothing of Qt's painter; the paint engine decides
// what to record, and an implementation writes one file format.
//
// Objects follow the GDI rules: created, selected, and deleted only while
// not selected. SaveDC/RestoreDC bracket a clip rectangle and also bring
// back the objects, text colour and fill mode selected at SaveDC.
class MetafileCanvas {
public:
    using Handle = std::uint32_t;

    enum class LineStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null };

    struct Pen {
        LineStyle style = LineStyle::Solid;
        int width = 1; // logical units
        QRgb color = 0;
        bool operator==(const Pen&) const = default;
    };
    struct Brush {
        bool hollow = true;
        QRgb color = 0;
        bool operator==(const Brush&) const = default;
    };
    struct Font {
        QString face;
        int height = 0;   // character (em) height, logical units
        int weight = 400; // 100 to 900, 400 normal, 700 bold
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        int escapement = 0; // tenths of a degree, counter-clockwise from the x axis
        bool operator==(const Font&) const = default;
    };

    virtual ~MetafileCanvas() = default;

    // The picture's extent in logical units.
    virtual QSize logicalSize() const = 0;
    // Whether a dashed or dotted pen wider than one logical unit keeps its
    // pattern. GDI draws such a WMF pen solid, so for a canvas without them
    // the paint engine draws the dashes itself, as short solid lines.
    virtual bool widePatternedPens() const { return true; }
    // No coordinate written may lie outside -limit..limit.
    virtual int coordinateLimit() const = 0;

    virtual Handle createPen(const Pen& pen) = 0;
    virtual Handle createBrush(const Brush& brush) = 0;
    virtual Handle createFont(const Font& font) = 0;
    virtual void selectObject(Handle handle) = 0;
    virtual void deleteObject(Handle handle) = 0;

    virtual void saveDC() = 0;
    virtual void restoreDC() = 0;
    // Clips further drawing to `rect` (right and bottom edges excluded).
    virtual void intersectClipRect(const QRect& rect) = 0;

    virtual void setTextColor(QRgb color) = 0;
    virtual void setPolyFillMode(bool winding) = 0;

    // Outlined with the selected pen.
    virtual void polyline(const QPolygon& points) = 0;
    // Filled with the selected brush and outlined with the selected pen.
    virtual void polygon(const QPolygon& points) = 0;
    virtual void polyPolygon(const QList<QPolygon>& polygons) = 0;
    // Text on its baseline from `origin`, in the selected font and the text
    // colour; `advances` holds the distance from each UTF-16 unit to the
    // next, in logical units.
    virtual void text(const QPoint& origin, const QString& text, const QList<int>& advances) = 0;

    // Closes the picture and returns the whole file; empty when a record
    // could not be made (out of memory).
    virtual QByteArray finish() = 0;
};

} // namespace vt640
