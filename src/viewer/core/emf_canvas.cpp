#include "viewer/core/emf_canvas.h"
#include "viewer/core/metafile_styles.h"

#include <uemf.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <vector>

namespace vt640 {

// libUEMF builds records in host byte order; metafiles are little-endian.
static_assert(std::endian::native == std::endian::little, "metafile records are written in host order");

struct EmfCanvas::Handles {
    EMFHANDLES* table = nullptr;
};

namespace {

// A reference device of A4 size at 100 pixels per millimetre.
constexpr int kReferenceWidthMm = 210;
constexpr int kReferenceHeightMm = 297;
constexpr int kPixelsPerMm = 100;

using metafile::colorRef;

std::vector<U_POINTL> toPoints(const QPolygon& polygon)
{
    std::vector<U_POINTL> out;
    out.reserve(static_cast<std::size_t>(polygon.size()));
    for (const QPoint& p : polygon)
        out.push_back(point32_set(p.x(), p.y()));
    return out;
}

U_RECTL boundsOf(const QRect& r)
{
    return rectl_set(point32_set(r.left(), r.top()), point32_set(r.right(), r.bottom()));
}

} // namespace

EmfCanvas::EmfCanvas(QSize frame)
    : size_(std::max(frame.width(), 1), std::max(frame.height(), 1)), handles_(new Handles)
{
    if (emf_htable_create(128, 128, &handles_->table) != 0)
        failed_ = true;

    // Frame and bounds span the picture's size, stored as GDI stores the
    // rectangle a metafile is created with.
    const U_RECTL picture = rectl_set(point32_set(0, 0), point32_set(size_.width(), size_.height()));
    append(U_EMRHEADER_set(picture, picture, nullptr, 0, nullptr,
                           sizel_set(kReferenceWidthMm * kPixelsPerMm, kReferenceHeightMm * kPixelsPerMm),
                           sizel_set(kReferenceWidthMm, kReferenceHeightMm), 0));
    // Text never paints a box behind it, and is placed by its baseline as
    // Qt places it.
    append(U_EMRSETBKMODE_set(U_TRANSPARENT));
    append(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
}

EmfCanvas::~EmfCanvas()
{
    if (handles_->table)
        emf_htable_free(&handles_->table);
    delete handles_;
}

void EmfCanvas::append(char* record)
{
    if (!record) {
        failed_ = true;
        return;
    }
    U_EMR head;
    std::memcpy(&head, record, sizeof head);
    bytes_.append(record, static_cast<qsizetype>(head.nSize));
    std::free(record);
    ++records_;
}

MetafileCanvas::Handle EmfCanvas::createPen(const Pen& pen)
{
    uint32_t handle = 0;
    if (!handles_->table)
        return 0;
    // A geometric pen: its width is in logical units at any size, and its
    // line ends are flat and its corners mitred as Qt draws them.
    PU_EXTLOGPEN logPen =
        extlogpen_set(U_PS_GEOMETRIC | metafile::penStyle(pen.style) | U_PS_ENDCAP_FLAT | U_PS_JOIN_MITER,
                      static_cast<uint32_t>(std::max(pen.width, 1)), U_BS_SOLID, colorRef(pen.color), 0, 0, nullptr);
    if (!logPen) {
        failed_ = true;
        return 0;
    }
    append(extcreatepen_set(&handle, handles_->table, nullptr, 0, nullptr, logPen));
    std::free(logPen);
    return handle;
}

MetafileCanvas::Handle EmfCanvas::createBrush(const Brush& brush)
{
    uint32_t handle = 0;
    if (!handles_->table)
        return 0;
    append(createbrushindirect_set(&handle, handles_->table,
                                   logbrush_set(brush.hollow ? U_BS_NULL : U_BS_SOLID, colorRef(brush.color), 0)));
    return handle;
}

MetafileCanvas::Handle EmfCanvas::createFont(const Font& font)
{
    uint32_t handle = 0;
    if (!handles_->table)
        return 0;
    // The face name is at most 31 UTF-16 units and a terminator.
    uint16_t face[U_LF_FACESIZE] = {};
    const QString name = font.face.left(U_LF_FACESIZE - 1);
    for (qsizetype i = 0; i < name.size(); ++i)
        face[i] = name.at(i).unicode();
    const U_LOGFONT logFont =
        logfont_set(-std::max(font.height, 1), 0, font.escapement, font.escapement, std::clamp(font.weight, 1, 1000),
                    font.italic, font.underline, font.strikeOut, U_DEFAULT_CHARSET, U_OUT_DEFAULT_PRECIS,
                    U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_DONTCARE, face);
    append(extcreatefontindirectw_set(&handle, handles_->table, reinterpret_cast<const char*>(&logFont), nullptr));
    return handle;
}

void EmfCanvas::selectObject(Handle handle)
{
    if (handles_->table && handle)
        append(selectobject_set(handle, handles_->table));
}

void EmfCanvas::deleteObject(Handle handle)
{
    if (handles_->table && handle)
        append(deleteobject_set(&handle, handles_->table));
}

void EmfCanvas::saveDC() { append(U_EMRSAVEDC_set()); }

void EmfCanvas::restoreDC() { append(U_EMRRESTOREDC_set(-1)); }

void EmfCanvas::intersectClipRect(const QRect& rect)
{
    // Right and bottom are excluded, as GDI clips.
    append(U_EMRINTERSECTCLIPRECT_set(rectl_set(point32_set(rect.left(), rect.top()),
                                                point32_set(rect.left() + rect.width(), rect.top() + rect.height()))));
}

void EmfCanvas::setTextColor(QRgb color) { append(U_EMRSETTEXTCOLOR_set(colorRef(color))); }

void EmfCanvas::setPolyFillMode(bool winding) { append(U_EMRSETPOLYFILLMODE_set(winding ? U_WINDING : U_ALTERNATE)); }

void EmfCanvas::polyline(const QPolygon& points)
{
    if (points.size() < 2)
        return;
    const std::vector<U_POINTL> pts = toPoints(points);
    append(U_EMRPOLYLINE_set(boundsOf(points.boundingRect()), static_cast<uint32_t>(pts.size()), pts.data()));
}

void EmfCanvas::polygon(const QPolygon& points)
{
    if (points.size() < 3)
        return;
    const std::vector<U_POINTL> pts = toPoints(points);
    append(U_EMRPOLYGON_set(boundsOf(points.boundingRect()), static_cast<uint32_t>(pts.size()), pts.data()));
}

void EmfCanvas::polyPolygon(const QList<QPolygon>& polygons)
{
    std::vector<uint32_t> counts;
    std::vector<U_POINTL> pts;
    QRect bounds;
    for (const QPolygon& p : polygons) {
        if (p.size() < 3)
            continue;
        counts.push_back(static_cast<uint32_t>(p.size()));
        for (const QPoint& q : p)
            pts.push_back(point32_set(q.x(), q.y()));
        bounds |= p.boundingRect();
    }
    if (counts.empty())
        return;
    append(U_EMRPOLYPOLYGON_set(boundsOf(bounds), static_cast<uint32_t>(counts.size()), counts.data(),
                                static_cast<uint32_t>(pts.size()), pts.data()));
}

void EmfCanvas::text(const QPoint& origin, const QString& text, const QList<int>& advances)
{
    if (text.isEmpty())
        return;
    std::vector<uint16_t> units(static_cast<std::size_t>(text.size()) + 1, 0);
    std::vector<uint32_t> dx(static_cast<std::size_t>(text.size()), 0);
    for (qsizetype i = 0; i < text.size(); ++i) {
        units[static_cast<std::size_t>(i)] = text.at(i).unicode();
        dx[static_cast<std::size_t>(i)] = i < advances.size() ? static_cast<uint32_t>(std::max(advances.at(i), 0)) : 0;
    }
    char* body = emrtext_set(point32_set(origin.x(), origin.y()), static_cast<U_NUM_STR>(text.size()), 2, units.data(),
                             U_ETO_NONE, U_RCL_DEF, dx.data());
    if (!body) {
        failed_ = true;
        return;
    }
    // The scales give the logical unit in 0.01 mm, which it is.
    append(U_EMREXTTEXTOUTW_set(U_RCL_DEF, U_GM_COMPATIBLE, 1.0f, 1.0f, reinterpret_cast<PU_EMRTEXT>(body)));
    std::free(body);
}

QByteArray EmfCanvas::finish()
{
    if (!finished_) {
        finished_ = true;
        EMFTRACK track{}; // only told the palette size, which is none
        append(U_EMREOF_set(0, nullptr, &track));
        // The totals only known now, written into the header's fields.
        auto patch = [this](std::size_t offset, auto value) {
            if (offset + sizeof value <= static_cast<std::size_t>(bytes_.size()))
                std::memcpy(bytes_.data() + offset, &value, sizeof value);
        };
        patch(offsetof(U_EMRHEADER, nBytes), static_cast<uint32_t>(bytes_.size()));
        patch(offsetof(U_EMRHEADER, nRecords), records_);
        patch(offsetof(U_EMRHEADER, nHandles), static_cast<uint16_t>(handles_->table ? handles_->table->peak + 1 : 1));
    }
    return failed_ ? QByteArray() : bytes_;
}

} // namespace vt640
