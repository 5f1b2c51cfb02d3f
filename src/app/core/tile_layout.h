#pragma once

#include <QRect>

#include <optional>

namespace vt640 {

// Window-frame sizes the layout arithmetic uses (pixels).
struct FrameMetrics {
    int fixedFrame = 3;  // thickness of a fixed (dialog) frame
    int sizingFrame = 4; // thickness of a resizable frame
    int caption = 23;    // height of a caption bar
    int menu = 20;       // height of a menu bar
};

// The main window is a bar across the top of the screen: frames, caption,
// menu, the 2-pixel bevel and the button row.
int mainWindowHeight(const FrameMetrics& m);

// Height of the task bar from the screen's full and available heights; 0
// when nothing is reserved (a task bar that hides itself reserves nothing).
int taskbarHeightFrom(int screenHeight, int availableHeight);

// What "Windows tile" needs to know, and where it puts each window (outer
// geometry). Windows that are not visible are left alone.
struct TileInput {
    int screenWidth = 0;
    int screenHeight = 0;
    int taskbarHeight = 0;
    FrameMetrics metrics;
    bool recorderVisible = false;
    bool dataListVisible = false;
    bool analogVisible = false;
    bool comparatorVisible = false;
    int dialHeight = 0; // the analog meter's dial artwork
    int comparatorFrameWidth = 0;
    int comparatorFrameHeight = 0;
    int alarmButtonHeight = 0;
    int limitButtonHeight = 0;
};

struct TileLayout {
    QRect main;
    QRect digitalMeter;
    std::optional<QRect> recorder;
    std::optional<QRect> dataList;
    std::optional<QRect> analogMeter;
    std::optional<QRect> comparator;
};

TileLayout tileWindows(const TileInput& in);

} // namespace vt640
