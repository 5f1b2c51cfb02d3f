#pragma once

#include "viewer/core/metafile_canvas.h"

#include <QByteArray>

namespace vt640 {

// Writes an Enhanced Metafile with libUEMF. The logical unit is 0.01 mm,
// the unit of the header's frame, so the frame and the drawing agree
// exactly: the reference device has 100 pixels per millimetre and the
// default MM_TEXT mapping maps one logical unit onto one of its pixels.
class EmfCanvas : public MetafileCanvas {
public:
    // `frame`: the picture's size in 0.01 mm, each side at least 1.
    explicit EmfCanvas(QSize frame);
    ~EmfCanvas() override;
    EmfCanvas(const EmfCanvas&) = delete;
    EmfCanvas& operator=(const EmfCanvas&) = delete;

    QSize logicalSize() const override { return size_; }
    int coordinateLimit() const override { return 1 << 28; }

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
    // Takes a record made by libUEMF (malloc'ed, freed here); a null record
    // marks the picture as failed.
    void append(char* record);

    QSize size_;
    QByteArray bytes_;
    std::uint32_t records_ = 0;
    bool failed_ = false;
    bool finished_ = false;
    struct Handles;
    Handles* handles_ = nullptr;
};

} // namespace vt640
