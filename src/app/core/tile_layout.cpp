#include "app/core/tile_layout.h"

namespace vt640 {

namespace {
constexpr int kBevelHeight = 2;
} // namespace

int mainWindowHeight(const FrameMetrics& m) { return 2 * m.fixedFrame + m.caption + m.menu + kBevelHeight + 25 + 8; }

int taskbarHeightFrom(int screenHeight, int availableHeight)
{
    const int reserved = screenHeight - availableHeight;
    return reserved > 0 ? reserved : 0;
}

TileLayout tileWindows(const TileInput& in)
{
    const int w = in.screenWidth;
    const int h = in.screenHeight;
    TileLayout out;

    const int mainHeight = mainWindowHeight(in.metrics);
    out.main = QRect(0, 0, w, mainHeight);

    const int digitalHeight = (h - mainHeight) / 4;
    out.digitalMeter = QRect(0, mainHeight, w / 4, digitalHeight);

    if (in.recorderVisible) {
        const int top = mainHeight + digitalHeight;
        out.recorder = QRect(0, top, w, h - top - in.taskbarHeight);
    }
    if (in.dataListVisible)
        out.dataList = QRect(w / 4, mainHeight, w - w / 4, digitalHeight);
    if (in.analogVisible) {
        const int height = in.dialHeight + 4 * in.metrics.fixedFrame + in.metrics.caption;
        out.analogMeter = QRect(0, mainHeight + digitalHeight, w / 4, height);
    }
    if (in.comparatorVisible) {
        const int m = 2 * in.metrics.sizingFrame + in.metrics.caption;
        out.comparator = QRect(m, (h - mainHeight) / 4 + mainHeight + m, in.comparatorFrameWidth + m,
                               in.comparatorFrameHeight + in.alarmButtonHeight + in.limitButtonHeight + m + 2);
    }
    return out;
}

} // namespace vt640
