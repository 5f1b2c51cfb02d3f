#pragma once

#include "viewer/core/metafile_canvas.h"

#include <QPaintEngine>
#include <QRectF>
#include <QSize>
#include <QTransform>

#include <optional>

namespace vt640 {

// Turns what a QPainter draws into metafile records: lines and polylines
// as polylines with a pen, filled shapes as polygons with a brush, text as
// text records with its font and colour. Curves are flattened into
// polygons. The painter's transform is applied here, so the records hold
// final coordinates; clip rectangles become clip records.
//
// What a metafile of this kind cannot hold is simplified, never painted
// into a bitmap: transparency is dropped (fully transparent is not drawn),
// gradients and patterns fill with one of their colours, antialiasing
// hints are ignored, and a clip that is not a rectangle clips to its
// bounding rectangle. Pixmaps and images are left out: a metafile here
// holds no bitmaps.
class MetafilePaintEngine : public QPaintEngine {
public:
    // `deviceSize`: the painter's pixels, which are stretched over the
    // canvas's whole logical extent.
    MetafilePaintEngine(MetafileCanvas& canvas, QSize deviceSize);

    bool begin(QPaintDevice* device) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;

    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode) override;
    void drawTextItem(const QPointF& origin, const QTextItem& textItem) override;
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override;
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags flags = Qt::AutoColor) override;
    void drawTiledPixmap(const QRectF& r, const QPixmap& pixmap, const QPointF& s) override;

    Type type() const override { return QPaintEngine::User; }

private:
    // What the canvas has selected; SaveDC keeps a copy that RestoreDC
    // brings back.
    struct DcState {
        MetafileCanvas::Handle pen = 0, brush = 0, font = 0;
        MetafileCanvas::Pen penKey;
        MetafileCanvas::Brush brushKey;
        MetafileCanvas::Font fontKey;
        std::optional<QRgb> textColor;
        std::optional<bool> winding;
    };
    enum class Kind { Pen, Brush, Font };

    void selectPen(const MetafileCanvas::Pen& pen);
    void selectBrush(const MetafileCanvas::Brush& brush);
    void selectFont(const MetafileCanvas::Font& font);
    void replaceSelected(Kind kind, MetafileCanvas::Handle handle);
    void setTextColor(QRgb color);
    void setWinding(bool winding);
    // Brings the canvas's clip in line with the painter's; false when the
    // clip leaves nothing visible.
    bool syncClip();
    void updateClip(const QPainterPath& path, Qt::ClipOperation operation);

    // The painter's transform followed by the stretch onto logical units.
    QTransform fullTransform() const;
    // Where drawing is cut: the clip, or the guard when nothing clips.
    QRectF cutRect() const;
    std::optional<MetafileCanvas::Pen> currentPen() const;
    std::optional<MetafileCanvas::Brush> currentBrush() const;
    void emitShape(const QList<QPolygonF>& rings, bool closed, bool fill, bool stroke);

    MetafileCanvas& canvas_;
    double scaleX_ = 1.0, scaleY_ = 1.0;
    QRectF guard_; // logical coordinates are cut to this, to stay in range

    QTransform transform_;
    QPen pen_;
    QBrush brush_;
    QFont font_;
    bool winding_ = false;

    bool clipEnabled_ = false;
    QRectF clip_;                     // logical units, meaningful when clipEnabled_
    std::optional<QRect> canvasClip_; // what the canvas clips to now

    DcState current_;
    DcState saved_;
    bool hasSaved_ = false;
};

} // namespace vt640
