#pragma once

#include "viewer/core/metafile_canvas.h"

#include <QByteArray>

namespace vt640 {

// Writes a placeable Windows Metafile with libUEMF. Coordinates are 16-bit,
// so the logical unit is a twip (1/1440 inch) when the picture fits in
// 32767 of them, and a coarser unit for larger pictures. The placeable
// header states the size and the units per inch; the window origin and
// extent repeat it for readers that look there.
class WmfCanvas : public MetafileCanvas {
public:
    static constexpr int kMaxCoordinate = 32767;

    // `frame`: the picture's size in 0.01 mm, each side at least 1.
    explicit WmfCanvas(QSize frame);
    ~WmfCanvas() override;
    WmfCanvas(const WmfCanvas&) = delete;
    WmfCanvas& operator=(const WmfCanvas&) = delete;

    QSize logicalSize() const override { return size_; }
    int coordinateLimit() const override { return kMaxCoordinate; }
    bool widePatternedPens() const override { return false; }

    Handle createPen(const Pen& pen) override;
    Handle createBrush(const Brush& brush) override;
    Handle createFont(const Font& font) override;
    void selectObject(Handle handle) override;
    void deleteObject(Handle handle) override;
    void saveDC() override;
    void restoreDC() override;
    void intersectClipRect(const QRect& rect) override;
    void setTextColor(QRgb color) override;
    void setPolyFillMode(bool winding) override;
    void polyline(const QPolygon& points) override;
    void polygon(const QPolygon& points) override;
    void polyPolygon(const QList<QPolygon>& polygons) override;
    void text(const QPoint& origin, const QString& text, const QList<int>& advances) override;
    QByteArray finish() override;

private:
    void append(char* record);

    QSize size_;
    QByteArray bytes_;
    std::uint32_t largestRecordWords_ = 0;
    bool failed_ = false;
    bool finished_ = false;
    struct Handles;
    Handles* handles_ = nullptr;
};

} // namespace vt640
