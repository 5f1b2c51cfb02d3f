#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QCustomPlot;
class QCPGraph;
class QCPItemStraightLine;
class QCPItemTracer;
class QCPPainter;
class QCPTextElement;
class QKeyEvent;

namespace vt640 {

class ChartExporter;
class PointLabelTicker;
class PromptService;

// The chart of the recorder and the graph viewer: one or more series of
// points with a text label each, a manual Y scale, a vertical-line cursor on
// a point, rubber-band zoom and undo. Callers set properties and data and
// then run an action; property changes show after gReinitAndReset.
//
// Everything is drawn by render(), whatever the device (screen, bitmap,
// printer, vector file).
class PEGraph : public QWidget {
    Q_OBJECT
public:
    enum PlottingMethod { gLine = 0, gPoint = 1, gPointsPlusLine = 2 };
    enum ManualScaleControl { gNoScaleControl = 0, gManualMin = 1, gManualMax = 2, gManualMinAndMax = 3 };
    enum PointSize { gMicroPoints = 0, gSmallPoints = 1, gMediumPoints = 2, gLargePoints = 3 };
    enum GridLineControl { gYPlusXAxis = 0, gYAxis = 1, gXAxis = 2, gNoGrid = 3 };
    enum GridStyle { gThin = 0, gThick = 1, gDot = 2, gDash = 3 };
    enum CursorMode { gNoCursor = 0, gVertLine = 4 };
    enum CursorPromptStyle { gNoPrompt = 0 };
    enum Zooming { gNoZooming = 0, gHorzZooming = 1, gVertZooming = 2, gHorzPlusVertZooming = 3 };
    enum ViewingStyle { gColor = 0, gMonochrome = 1 };
    enum DataPrecision { gNoDecimals = 0, gOneDecimal = 1, gTwoDecimals = 2, gThreeDecimals = 3 };
    enum PointsToGraphInit { gFirst = 0, gLast = 1 };
    enum Action {
        gReinitAndReset = 0,
        gResetImage = 2,
        gPrintDialog = 8,
        gMetaToClip = 12,
        gMetaToFile = 13,
        gBmpToClip = 14,
        gBmpToFile = 15,
        gPrintGraph = 18,
        gUndoZoom = 19,
    };

    explicit PEGraph(QWidget* parent = nullptr);
    ~PEGraph() override;

    // Data.
    void setSubsets(int n);
    int subsets() const { return static_cast<int>(yData_.size()); }
    // Points, PointsToGraph and MaxPointsToGraph are always equal here.
    void setPoints(int n);
    int points() const { return points_; }
    void setPointsToGraph(int n) { setPoints(n); }
    void setMaxPointsToGraph(int n) { setPoints(n); }
    void setPointsToGraphInit(PointsToGraphInit v) { pointsToGraphInit_ = v; }
    void setYData(int subset, int point, float value);
    float yData(int subset, int point) const;
    void setPointLabels(int point, const QString& label);
    QString pointLabels(int point) const;
    // Points of this value are not plotted (nor are NaN and infinities).
    void setNullDataValue(double v) { nullDataValue_ = v; }
    double nullDataValue() const { return nullDataValue_; }
    // Adds one point at the end of every series: the earlier points move one
    // place to the left and the oldest leaves the chart.
    void appendPoint(float value, const QString& label);

    // Y scale.
    void setManualScaleControlY(ManualScaleControl v) { manualScaleControlY_ = v; }
    void setManualMinY(double v) { manualMinY_ = v; }
    void setManualMaxY(double v) { manualMaxY_ = v; }
    double manualMinY() const { return manualMinY_; }
    double manualMaxY() const { return manualMaxY_; }
    void setManualMaxDataString(const QString& s) { manualMaxDataString_ = s; }
    void setManualMaxPointLabel(const QString& s) { manualMaxPointLabel_ = s; }

    // Look.
    void setMainTitle(const QString& s) { mainTitle_ = s; }
    void setSubTitle(const QString& s) { subTitle_ = s; }
    void setXAxisLabel(const QString& s) { xAxisLabel_ = s; }
    void setYAxisLabel(const QString& s) { yAxisLabel_ = s; }
    QString mainTitle() const { return mainTitle_; }
    QString yAxisLabel() const { return yAxisLabel_; }
    QString xAxisLabel() const { return xAxisLabel_; }
    void setDeskColor(const QColor& c) { deskColor_ = c; }
    void setGraphBackColor(const QColor& c) { graphBackColor_ = c; }
    void setGraphForeColor(const QColor& c) { graphForeColor_ = c; }
    void setSubsetColors(int subset, const QColor& c);
    QColor subsetColors(int subset) const;
    void setSubsetLineTypes(int subset, int lineType);
    int subsetLineTypes(int subset) const;
    void setPlottingMethod(PlottingMethod m) { plottingMethod_ = m; }
    void setPointSize(PointSize s) { pointSize_ = s; }
    void setDataPrecision(DataPrecision p) { dataPrecision_ = p; }
    void setGridLineControl(GridLineControl g) { gridLineControl_ = g; }
    void setGridStyle(GridStyle g) { gridStyle_ = g; }
    // Monochrome is black on white, for printing; it shows after
    // gResetImage or gReinitAndReset, as other properties do.
    void setViewingStyle(ViewingStyle v) { viewingStyle_ = v; }
    ViewingStyle viewingStyle() const { return viewingStyle_; }
    void setNoStackedData(bool) {}
    void setAllowHistogram(bool) {}
    void setAllowPopup(bool) {}
    void setAllowDataHotSpots(bool) {}
    void setPrepareImages(bool) {}

    // Interaction.
    void setAllowZooming(Zooming z) { allowZooming_ = z; }
    void setCursorMode(CursorMode m) { cursorMode_ = m; }
    void setMouseCursorControl(bool on) { mouseCursorControl_ = on; }
    void setCursorPromptStyle(CursorPromptStyle) {}
    // Moves the cursor without raising OnCursorMoved.
    void setCursorPoint(int point);
    int cursorPoint() const { return cursorPoint_; }
    bool zoomed() const { return zoomed_; }

    // Actions. PEnarg1 x PEnarg2 is a picture's size (pixels for bitmaps,
    // 0.01 mm for metafiles; 0 x 0 is the chart's own size) and PEstrarg1
    // the file written. A failed action shows an error box through the
    // prompt service (when one is set) and leaves its text in
    // lastActionError(); a successful one clears it.
    void setPEnarg1(int v) { narg1_ = v; }
    void setPEnarg2(int v) { narg2_ = v; }
    void setPEstrarg1(const QString& s) { strarg1_ = s; }
    int PEnarg1() const { return narg1_; }
    int PEnarg2() const { return narg2_; }
    QString PEstrarg1() const { return strarg1_; }
    void setPEactions(Action action);
    // Prints the chart in black and white with `print` (gPrintDialog, or
    // gPrintGraph at the size in PEnarg1 x PEnarg2), then draws it in colour
    // again with `restore`: gResetImage, or gReinitAndReset at the chart's own
    // size (the size arguments cleared). False when the print failed; its
    // error stays in lastActionError() through the redraw after it, so that
    // a caller printing page after page stops at the first failure.
    bool printInMonochrome(Action print, Action restore);
    QString lastActionError() const { return lastActionError_; }
    // The print dialog and error boxes of the actions go through `prompts`.
    void setPromptService(PromptService* prompts) { prompts_ = prompts; }
    // Pictures and printing of this chart; its printer keeps the choices of
    // a printer set-up dialog.
    ChartExporter& exporter();

    // Zooms to point range [firstPoint, lastPoint] and Y range [yLow, yHigh],
    // as a rubber band over them would; raises OnZoomIn.
    void zoomTo(double firstPoint, double lastPoint, double yLow, double yHigh);
    // The zoom as it stands, to be put back after whole pages were drawn
    // (gUndoZoom) for printing or export. Putting it back raises nothing.
    struct ZoomWindow {
        bool zoomed = false;
        double firstPoint = 0, lastPoint = 0, yLow = 0, yHigh = 0;
    };
    ZoomWindow zoomWindow() const;
    void restoreZoom(const ZoomWindow& window);

    // What a key press on the focused chart does: the arrow keys, Home and
    // End move the cursor (raising OnCursorMoved), and every key raises OnKeyDown.
    void pressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // Draws the chart into `painter` at `width` x `height` pixels.
    void render(QCPPainter* painter, int width, int height);
    // The chart as a picture of the given size (the widget's size for 0).
    QPixmap toPixmap(int width = 0, int height = 0);
    // Draws now instead of on the next pass of the event loop.
    void replotNow();

    // The underlying plot, for tests that look at what is drawn.
    QCustomPlot* plot() const { return plot_; }
    // Tick labels currently shown on the X axis.
    QStringList visibleXLabels() const;

signals:
    void OnCursorMoved();
    void OnZoomIn();
    void OnKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // An action is about to run, with the arguments and style now set.
    void actionStarted(PEGraph::Action action);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyProperties();
    void rebuildData();
    void applyFullView();
    void requestReplot();
    void moveCursorBy(int delta);
    void placeCursor();
    void clickAt(const QPoint& pos);
    void updateTickerWidth();
    bool isNull(float v) const;

    QCustomPlot* plot_ = nullptr;
    QCPTextElement* title_ = nullptr;
    QCPTextElement* subTitleElement_ = nullptr;
    std::vector<QCPGraph*> graphs_;
    QCPItemStraightLine* cursorLine_ = nullptr;
    QCPItemTracer* cursorTracer_ = nullptr;
    QSharedPointer<PointLabelTicker> ticker_;

    int points_ = 0;
    std::vector<std::vector<float>> yData_;
    std::vector<QString> labels_;
    std::vector<QColor> subsetColors_;
    std::vector<int> subsetLineTypes_;
    double nullDataValue_ = -99999.0;
    PointsToGraphInit pointsToGraphInit_ = gLast;

    ManualScaleControl manualScaleControlY_ = gNoScaleControl;
    double manualMinY_ = 0.0;
    double manualMaxY_ = 1.0;
    QString manualMaxDataString_;
    QString manualMaxPointLabel_;

    QString mainTitle_, subTitle_, xAxisLabel_, yAxisLabel_;
    QColor deskColor_{240, 240, 240};
    QColor graphBackColor_{Qt::white};
    QColor graphForeColor_{Qt::black};
    PlottingMethod plottingMethod_ = gLine;
    PointSize pointSize_ = gMediumPoints;
    DataPrecision dataPrecision_ = gThreeDecimals;
    GridLineControl gridLineControl_ = gYPlusXAxis;
    GridStyle gridStyle_ = gThin;
    ViewingStyle viewingStyle_ = gColor;

    Zooming allowZooming_ = gNoZooming;
    CursorMode cursorMode_ = gNoCursor;
    bool mouseCursorControl_ = false;
    int cursorPoint_ = 0;
    QPoint pressPos_{-1000, -1000};
    bool zoomed_ = false;
    bool dirty_ = true;

    int narg1_ = 0, narg2_ = 0;
    QString strarg1_;
    QString lastActionError_;
    PromptService* prompts_ = nullptr;
    std::unique_ptr<ChartExporter> exporter_;
};

} // namespace vt640
