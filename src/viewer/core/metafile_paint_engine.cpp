#include "viewer/core/metafile_paint_engine.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGradient>
#include <QPaintDevice>
#include <QPainterPath>
#include <QTextItem>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vt640 {
namespace {

bool finite(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// Liang-Barsky: the part of segment a-b inside `r`, if any.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = a;
    a = start + QPointF(dx, dy) * t0;
    b = start + QPointF(dx, dy) * t1;
    return true;
}

// The parts of an open line inside `r`; a point that is not finite breaks
// the line.
QList<QPolygonF> clipPolyline(const QPolygonF& line, const QRectF& r)
{
    QList<QPolygonF> out;
    QPolygonF piece;
    auto flush = [&] {
        if (piece.size() >= 2)
            out << piece;
        piece.clear();
    };
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        QPointF a = line.at(i), b = line.at(i + 1);
        if (!finite(a) || !finite(b) || !clipSegment(a, b, r)) {
            flush();
            continue;
        }
        if (piece.isEmpty() || piece.last() != a) {
            flush();
            piece << a;
        }
        piece << b;
        if (b != line.at(i + 1))
            flush(); // the line left the rectangle here
    }
    flush();
    return out;
}

// Sutherland-Hodgman: the part of a filled polygon inside `r`.
QPolygonF clipPolygon(const QPolygonF& polygon, const QRectF& r)
{
    QPolygonF in;
    for (const QPointF& p : polygon)
        if (finite(p))
            in << p;
    for (int edge = 0; edge < 4 && !in.isEmpty(); ++edge) {
        auto inside = [&](const QPointF& p) {
            switch (edge) {
            case 0: return p.x() >= r.left();
            case 1: return p.x() <= r.right();
            case 2: return p.y() >= r.top();
            default: return p.y() <= r.bottom();
            }
        };
        auto cross = [&](const QPointF& a, const QPointF& b) {
            double t = 0.0;
            switch (edge) {
            case 0: t = (r.left() - a.x()) / (b.x() - a.x()); break;
            case 1: t = (r.right() - a.x()) / (b.x() - a.x()); break;
            case 2: t = (r.top() - a.y()) / (b.y() - a.y()); break;
            default: t = (r.bottom() - a.y()) / (b.y() - a.y()); break;
            }
            return a + (b - a) * t;
        };
        QPolygonF out;
        for (qsizetype i = 0; i < in.size(); ++i) {
            const QPointF& cur = in.at(i);
            const QPointF& prev = in.at((i + in.size() - 1) % in.size());
            if (inside(cur)) {
                if (!inside(prev))
                    out << cross(prev, cur);
                out << cur;
            } else if (inside(prev)) {
                out << cross(prev, cur);
            }
        }
        in = out;
    }
    return in;
}

// The dashes of an open line drawn with `pattern` (dash, gap, dash, ...
// lengths, starting `offset` into it); the pattern runs on over the line's
// corners.
QList<QPolygonF> dashesOf(const QPolygonF& line, const QList<double>& pattern, double offset)
{
    double period = 0.0;
    for (double length : pattern)
        period += length;
    if (line.size() < 2 || pattern.size() < 2 || !(period > 0.0) || !std::isfinite(period))
        return {line};
    qsizetype index = 0;
    double left = pattern.first(); // of the current dash or gap
    for (offset = std::fmod(std::max(offset, 0.0), period); offset > 0.0;) {
        if (offset < left) {
            left -= offset;
            break;
        }
        offset -= left;
        index = (index + 1) % pattern.size();
        left = pattern.at(index);
    }
    QList<QPolygonF> out;
    QPolygonF dash;
    bool on = index % 2 == 0;
    if (on)
        dash << line.first();
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const QPointF a = line.at(i), b = line.at(i + 1);
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        double at = 0.0;
        while (length - at > left) {
            at += left;
            const QPointF p = a + (b - a) * (at / length);
            if (on) {
                out << (dash << p);
                dash.clear();
            } else {
                dash << p;
            }
            on = !on;
            index = (index + 1) % pattern.size();
            left = pattern.at(index);
        }
        left -= length - at;
        if (on)
            dash << b;
    }
    if (on && dash.size() >= 2)
        out << dash;
    return out;
}

QPolygon rounded(const QPolygonF& polygon)
{
    QPolygon out;
    out.reserve(polygon.size());
    for (const QPointF& p : polygon) {
        const QPoint q(static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y())));
        if (out.isEmpty() || out.last() != q)
            out << q;
    }
    return out;
}

// The one colour a metafile brush or pen can take for `brush`; invalid when
// it has none (no brush, a bitmap texture, fully transparent).
QColor solidColor(const QBrush& brush)
{
    QColor c;
    switch (brush.style()) {
    case Qt::NoBrush:
    case Qt::TexturePattern: return {};
    case Qt::LinearGradientPattern:
    case Qt::RadialGradientPattern:
    case Qt::ConicalGradientPattern: {
        const QGradientStops stops = brush.gradient() ? brush.gradient()->stops() : QGradientStops();
        if (stops.isEmpty())
            return {};
        c = stops.at(stops.size() / 2).second;
        break;
    }
    default: c = brush.color(); break;
    }
    if (!c.isValid() || c.alpha() == 0)
        return {};
    return c;
}

MetafileCanvas::LineStyle lineStyle(Qt::PenStyle style)
{
    switch (style) {
    case Qt::NoPen: return MetafileCanvas::LineStyle::Null;
    case Qt::DashLine: return MetafileCanvas::LineStyle::Dash;
    case Qt::DotLine: return MetafileCanvas::LineStyle::Dot;
    case Qt::DashDotLine: return MetafileCanvas::LineStyle::DashDot;
    case Qt::DashDotDotLine: return MetafileCanvas::LineStyle::DashDotDot;
    case Qt::CustomDashLine: return MetafileCanvas::LineStyle::Dash;
    default: return MetafileCanvas::LineStyle::Solid;
    }
}

const MetafileCanvas::Pen kNullPen{MetafileCanvas::LineStyle::Null, 1, 0};
const MetafileCanvas::Brush kHollowBrush{true, 0};

} // namespace

MetafilePaintEngine::MetafilePaintEngine(MetafileCanvas& canvas, QSize deviceSize)
    // Every feature is claimed, so that QPainter hands over each primitive
    // as drawn and never falls back to painting a bitmap.
    : QPaintEngine(QPaintEngine::AllFeatures), canvas_(canvas)
{
    const QSize logical = canvas_.logicalSize();
    scaleX_ = static_cast<double>(logical.width()) / std::max(deviceSize.width(), 1);
    scaleY_ = static_cast<double>(logical.height()) / std::max(deviceSize.height(), 1);
    // Room around the picture for strokes that start outside it, without
    // leaving the range the format can hold.
    const int largest = std::max(logical.width(), logical.height());
    const double margin = std::max(0, std::min(largest, canvas_.coordinateLimit() - largest));
    guard_ = QRectF(-margin, -margin, logical.width() + 2 * margin, logical.height() + 2 * margin);
}

bool MetafilePaintEngine::begin(QPaintDevice*)
{
    transform_ = QTransform();
    pen_ = QPen();
    brush_ = QBrush();
    clipEnabled_ = false;
    return true;
}

bool MetafilePaintEngine::end()
{
    // Leaves the canvas unclipped for whoever draws next.
    if (hasSaved_) {
        canvas_.restoreDC();
        current_ = saved_;
        hasSaved_ = false;
    }
    canvasClip_.reset();
    return true;
}

void MetafilePaintEngine::updateState(const QPaintEngineState& state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyTransform)
        transform_ = state.transform();
    if (flags & DirtyPen)
        pen_ = state.pen();
    if (flags & DirtyBrush)
        brush_ = state.brush();
    if (flags & DirtyFont)
        font_ = state.font();
    // A clip comes in the coordinates in force when it is set.
    if (flags & DirtyClipPath) {
        updateClip(state.clipPath(), state.clipOperation());
    } else if (flags & DirtyClipRegion) {
        QPainterPath path;
        path.addRegion(state.clipRegion());
        updateClip(path, state.clipOperation());
    } else if (flags & DirtyClipEnabled) {
        clipEnabled_ = state.isClipEnabled();
    }
}

void MetafilePaintEngine::updateClip(const QPainterPath& path, Qt::ClipOperation operation)
{
    const QRectF rect = fullTransform().map(path).boundingRect();
    switch (operation) {
    case Qt::NoClip: clipEnabled_ = false; return;
    case Qt::ReplaceClip: clip_ = rect; break;
    case Qt::IntersectClip: clip_ = clipEnabled_ ? clip_.intersected(rect) : rect; break;
    }
    clipEnabled_ = true;
}

QTransform MetafilePaintEngine::fullTransform() const { return transform_ * QTransform::fromScale(scaleX_, scaleY_); }

bool MetafilePaintEngine::syncClip()
{
    std::optional<QRect> wanted;
    if (clipEnabled_) {
        const QRectF r = clip_.intersected(guard_);
        if (!(r.width() > 0.0) || !(r.height() > 0.0))
            return false;
        const int left = static_cast<int>(std::lround(r.left()));
        const int top = static_cast<int>(std::lround(r.top()));
        const int right = static_cast<int>(std::lround(r.right()));
        const int bottom = static_cast<int>(std::lround(r.bottom()));
        if (right <= left || bottom <= top)
            return false;
        wanted = QRect(left, top, right - left, bottom - top);
    }
    if (wanted == canvasClip_)
        return true;
    // One saved level holds the clip: back to the unclipped state, then
    // clip afresh. Objects selected since the save are dropped by the
    // restore and deleted; those of the saved state are selected again.
    if (hasSaved_) {
        canvas_.restoreDC();
        if (current_.pen && current_.pen != saved_.pen)
            canvas_.deleteObject(current_.pen);
        if (current_.brush && current_.brush != saved_.brush)
            canvas_.deleteObject(current_.brush);
        if (current_.font && current_.font != saved_.font)
            canvas_.deleteObject(current_.font);
        current_ = saved_;
        hasSaved_ = false;
    }
    if (wanted) {
        canvas_.saveDC();
        saved_ = current_;
        hasSaved_ = true;
        canvas_.intersectClipRect(*wanted);
    }
    canvasClip_ = wanted;
    return true;
}

void MetafilePaintEngine::replaceSelected(Kind kind, MetafileCanvas::Handle handle)
{
    MetafileCanvas::Handle& slot = kind == Kind::Pen     ? current_.pen
                                   : kind == Kind::Brush ? current_.brush
                                                         : current_.font;
    const MetafileCanvas::Handle kept = !hasSaved_            ? 0
                                        : kind == Kind::Pen   ? saved_.pen
                                        : kind == Kind::Brush ? saved_.brush
                                                              : saved_.font;
    const MetafileCanvas::Handle old = slot;
    canvas_.selectObject(handle);
    slot = handle;
    // An object still selected in the saved state comes back on restore,
    // so it lives until then.
    if (old && old != kept)
        canvas_.deleteObject(old);
}

void MetafilePaintEngine::selectPen(const MetafileCanvas::Pen& pen)
{
    if (current_.pen && current_.penKey == pen)
        return;
    replaceSelected(Kind::Pen, canvas_.createPen(pen));
    current_.penKey = pen;
}

void MetafilePaintEngine::selectBrush(const MetafileCanvas::Brush& brush)
{
    if (current_.brush && current_.brushKey == brush)
        return;
    replaceSelected(Kind::Brush, canvas_.createBrush(brush));
    current_.brushKey = brush;
}

void MetafilePaintEngine::selectFont(const MetafileCanvas::Font& font)
{
    if (current_.font && current_.fontKey == font)
        return;
    replaceSelected(Kind::Font, canvas_.createFont(font));
    current_.fontKey = font;
}

void MetafilePaintEngine::setTextColor(QRgb color)
{
    if (current_.textColor == color)
        return;
    canvas_.setTextColor(color);
    current_.textColor = color;
}

void MetafilePaintEngine::setWinding(bool winding)
{
    if (current_.winding == winding)
        return;
    canvas_.setPolyFillMode(winding);
    current_.winding = winding;
}

std::optional<MetafileCanvas::Pen> MetafilePaintEngine::currentPen() const
{
    if (pen_.style() == Qt::NoPen)
        return std::nullopt;
    const QColor color = solidColor(pen_.brush());
    if (!color.isValid())
        return std::nullopt;
    // A width of 0 is one device pixel. A cosmetic pen keeps its width
    // whatever the painter's transform; others scale with it.
    double width = pen_.widthF() > 0.0 ? pen_.widthF() : 1.0;
    if (!pen_.isCosmetic())
        width *= std::sqrt(std::abs(transform_.determinant()));
    width *= std::sqrt(scaleX_ * scaleY_);
    MetafileCanvas::Pen pen;
    pen.style = lineStyle(pen_.style());
    pen.width = std::isfinite(width) ? static_cast<int>(std::clamp<double>(std::lround(width), 1, 1 << 16)) : 1;
    pen.color = color.rgb();
    return pen;
}

std::optional<MetafileCanvas::Brush> MetafilePaintEngine::currentBrush() const
{
    const QColor color = solidColor(brush_);
    if (!color.isValid())
        return std::nullopt;
    return MetafileCanvas::Brush{false, color.rgb()};
}

QRectF MetafilePaintEngine::cutRect() const { return clipEnabled_ ? clip_.intersected(guard_) : guard_; }

void MetafilePaintEngine::emitShape(const QList<QPolygonF>& rings, bool closed, bool fill, bool stroke)
{
    const std::optional<MetafileCanvas::Pen> pen = stroke ? currentPen() : std::nullopt;
    const std::optional<MetafileCanvas::Brush> brush = fill ? currentBrush() : std::nullopt;
    if (!pen && !brush)
        return;
    if (!syncClip())
        return;
    // Shapes are also cut to the clip here, so that readers that ignore
    // clip records show the same picture.
    const QRectF cut = cutRect();
    bool outlinesApart = !closed;

    if (closed) {
        QList<QPolygon> polygons;
        for (const QPolygonF& ring : rings) {
            const QPolygonF inside = clipPolygon(ring, cut);
            // A cut ring's outline would run along the cut: fill and
            // outline go apart then.
            if (inside.size() != ring.size() || inside != ring)
                outlinesApart = true;
            QPolygon p = rounded(inside);
            if (p.size() >= 2 && p.first() == p.last())
                p.removeLast();
            if (p.size() >= 3)
                polygons << p;
        }
        if (rings.size() != 1)
            outlinesApart = true;
        if (!outlinesApart && polygons.size() == 1) {
            // Filled and outlined in one record, as GDI does it.
            setWinding(winding_);
            selectPen(pen ? *pen : kNullPen);
            selectBrush(brush ? *brush : kHollowBrush);
            canvas_.polygon(polygons.first());
            return;
        }
        if (brush && !polygons.isEmpty()) {
            setWinding(winding_);
            selectPen(kNullPen);
            selectBrush(*brush);
            if (polygons.size() == 1)
                canvas_.polygon(polygons.first());
            else
                canvas_.polyPolygon(polygons);
        }
    }
    if (!pen)
        return;
    // Outlines, each ring as drawn (a closed ring repeats its first point).
    // Dashes the canvas cannot keep in a pen of this width are drawn here,
    // each a solid line of the pen's width.
    MetafileCanvas::Pen linePen = *pen;
    QList<double> dashPattern;
    const bool patterned = pen->style != MetafileCanvas::LineStyle::Solid;
    if (patterned && pen->width > 1 && !canvas_.widePatternedPens()) {
        for (qreal length : pen_.dashPattern())
            dashPattern << length * pen->width;
        linePen.style = MetafileCanvas::LineStyle::Solid;
    }
    bool selected = false;
    for (const QPolygonF& ring : rings) {
        QPolygonF line = ring;
        if (closed && !line.isEmpty() && line.first() != line.last())
            line << line.first();
        for (const QPolygonF& piece : clipPolyline(line, cut)) {
            const QList<QPolygonF> strokes = dashPattern.isEmpty()
                                                 ? QList<QPolygonF>{piece}
                                                 : dashesOf(piece, dashPattern, pen_.dashOffset() * pen->width);
            for (const QPolygonF& stroke : strokes) {
                QPolygon p = rounded(stroke);
                if (p.size() == 1)
                    p << p.first(); // a dot still shows
                if (p.size() < 2)
                    continue;
                if (!selected) {
                    selectPen(linePen);
                    selectBrush(kHollowBrush);
                    selected = true;
                }
                canvas_.polyline(p);
            }
        }
    }
}

void MetafilePaintEngine::drawPath(const QPainterPath& path)
{
    if (path.isEmpty())
        return;
    const QList<QPolygonF> rings = path.toSubpathPolygons(fullTransform());
    winding_ = path.fillRule() == Qt::WindingFill;
    // A path of one closed ring is a polygon; otherwise the fill covers all
    // rings at once and the outlines follow each ring, open or closed.
    const bool oneClosedRing = rings.size() == 1 && rings.first().size() >= 3 && rings.first().isClosed();
    if (oneClosedRing) {
        emitShape(rings, true, true, true);
        return;
    }
    emitShape(rings, true, true, false);
    emitShape(rings, false, false, true);
}

void MetafilePaintEngine::drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode)
{
    if (!points || pointCount < 1)
        return;
    const QTransform t = fullTransform();
    QPolygonF mapped;
    mapped.reserve(pointCount);
    for (int i = 0; i < pointCount; ++i)
        mapped << t.map(points[i]);
    if (mode == PolylineMode) {
        emitShape({mapped}, false, false, true);
        return;
    }
    if (mode != ConvexMode)
        winding_ = mode == WindingMode;
    emitShape({mapped}, true, true, true);
}

void MetafilePaintEngine::drawTextItem(const QPointF& origin, const QTextItem& textItem)
{
    const QString text = textItem.text();
    if (text.isEmpty() || pen_.style() == Qt::NoPen)
        return;
    const QColor color = solidColor(pen_.brush());
    if (!color.isValid())
        return;
    const QTransform t = fullTransform();
    const QPointF at = t.map(origin);
    if (!finite(at) || !guard_.contains(at))
        return;
    if (!syncClip())
        return;

    const QFont font = textItem.font();
    QPaintDevice* device = paintDevice();
    const double dpi = device ? device->logicalDpiY() : 96.0;
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dpi / 72.0;
    const double along = std::hypot(t.m11(), t.m12());  // stretch along the baseline
    const double across = std::hypot(t.m21(), t.m22()); // stretch of the glyph height

    MetafileCanvas::Font mf;
    mf.face = QFontInfo(font).family();
    mf.height = static_cast<int>(std::clamp<double>(std::lround(pixels * across), 1, 1 << 20));
    mf.weight = font.weight();
    mf.italic = font.italic();
    // Underline and strike-out are drawn by QPainter as lines of their own.
    const double degrees = std::atan2(t.m12(), t.m11()) * 180.0 / std::numbers::pi;
    mf.escapement = static_cast<int>(std::lround(-degrees * 10.0 + 3600.0)) % 3600;

    // Where Qt puts each character, so the text keeps its width whatever
    // font the reader finds.
    const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    // Text wholly outside the clip is left out; text across its edge is
    // cut by the clip record.
    const QRectF box = t.mapRect(
        QRectF(origin.x(), origin.y() - metrics.ascent(), textItem.width(), metrics.ascent() + metrics.descent()));
    if (!box.intersects(cutRect()))
        return;
    QList<int> advances;
    advances.reserve(text.size());
    double position = 0.0;
    long placed = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) {
            position += metrics.horizontalAdvance(text.mid(i, 2));
        } else if (!text.at(i).isLowSurrogate()) {
            position += metrics.horizontalAdvance(text.at(i));
        }
        const long next = std::lround(position * along);
        advances << static_cast<int>(next - placed);
        placed = next;
    }

    selectFont(mf);
    setTextColor(color.rgb());
    canvas_.text(QPoint(static_cast<int>(std::lround(at.x())), static_cast<int>(std::lround(at.y()))), text, advances);
}

// A metafile here holds no bitmaps: pixmaps and images are left out.
void MetafilePaintEngine::drawPixmap(const QRectF&, const QPixmap&, const QRectF&) {}
void MetafilePaintEngine::drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) {}
void MetafilePaintEngine::drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) {}

} // namespace vt640
