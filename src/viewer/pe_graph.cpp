#include "viewer/pe_graph.h"

#include "viewer/chart_exporter.h"
#include "viewer/point_label_ticker.h"

#include <qcustomplot.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vt640 {
namespace {

// The cursor has to stand out against a black plot area and a silver line.
const QColor kCursorColor(255, 255, 0);

Qt::PenStyle penStyleFor(int lineType)
{
    switch (lineType % 5) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    default: return Qt::SolidLine;
    }
}

double markerSize(PEGraph::PointSize s)
{
    switch (s) {
    case PEGraph::gMicroPoints: return 2;
    case PEGraph::gSmallPoints: return 4;
    case PEGraph::gMediumPoints: return 5;
    case PEGraph::gLargePoints: return 7;
    }
    return 5;
}

} // namespace

PEGraph::PEGraph(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    plot_ = new QCustomPlot(this);
    plot_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(plot_);

    plot_->plotLayout()->insertRow(0);
    title_ = new QCPTextElement(plot_, QString(), QFont(font().family(), 11, QFont::Bold));
    plot_->plotLayout()->addElement(0, 0, title_);

    ticker_ = QSharedPointer<PointLabelTicker>(
        new PointLabelTicker([this](int i) { return pointLabels(i); }, [this] { return points_; }));
    plot_->xAxis->setTicker(ticker_);
    plot_->xAxis2->setVisible(true);
    plot_->yAxis2->setVisible(true);
    for (QCPAxis* a : {plot_->xAxis2, plot_->yAxis2}) {
        a->setTicks(false);
        a->setTickLabels(false);
    }
    plot_->xAxis->setSubTicks(false);
    plot_->yAxis->setSubTicks(false);
    plot_->setNoAntialiasingOnDrag(true);
    // Lines as separate segments: a pen wider than one pixel on a long,
    // dense polyline (a reduced buffer zigzags between block extremes)
    // otherwise takes seconds to stroke.
    plot_->setPlottingHint(QCP::phFastPolylines, true);
    plot_->setPlottingHint(QCP::phCacheLabels, true);

    cursorLine_ = new QCPItemStraightLine(plot_);
    cursorLine_->setPen(QPen(kCursorColor, 2));
    cursorLine_->setSelectable(false);
    cursorTracer_ = new QCPItemTracer(plot_);
    cursorTracer_->setStyle(QCPItemTracer::tsCircle);
    cursorTracer_->setPen(QPen(kCursorColor, 2));
    cursorTracer_->setSize(11);
    cursorTracer_->setInterpolating(false);
    cursorTracer_->setSelectable(false);

    plot_->setSelectionRectMode(QCP::srmCustom);
    plot_->selectionRect()->setPen(QPen(Qt::white, 1, Qt::DashLine));
    plot_->selectionRect()->setBrush(QColor(255, 255, 255, 40));
    connect(plot_->selectionRect(), &QCPSelectionRect::accepted, this, [this](const QRect& rect, QMouseEvent* event) {
        const bool wide = rect.width() >= 5;
        const bool tall = rect.height() >= 5;
        const bool canH = allowZooming_ == gHorzZooming || allowZooming_ == gHorzPlusVertZooming;
        const bool canV = allowZooming_ == gVertZooming || allowZooming_ == gHorzPlusVertZooming;
        if ((canH && wide) || (canV && tall)) {
            QCPAxis* x = plot_->xAxis;
            QCPAxis* y = plot_->yAxis;
            const double x1 = canH && wide ? x->pixelToCoord(rect.left()) : x->range().lower;
            const double x2 = canH && wide ? x->pixelToCoord(rect.right()) : x->range().upper;
            const double y1 = canV && tall ? y->pixelToCoord(rect.bottom()) : y->range().lower;
            const double y2 = canV && tall ? y->pixelToCoord(rect.top()) : y->range().upper;
            zoomTo(x1, x2, y1, y2);
        } else if (event) {
            clickAt(event->pos());
        }
    });
    connect(plot_->selectionRect(), &QCPSelectionRect::canceled, this, [this](const QRect&, QInputEvent* event) {
        if (event && event->type() == QEvent::MouseButtonRelease)
            clickAt(static_cast<QMouseEvent*>(event)->pos());
    });
    connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
        setFocus(Qt::MouseFocusReason);
        if (event->button() == Qt::LeftButton)
            pressPos_ = event->pos();
    });
    // A plain click (press and release in one place) puts the cursor on the
    // nearest point. The plot cancels its rubber band on such a click
    // without saying where it was, so the click is taken here; the
    // tolerance is the plot's own for telling a click from a drag.
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* event) {
        if (event->button() == Qt::LeftButton && (event->pos() - pressPos_).manhattanLength() <= 3)
            clickAt(event->pos());
    });
    connect(plot_, &QCustomPlot::beforeReplot, this, [this] {
        if (dirty_)
            rebuildData();
        updateTickerWidth();
    });

    setSubsets(1);
    applyProperties();
}

PEGraph::~PEGraph() = default;

// ---- data -------------------------------------------------------------------

void PEGraph::setSubsets(int n)
{
    n = std::max(n, 1);
    while (static_cast<int>(graphs_.size()) < n)
        graphs_.push_back(plot_->addGraph());
    while (static_cast<int>(graphs_.size()) > n) {
        plot_->removeGraph(graphs_.back());
        graphs_.pop_back();
    }
    yData_.resize(static_cast<std::size_t>(n), std::vector<float>(static_cast<std::size_t>(points_), 0.0f));
    subsetColors_.resize(static_cast<std::size_t>(n), QColor(Qt::blue));
    subsetLineTypes_.resize(static_cast<std::size_t>(n), 0);
    dirty_ = true;
}

void PEGraph::setPoints(int n)
{
    n = std::max(n, 0);
    if (n == points_)
        return;
    points_ = n;
    for (auto& series : yData_)
        series.resize(static_cast<std::size_t>(n), static_cast<float>(nullDataValue_));
    labels_.resize(static_cast<std::size_t>(n));
    cursorPoint_ = std::clamp(cursorPoint_, 0, std::max(points_ - 1, 0));
    dirty_ = true;
}

void PEGraph::setYData(int subset, int point, float value)
{
    if (subset < 0 || subset >= subsets() || point < 0 || point >= points_)
        return;
    yData_[static_cast<std::size_t>(subset)][static_cast<std::size_t>(point)] = value;
    dirty_ = true;
}

float PEGraph::yData(int subset, int point) const
{
    if (subset < 0 || subset >= subsets() || point < 0 || point >= points_)
        return static_cast<float>(nullDataValue_);
    return yData_[static_cast<std::size_t>(subset)][static_cast<std::size_t>(point)];
}

void PEGraph::setPointLabels(int point, const QString& label)
{
    if (point < 0 || point >= points_)
        return;
    labels_[static_cast<std::size_t>(point)] = label;
    dirty_ = true;
}

QString PEGraph::pointLabels(int point) const
{
    if (point < 0 || point >= points_)
        return {};
    return labels_[static_cast<std::size_t>(point)];
}

void PEGraph::appendPoint(float value, const QString& label)
{
    if (points_ == 0)
        return;
    for (auto& series : yData_) {
        std::move(series.begin() + 1, series.end(), series.begin());
        series.back() = value;
    }
    std::move(labels_.begin() + 1, labels_.end(), labels_.begin());
    labels_.back() = label;
    dirty_ = true;
}

bool PEGraph::isNull(float v) const
{
    // A value that is no number or infinite (a logger file may hold one)
    // has no place on the axis: it is a gap, like the empty points.
    return !std::isfinite(v) || static_cast<double>(v) == static_cast<double>(static_cast<float>(nullDataValue_));
}

void PEGraph::setSubsetColors(int subset, const QColor& c)
{
    if (subset >= 0 && subset < subsets())
        subsetColors_[static_cast<std::size_t>(subset)] = c;
}

QColor PEGraph::subsetColors(int subset) const
{
    if (subset < 0 || subset >= subsets())
        return {};
    return subsetColors_[static_cast<std::size_t>(subset)];
}

void PEGraph::setSubsetLineTypes(int subset, int lineType)
{
    if (subset >= 0 && subset < subsets())
        subsetLineTypes_[static_cast<std::size_t>(subset)] = lineType;
}

int PEGraph::subsetLineTypes(int subset) const
{
    if (subset < 0 || subset >= subsets())
        return 0;
    return subsetLineTypes_[static_cast<std::size_t>(subset)];
}

// ---- cursor and zoom ----------------------------------------------------------

void PEGraph::setCursorPoint(int point)
{
    cursorPoint_ = std::clamp(point, 0, std::max(points_ - 1, 0));
    placeCursor();
}

void PEGraph::placeCursor()
{
    const bool on = cursorMode_ == gVertLine && points_ > 0;
    cursorLine_->setVisible(on);
    cursorLine_->point1->setCoords(cursorPoint_, 0);
    cursorLine_->point2->setCoords(cursorPoint_, 1);
    cursorTracer_->setGraphKey(cursorPoint_);
    cursorTracer_->setVisible(on && cursorTracer_->graph() && !isNull(yData(0, cursorPoint_)));
}

void PEGraph::moveCursorBy(int delta)
{
    if (cursorMode_ == gNoCursor || points_ == 0)
        return;
    const int p = std::clamp(cursorPoint_ + delta, 0, points_ - 1);
    if (p == cursorPoint_)
        return;
    setCursorPoint(p);
    requestReplot();
    emit OnCursorMoved();
}

void PEGraph::clickAt(const QPoint& pos)
{
    if (!mouseCursorControl_ || cursorMode_ == gNoCursor || points_ == 0)
        return;
    if (!plot_->axisRect()->rect().contains(pos))
        return;
    const long p = std::lround(plot_->xAxis->pixelToCoord(pos.x()));
    moveCursorBy(static_cast<int>(std::clamp<long>(p, 0, points_ - 1)) - cursorPoint_);
}

void PEGraph::zoomTo(double firstPoint, double lastPoint, double yLow, double yHigh)
{
    plot_->xAxis->setRange(std::min(firstPoint, lastPoint), std::max(firstPoint, lastPoint));
    plot_->yAxis->setRange(std::min(yLow, yHigh), std::max(yLow, yHigh));
    zoomed_ = true;
    requestReplot();
    emit OnZoomIn();
}

PEGraph::ZoomWindow PEGraph::zoomWindow() const
{
    ZoomWindow w;
    w.zoomed = zoomed_;
    w.firstPoint = plot_->xAxis->range().lower;
    w.lastPoint = plot_->xAxis->range().upper;
    w.yLow = plot_->yAxis->range().lower;
    w.yHigh = plot_->yAxis->range().upper;
    return w;
}

void PEGraph::restoreZoom(const ZoomWindow& window)
{
    if (!window.zoomed) {
        if (zoomed_) {
            zoomed_ = false;
            applyFullView();
            requestReplot();
        }
        return;
    }
    plot_->xAxis->setRange(window.firstPoint, window.lastPoint);
    plot_->yAxis->setRange(window.yLow, window.yHigh);
    zoomed_ = true;
    requestReplot();
}

void PEGraph::keyPressEvent(QKeyEvent* event)
{
    pressKey(event->key(), event->modifiers());
    // Escape belongs to the window: a dialog holding the chart closes on it.
    if (event->key() == Qt::Key_Escape)
        event->ignore();
    else
        event->accept();
}

void PEGraph::pressKey(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_Left: moveCursorBy(-1); break;
    case Qt::Key_Right: moveCursorBy(1); break;
    case Qt::Key_Home: moveCursorBy(-points_); break;
    case Qt::Key_End: moveCursorBy(points_); break;
    default: break;
    }
    emit OnKeyDown(key, modifiers);
}

// ---- drawing ------------------------------------------------------------------

void PEGraph::applyProperties()
{
    const bool mono = viewingStyle_ == gMonochrome;
    const QColor desk = mono ? QColor(Qt::white) : deskColor_;
    const QColor back = mono ? QColor(Qt::white) : graphBackColor_;
    const QColor fore = mono ? QColor(Qt::black) : graphForeColor_;
    const QColor text = QColor(Qt::black);

    plot_->setBackground(desk);
    plot_->axisRect()->setBackground(back);
    cursorLine_->setPen(QPen(mono ? QColor(Qt::black) : kCursorColor, 2));
    cursorTracer_->setPen(QPen(mono ? QColor(Qt::black) : kCursorColor, 2));

    QString title = mainTitle_;
    if (!subTitle_.isEmpty())
        title += QLatin1Char('\n') + subTitle_;
    title_->setText(title);
    title_->setTextColor(text);

    QPen gridPen(fore, gridStyle_ == gThick ? 2 : 1);
    gridPen.setStyle(gridStyle_ == gDot ? Qt::DotLine : gridStyle_ == gDash ? Qt::DashLine : Qt::SolidLine);
    const bool xGrid = gridLineControl_ == gYPlusXAxis || gridLineControl_ == gXAxis;
    const bool yGrid = gridLineControl_ == gYPlusXAxis || gridLineControl_ == gYAxis;
    for (QCPAxis* a : {plot_->xAxis, plot_->yAxis, plot_->xAxis2, plot_->yAxis2}) {
        a->setBasePen(QPen(fore, 1));
        a->setTickPen(QPen(fore, 1));
        a->setTickLabelColor(text);
        a->setLabelColor(text);
    }
    plot_->xAxis->grid()->setVisible(xGrid);
    plot_->yAxis->grid()->setVisible(yGrid);
    plot_->xAxis->grid()->setPen(gridPen);
    plot_->yAxis->grid()->setPen(gridPen);
    plot_->xAxis->grid()->setZeroLinePen(gridPen);
    plot_->yAxis->grid()->setZeroLinePen(gridPen);

    plot_->xAxis->setLabel(xAxisLabel_);
    plot_->yAxis->setLabel(yAxisLabel_);
    plot_->yAxis->setNumberFormat(QStringLiteral("f"));
    plot_->yAxis->setNumberPrecision(static_cast<int>(dataPrecision_));
    ticker_->setWidestLabel(manualMaxPointLabel_.isEmpty() ? QStringLiteral("00:00:00.000") : manualMaxPointLabel_,
                            plot_->xAxis->tickLabelFont());

    for (std::size_t s = 0; s < graphs_.size(); ++s) {
        const int type = subsetLineTypes_[s];
        QPen pen(mono ? QColor(Qt::black) : subsetColors_[s], 1 + type / 5);
        // Wide lines are solid: dashes cannot be drawn segment by segment.
        pen.setStyle(pen.width() > 1 ? Qt::SolidLine : penStyleFor(type));
        graphs_[s]->setPen(pen);
        graphs_[s]->setLineStyle(plottingMethod_ == gPoint ? QCPGraph::lsNone : QCPGraph::lsLine);
        graphs_[s]->setAdaptiveSampling(true);
    }
    placeCursor();
}

void PEGraph::rebuildData()
{
    for (std::size_t s = 0; s < graphs_.size(); ++s) {
        QVector<QCPGraphData> data(points_);
        const auto& series = yData_[s];
        for (int i = 0; i < points_; ++i) {
            const float v = series[static_cast<std::size_t>(i)];
            data[i].key = i;
            data[i].value = isNull(v) ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(v);
        }
        graphs_[s]->data()->set(data, true);
    }
    // The tracer marks the cursor's point on the first series once it has data.
    if (cursorTracer_->graph() != graphs_.front())
        cursorTracer_->setGraph(graphs_.front());
    placeCursor();
    dirty_ = false;
}

void PEGraph::updateTickerWidth()
{
    // Room on the right for half a label, so that the newest point's label
    // is not clipped and the cursor on it stands clear of the frame.
    const int half = QFontMetrics(plot_->xAxis->tickLabelFont())
                             .horizontalAdvance(manualMaxPointLabel_.isEmpty() ? QStringLiteral("00:00:00.000")
                                                                               : manualMaxPointLabel_)
                         / 2
                     + 4;
    plot_->axisRect()->setMinimumMargins(QMargins(0, 0, half, 0));
    const QMargins m = plot_->axisRect()->margins();
    ticker_->setAxisWidth(std::max(1, plot_->viewport().width() - m.left() - m.right()));

    // Points are marked where they stand far enough apart to be told from one another.
    const QCPRange r = plot_->xAxis->range();
    const double shown = std::max(1.0, std::min<double>(r.size(), points_));
    const double spacing = plot_->axisRect()->width() / shown;
    const double size = markerSize(pointSize_);
    const bool marks = plottingMethod_ != gLine || spacing >= size + 2;
    for (QCPGraph* g : graphs_) {
        g->setScatterStyle(
            marks ? QCPScatterStyle(plottingMethod_ == gLine ? QCPScatterStyle::ssDisc : QCPScatterStyle::ssDisc,
                                    std::min(size, std::max(2.0, spacing - 2)))
                  : QCPScatterStyle(QCPScatterStyle::ssNone));
    }
}

void PEGraph::applyFullView()
{
    // Half a point more on each side than the points need, so the cursor on
    // the first or last point stands clear of the frame.
    plot_->xAxis->setRange(-1.0, std::max(points_, 1));
    double lo = manualMinY_, hi = manualMaxY_;
    if (manualScaleControlY_ != gManualMinAndMax) {
        // Scale to the data that is there.
        bool any = false;
        double dlo = 0, dhi = 0;
        for (const auto& series : yData_)
            for (float v : series) {
                if (isNull(v))
                    continue;
                dlo = any ? std::min(dlo, double(v)) : v;
                dhi = any ? std::max(dhi, double(v)) : v;
                any = true;
            }
        if (manualScaleControlY_ != gManualMin)
            lo = any ? dlo : 0.0;
        if (manualScaleControlY_ != gManualMax)
            hi = any ? dhi : 1.0;
    }
    if (!(hi > lo)) {
        hi = lo + 1.0;
        lo -= 1.0;
    }
    plot_->yAxis->setRange(lo, hi);
}

void PEGraph::requestReplot()
{
    if (isVisible())
        plot_->replot(QCustomPlot::rpQueuedReplot);
}

void PEGraph::replotNow() { plot_->replot(QCustomPlot::rpImmediateRefresh); }

void PEGraph::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

ChartExporter& PEGraph::exporter()
{
    if (!exporter_)
        exporter_ = std::make_unique<ChartExporter>(*this);
    return *exporter_;
}

void PEGraph::setPEactions(Action action)
{
    lastActionError_.clear();
    emit actionStarted(action);
    switch (action) {
    case gReinitAndReset:
        applyProperties();
        dirty_ = true;
        if (!zoomed_)
            applyFullView();
        requestReplot();
        break;
    case gResetImage:
        applyProperties();
        dirty_ = true;
        if (!zoomed_)
            applyFullView();
        replotNow();
        break;
    case gUndoZoom:
        zoomed_ = false;
        applyFullView();
        requestReplot();
        break;
    default:
        // Pictures and printing; an action number without one fails loudly.
        exporter().perform(action, narg1_, narg2_, strarg1_, prompts_, this, &lastActionError_);
        break;
    }
}

void PEGraph::render(QCPPainter* painter, int width, int height)
{
    if (dirty_)
        rebuildData();
    // Labels are spaced for the size drawn, measured inside its margins;
    // afterwards the layout is the widget's again, for the mouse.
    auto layOut = [this](const QRect& viewport) {
        plot_->setViewport(viewport);
        for (int pass = 0; pass < 2; ++pass) {
            for (auto phase :
                 {QCPLayoutElement::upPreparation, QCPLayoutElement::upMargins, QCPLayoutElement::upLayout})
                plot_->plotLayout()->update(phase);
            updateTickerWidth();
        }
    };
    const QRect shown = plot_->viewport();
    const bool sized = width > 0 && height > 0;
    if (sized)
        layOut(QRect(0, 0, width, height));
    else
        updateTickerWidth();
    plot_->toPainter(painter, width, height);
    if (sized)
        layOut(shown);
}

QPixmap PEGraph::toPixmap(int width, int height)
{
    if (dirty_)
        rebuildData();
    updateTickerWidth();
    return plot_->toPixmap(width, height);
}

QStringList PEGraph::visibleXLabels() const
{
    QStringList out;
    for (const QString& s : plot_->xAxis->tickVectorLabels())
        out << s;
    return out;
}

bool PEGraph::printInMonochrome(Action print, Action restore)
{
    setViewingStyle(gMonochrome);
    setPEactions(gResetImage);
    // The black-and-white chart is on screen while the print dialog is open.
    if (print == gPrintDialog)
        QCoreApplication::processEvents();
    setPEactions(print);
    const QString printError = lastActionError_;
    setViewingStyle(gColor);
    if (restore == gReinitAndReset) {
        setPEnarg1(0);
        setPEnarg2(0);
    }
    setPEactions(restore);
    // The redraw succeeds and would clear the print's failure.
    lastActionError_ = printError;
    return printError.isEmpty();
}

} // namespace vt640
