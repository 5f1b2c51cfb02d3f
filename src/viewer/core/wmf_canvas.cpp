#include "viewer/core/wmf_canvas.h"
#include "viewer/core/metafile_styles.h"

#include <uwmf.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

namespace vt640 {

// libUEMF builds records in host byte order; metafiles are little-endian.
static_assert(std::endian::native == std::endian::little, "metafile records are written in host order");

// WMF object indexes start at 0; the canvas's handles are one more, so that
// 0 stays "no object".
struct WmfCanvas::Handles {
    WMFHANDLES* table = nullptr;
};

namespace {

constexpr int kTwipsPerInch = 1440;
// Points in one record: a record's size is counted in 16-bit words and
// readers keep whole records in memory, so long lines are cut into pieces.
constexpr int kMaxPointsPerRecord = 8000;
// Characters in one text record.
constexpr int kMaxTextLength = 8000;

using metafile::colorRef;

int16_t clamp16(int v)
{
    return static_cast<int16_t>(std::clamp(v, -WmfCanvas::kMaxCoordinate, WmfCanvas::kMaxCoordinate));
}

std::vector<U_POINT16> toPoints(const QPolygon& polygon, qsizetype from, qsizetype count)
{
    std::vector<U_POINT16> out;
    out.reserve(static_cast<std::size_t>(count));
    for (qsizetype i = from; i < from + count; ++i)
        out.push_back(point16_set(clamp16(polygon.at(i).x()), clamp16(polygon.at(i).y())));
    return out;
}

// A polygon that is too long for one record keeps an evenly spread
// selection of its corners.
QPolygon thinned(const QPolygon& polygon, int maxPoints)
{
    if (polygon.size() <= maxPoints)
        return polygon;
    QPolygon out;
    out.reserve(maxPoints);
    for (int i = 0; i < maxPoints; ++i)
        out << polygon.at(static_cast<qsizetype>(static_cast<double>(i) * polygon.size() / maxPoints));
    return out;
}

} // namespace

WmfCanvas::WmfCanvas(QSize frame) : handles_(new Handles)
{
    const int w = std::max(frame.width(), 1);
    const int h = std::max(frame.height(), 1);
    // Twips when they fit, else the finest unit that does.
    const double largest = std::max(w, h);
    int unitsPerInch = kTwipsPerInch;
    if (largest * kTwipsPerInch / 2540.0 > kMaxCoordinate)
        unitsPerInch = std::max(1, static_cast<int>(std::floor(kMaxCoordinate * 2540.0 / largest)));
    size_ = QSize(std::clamp(static_cast<int>(std::lround(w * unitsPerInch / 2540.0)), 1, kMaxCoordinate),
                  std::clamp(static_cast<int>(std::lround(h * unitsPerInch / 2540.0)), 1, kMaxCoordinate));

    if (wmf_htable_create(128, 128, &handles_->table) != 0)
        failed_ = true;

    U_PAIRF inches{static_cast<float>(size_.width()) / unitsPerInch, static_cast<float>(size_.height()) / unitsPerInch};
    char* header = U_WMRHEADER_set(&inches, static_cast<unsigned>(unitsPerInch));
    if (!header) {
        failed_ = true;
    } else {
        bytes_.append(header, U_SIZE_WMRPLACEABLE + U_SIZE_WMRHEADER);
        std::free(header);
        // The bounding box exactly as computed here, and its checksum.
        const int16_t box[4] = {0, 0, static_cast<int16_t>(size_.width()), static_cast<int16_t>(size_.height())};
        std::memcpy(bytes_.data() + offsetof(U_WMRPLACEABLE, Dst), box, sizeof box);
        int16_t words[10];
        std::memcpy(words, bytes_.constData(), sizeof words);
        const int16_t sum = U_16_checksum(words, 10);
        std::memcpy(bytes_.data() + 20, &sum, sizeof sum);
    }
    append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    append(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
    append(U_WMRSETWINDOWEXT_set(point16_set(clamp16(size_.width()), clamp16(size_.height()))));
    append(U_WMRSETBKMODE_set(U_TRANSPARENT));
    append(U_WMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
}

WmfCanvas::~WmfCanvas()
{
    if (handles_->table)
        wmf_htable_free(&handles_->table);
    delete handles_;
}

void WmfCanvas::append(char* record)
{
    if (!record) {
        failed_ = true;
        return;
    }
    uint16_t size[2];
    std::memcpy(size, record, sizeof size);
    const uint32_t words = static_cast<uint32_t>(size[0]) | (static_cast<uint32_t>(size[1]) << 16);
    bytes_.append(record, static_cast<qsizetype>(words) * 2);
    largestRecordWords_ = std::max(largestRecordWords_, words);
    std::free(record);
}

MetafileCanvas::Handle WmfCanvas::createPen(const Pen& pen)
{
    uint32_t handle = 0;
    if (!handles_->table)
        return 0;
    // GDI keeps the dashes and dots of a pen only up to one logical unit
    // wide (wider ones the paint engine draws as solid dashes). Never 0,
    // GDI's "one pixel": LibreOffice draws no line for it. Other pens keep
    // their width.
    const bool solid = pen.style == LineStyle::Solid || pen.style == LineStyle::Null;
    const auto width = static_cast<uint16_t>(solid ? std::clamp(pen.width, 1, kMaxCoordinate) : 1);
    append(wcreatepenindirect_set(
        &handle, handles_->table,
        U_PEN_set(static_cast<uint16_t>(metafile::penStyle(pen.style)), width, colorRef(pen.color))));
    return handle + 1;
}

MetafileCanvas::Handle WmfCanvas::createBrush(const Brush& brush)
{
    uint32_t handle = 0;
    if (!handles_->table)
        return 0;
    append(wcreatebrushindirect_set(&handle, handles_->table,
                                    U_WLOGBRUSH_set(brush.hollow ? U_BS_NULL : U_BS_SOLID, colorRef(brush.color), 0)));
    return handle + 1;
}

MetafileCanvas::Handle WmfCanvas::createFont(const Font& font)
{
    uint32_t handle = 0;
    if (!handles_->table)
        return 0;
    // WMF face names are 8-bit, at most 31 characters and a terminator.
    QByteArray face = font.face.left(31).toLatin1();
    U_FONT* logFont = U_FONT_set(static_cast<int16_t>(-std::clamp(font.height, 1, kMaxCoordinate)), 0,
                                 static_cast<int16_t>(font.escapement), static_cast<int16_t>(font.escapement),
                                 static_cast<int16_t>(std::clamp(font.weight, 1, 1000)), font.italic, font.underline,
                                 font.strikeOut, U_DEFAULT_CHARSET, U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
                                 U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_DONTCARE, face.data());
    if (!logFont) {
        failed_ = true;
        return 0;
    }
    append(wcreatefontindirect_set(&handle, handles_->table, logFont));
    std::free(logFont);
    return handle + 1;
}

void WmfCanvas::selectObject(Handle handle)
{
    if (handles_->table && handle)
        append(wselectobject_set(handle - 1, handles_->table));
}

void WmfCanvas::deleteObject(Handle handle)
{
    uint32_t index = handle - 1;
    if (handles_->table && handle)
        append(wdeleteobject_set(&index, handles_->table));
}

void WmfCanvas::saveDC() { append(U_WMRSAVEDC_set()); }

void WmfCanvas::restoreDC() { append(U_WMRRESTOREDC_set(-1)); }

void WmfCanvas::intersectClipRect(const QRect& rect)
{
    U_RECT16 r;
    r.left = clamp16(rect.left());
    r.top = clamp16(rect.top());
    r.right = clamp16(rect.left() + rect.width());
    r.bottom = clamp16(rect.top() + rect.height());
    append(U_WMRINTERSECTCLIPRECT_set(r));
}

void WmfCanvas::setTextColor(QRgb color) { append(U_WMRSETTEXTCOLOR_set(colorRef(color))); }

void WmfCanvas::setPolyFillMode(bool winding) { append(U_WMRSETPOLYFILLMODE_set(winding ? U_WINDING : U_ALTERNATE)); }

void WmfCanvas::polyline(const QPolygon& points)
{
    // Pieces share their end points, so the line stays unbroken.
    for (qsizetype from = 0; from + 1 < points.size(); from += kMaxPointsPerRecord - 1) {
        const qsizetype count = std::min<qsizetype>(kMaxPointsPerRecord, points.size() - from);
        const std::vector<U_POINT16> pts = toPoints(points, from, count);
        append(U_WMRPOLYLINE_set(static_cast<uint16_t>(pts.size()), pts.data()));
    }
}

void WmfCanvas::polygon(const QPolygon& points)
{
    if (points.size() < 3)
        return;
    const QPolygon p = thinned(points, kMaxPointsPerRecord);
    const std::vector<U_POINT16> pts = toPoints(p, 0, p.size());
    append(U_WMRPOLYGON_set(static_cast<uint16_t>(pts.size()), pts.data()));
}

void WmfCanvas::polyPolygon(const QList<QPolygon>& polygons)
{
    std::vector<uint16_t> counts;
    std::vector<U_POINT16> pts;
    qsizetype total = 0;
    for (const QPolygon& p : polygons)
        if (p.size() >= 3)
            total += p.size();
    if (total > kMaxPointsPerRecord || polygons.size() > kMaxPointsPerRecord) {
        // Too much for one record: each ring on its own.
        for (const QPolygon& p : polygons)
            polygon(p);
        return;
    }
    for (const QPolygon& p : polygons) {
        if (p.size() < 3)
            continue;
        counts.push_back(static_cast<uint16_t>(p.size()));
        const std::vector<U_POINT16> ring = toPoints(p, 0, p.size());
        pts.insert(pts.end(), ring.begin(), ring.end());
    }
    if (counts.empty())
        return;
    append(U_WMRPOLYPOLYGON_set(static_cast<uint16_t>(counts.size()), counts.data(), pts.data()));
}

void WmfCanvas::text(const QPoint& origin, const QString& text, const QList<int>&)
{
    // WMF text is 8-bit: Latin-1, anything else shows as "?".
    const QString shown = text.left(kMaxTextLength);
    if (shown.isEmpty())
        return;
    QByteArray bytes(shown.size(), '?');
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t u = shown.at(i).unicode();
        if (u != 0 && u < 256)
            bytes[i] = static_cast<char>(u);
    }
    // No character spacing: WMF readers then set the string as one run in
    // the font they find, where with spacing some place every letter apart.
    const U_RECT16 unused{0, 0, 0, 0}; // read only for opaque or clipped text
    append(U_WMREXTTEXTOUT_set(point16_set(clamp16(origin.x()), clamp16(origin.y())),
                               static_cast<int16_t>(bytes.size()), 0, bytes.constData(), nullptr, unused));
}

QByteArray WmfCanvas::finish()
{
    if (!finished_) {
        finished_ = true;
        append(U_WMREOF_set());
        // The totals only known now, written into the header after the
        // placeable record: file size in words, objects, largest record.
        const std::size_t header = U_SIZE_WMRPLACEABLE;
        auto patch = [this](std::size_t offset, auto value) {
            if (offset + sizeof value <= static_cast<std::size_t>(bytes_.size()))
                std::memcpy(bytes_.data() + offset, &value, sizeof value);
        };
        const uint32_t words = static_cast<uint32_t>((bytes_.size() - static_cast<qsizetype>(header)) / 2);
        const uint16_t sizeWords[2] = {static_cast<uint16_t>(words & 0xffff), static_cast<uint16_t>(words >> 16)};
        patch(header + offsetof(U_WMRHEADER, Sizew), sizeWords[0]);
        patch(header + offsetof(U_WMRHEADER, Sizew) + 2, sizeWords[1]);
        patch(header + offsetof(U_WMRHEADER, nObjects),
              static_cast<uint16_t>(handles_->table ? handles_->table->peak + 1 : 1));
        patch(header + offsetof(U_WMRHEADER, maxSize), largestRecordWords_);
    }
    return failed_ ? QByteArray() : bytes_;
}

} // namespace vt640
