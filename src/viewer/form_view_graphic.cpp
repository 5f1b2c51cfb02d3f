#include "viewer/form_view_graphic.h"

#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"
#include "meter/annunciators.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/recorder_core.h"
#include "viewer/chart_exporter.h"
#include "viewer/core/print_job_name.h"
#include "viewer/core/record_field_string.h"
#include "viewer/dlg_fit_export_form.h"
#include "viewer/fit_chart.h"
#include "viewer/pe_graph.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace vt640 {
namespace {

using Type = ExportChoices::Type;
using Destination = ExportChoices::Destination;
using Scope = ExportChoices::Scope;

constexpr int kStripHeight = 33;
constexpr int kStatusHeight = 19;
constexpr int kPanelHeight = 25;
const QColor kFuchsia(255, 0, 255);

QLabel* makePanel(QWidget* parent, const char* name, const QColor& fore, int width,
                  Qt::Alignment align = Qt::AlignCenter)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, fore);
    l->setPalette(p);
    l->setAutoFillBackground(true);
    l->setAlignment(align);
    if (width > 0)
        l->setFixedWidth(width);
    l->setFixedHeight(kPanelHeight);
    return l;
}

QLabel* makeCaption(QWidget* parent, const QString& text, const QColor& colour)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    return l;
}

QFrame* makeSeparator(QWidget* parent)
{
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

const RecordBuffer& emptyBuffer()
{
    static const RecordBuffer empty;
    return empty;
}

} // namespace

TFormViewGraphic::TFormViewGraphic(PromptService& prompts, QWidget* parent)
    : QDialog(parent, Qt::Window), prompts_(prompts)
{
    setObjectName(QStringLiteral("FormViewGraphic"));
    setWindowTitle(loadString(Str::CaptionViewer));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("DisplayStrip"));
    strip->setFixedHeight(kStripHeight);
    // The window takes the screen whatever its width: on a screen narrower
    // than the strip, the strip's right end is cut off instead.
    strip->setMinimumWidth(1);
    buildStrip(strip);
    layout->addWidget(strip);

    PEGraphView = new PEGraph(this);
    PEGraphView->setPromptService(&prompts_);
    PEGraphView->setObjectName(QStringLiteral("PEGraphView"));
    layout->addWidget(PEGraphView, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setFixedHeight(kStatusHeight);
    layout->addWidget(StatusBar);

    chart_ = std::make_unique<FitChart>(*PEGraphView);
    chart_->configure(palette().color(QPalette::Button));
    chart_->shrink(emptyBuffer());

    // Moving the cursor shows nothing more here; zooming in offers the undo.
    connect(PEGraphView, &PEGraph::OnZoomIn, this, [this] { sbtnUndoZoom->setEnabled(true); });
}

TFormViewGraphic::~TFormViewGraphic() = default;

void TFormViewGraphic::buildStrip(QWidget* strip)
{
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(3);
    QFont reading(QStringLiteral("Times New Roman"));
    reading.setPixelSize(12);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

    // One set of panels for the maximum, one for the minimum.
    struct Set {
        QLabel*& time;
        QLabel*& data;
        QLabel*& unit;
        QLabel*& func;
        QLabel*& subFunc;
        QLabel*& pf;
    };
    auto addSet = [&](Str caption, const QColor& colour, const Set& s, const char* const names[6]) {
        row->addWidget(makeCaption(strip, loadString(caption), colour));
        s.time = makePanel(strip, names[0], Qt::white, 98);
        row->addWidget(s.time);
        // The reading: value, prefix and unit in one black box.
        auto* box = new QWidget(strip);
        box->setFixedSize(100, kPanelHeight);
        QPalette p = box->palette();
        p.setColor(QPalette::Window, Qt::black);
        box->setPalette(p);
        box->setAutoFillBackground(true);
        auto* inBox = new QHBoxLayout(box);
        inBox->setContentsMargins(0, 0, 0, 0);
        inBox->setSpacing(0);
        s.data = makePanel(box, names[1], colour, 0, right);
        s.data->setCursor(Qt::PointingHandCursor);
        s.data->installEventFilter(this);
        s.unit = makePanel(box, names[2], colour, 16);
        s.func = makePanel(box, names[3], colour, 27);
        for (QLabel* l : {s.data, s.unit, s.func}) {
            l->setFont(reading);
            inBox->addWidget(l, l == s.data ? 1 : 0);
        }
        row->addWidget(box);
        s.subFunc = new QLabel(loadString(Str::SubFunctionLabel), strip);
        s.subFunc->setObjectName(QLatin1String(names[4]));
        s.subFunc->setAlignment(right);
        s.subFunc->setMinimumWidth(24);
        row->addWidget(s.subFunc);
        s.pf = makePanel(strip, names[5], Qt::white, 65, right);
        row->addWidget(s.pf);
        row->addWidget(makeSeparator(strip));
    };
    static const char* const maxNames[6] = {"MaxTimePanel", "MaxDataPanel",    "MaxUnitPanel",
                                            "MaxFuncPanel", "LabelMaxSubFunc", "MaxPFPanel"};
    static const char* const minNames[6] = {"MinTimePanel", "MinDataPanel",    "MinUnitPanel",
                                            "MinFuncPanel", "LabelMinSubFunc", "MinPFPanel"};
    addSet(Str::MaxLabel, Qt::red,
           {MaxTimePanel, MaxDataPanel, MaxUnitPanel, MaxFuncPanel, LabelMaxSubFunc, MaxPFPanel}, maxNames);
    addSet(Str::MinLabel, kFuchsia,
           {MinTimePanel, MinDataPanel, MinUnitPanel, MinFuncPanel, LabelMinSubFunc, MinPFPanel}, minNames);

    QStyle* st = style();
    auto button = [&](QToolButton*& b, QStyle::StandardPixmap icon, Str hint, const char* name) {
        b = new QToolButton(strip);
        b->setObjectName(QLatin1String(name));
        b->setIcon(st->standardIcon(icon));
        b->setToolTip(loadString(hint));
        b->setAutoRaise(true);
        b->setFixedSize(26, 25);
        row->addWidget(b);
    };
    button(sbtnExport, QStyle::SP_ArrowUp, Str::HintExport, "sbtnExport");
    button(sbtnPrint, QStyle::SP_FileIcon, Str::HintPrintPage, "sbtnPrint");
    button(sbtnUndoZoom, QStyle::SP_ArrowBack, Str::HintUndoZoom, "sbtnUndoZoom");
    sbtnUndoZoom->setEnabled(false);
    bbtnClose = new QPushButton(st->standardIcon(QStyle::SP_DialogCloseButton), loadString(Str::ButtonClose), strip);
    bbtnClose->setObjectName(QStringLiteral("bbtnClose"));
    bbtnClose->setAutoDefault(false);
    bbtnClose->setFixedHeight(kPanelHeight);
    row->addWidget(bbtnClose);
    row->addStretch(1);

    connect(sbtnExport, &QToolButton::clicked, this, &TFormViewGraphic::exportChart);
    connect(sbtnPrint, &QToolButton::clicked, this, &TFormViewGraphic::printChart);
    connect(sbtnUndoZoom, &QToolButton::clicked, this, &TFormViewGraphic::undoZoom);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::accept);
}

// ---- opening and closing ------------------------------------------------------

void TFormViewGraphic::showModal() { exec(); }

void TFormViewGraphic::setVisible(bool visible)
{
    const bool opening = visible && !isVisible();
    const bool closing = !visible && isVisible();
    if (opening)
        openView();
    QDialog::setVisible(visible);
    if (closing)
        closeView();
}

void TFormViewGraphic::openView()
{
    // The hourglass until the chart is loaded.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;

    // As much of the screen as windows may take, with the title bar (and its
    // close button) in sight: maximised, not full screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState((windowState() & ~(Qt::WindowFullScreen | Qt::WindowMinimized)) | Qt::WindowMaximized);
    PEGraphView->setFocus();

    const RecordBuffer& buffer = recorder_ ? recorder_->buffer() : emptyBuffer();
    if (recorder_)
        chart_->load(buffer, recorder_->maxIndex(), recorder_->minIndex(), recorder_->upperY(), recorder_->lowerY());
    else
        chart_->load(buffer, 0, 0, FitChart::kShrunkUpper, FitChart::kShrunkLower);
    sbtnUndoZoom->setEnabled(false);
    fillStrip();
}

void TFormViewGraphic::closeView() { chart_->shrink(recorder_ ? recorder_->buffer() : emptyBuffer()); }

void TFormViewGraphic::fillStrip()
{
    const RecordBuffer& buffer = recorder_ ? recorder_->buffer() : emptyBuffer();
    auto fill = [&buffer](int index, QLabel* time, QLabel* data, QLabel* unit, QLabel* func, QLabel* pf,
                          QLabel* subFunc) {
        if (index < 0 || index >= buffer.size()) {
            for (QLabel* l : {time, data, unit, func, pf})
                l->clear();
            time->setToolTip({});
            return;
        }
        const TBRecord& r = buffer[index];
        time->setText(fieldString(r.head.timeText));
        time->setToolTip(QString::fromStdString(recordDateTimeTip(r)));
        data->setText(fieldString(r.head.valueText));
        unit->setText(fieldString(r.head.prefixText));
        // Resistance reads as the omega sign, as everywhere a unit shows; any
        // other unit is the record's own bytes.
        const std::string stored(fieldText(r.head.unitText));
        const std::string shown = displayUnitText(r.head.functionCode, stored);
        func->setText(shown == stored ? fieldString(r.head.unitText) : QString::fromStdString(shown));
        pf->setText(fieldString(r.sub.subText));
        subFunc->setText(fieldString(r.sub.subFunction));
    };
    const int maxIndex = recorder_ ? recorder_->maxIndex() : -1;
    const int minIndex = recorder_ ? recorder_->minIndex() : -1;
    fill(maxIndex, MaxTimePanel, MaxDataPanel, MaxUnitPanel, MaxFuncPanel, MaxPFPanel, LabelMaxSubFunc);
    fill(minIndex, MinTimePanel, MinDataPanel, MinUnitPanel, MinFuncPanel, MinPFPanel, LabelMinSubFunc);
}

// ---- the strip's commands -------------------------------------------------------

bool TFormViewGraphic::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == MaxDataPanel || watched == MinDataPanel) && event->type() == QEvent::MouseButtonRelease) {
        auto* e = static_cast<QMouseEvent*>(event);
        auto* panel = static_cast<QWidget*>(watched);
        if (e->button() == Qt::LeftButton && panel->rect().contains(e->position().toPoint())) {
            if (watched == MaxDataPanel)
                cursorToMaximum();
            else
                cursorToMinimum();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormViewGraphic::cursorToMaximum()
{
    PEGraphView->setCursorPoint(chart_->reduction().maxPosition());
    PEGraphView->replotNow();
}

void TFormViewGraphic::cursorToMinimum()
{
    PEGraphView->setCursorPoint(chart_->reduction().minPosition());
    PEGraphView->replotNow();
}

void TFormViewGraphic::undoZoom()
{
    PEGraphView->setPEactions(PEGraph::gUndoZoom);
    sbtnUndoZoom->setEnabled(false);
}

void TFormViewGraphic::nameThePrintJob()
{
    const QString file = recorder_ ? QFile::decodeName(QByteArray::fromStdString(recorder_->fileName())) : QString();
    PEGraphView->exporter().setDocumentName(printJobName(PEGraphView->mainTitle(), file));
}

void TFormViewGraphic::printChart()
{
    // At the chart's own size, whatever an earlier export left in the arguments.
    PEGraphView->setPEnarg1(0);
    PEGraphView->setPEnarg2(0);
    nameThePrintJob();
    PEGraphView->printInMonochrome(PEGraph::gPrintDialog, PEGraph::gResetImage);
}

void TFormViewGraphic::exportChart()
{
    if (!exportDialog_)
        return;
    ExportChoices& c = exportDialog_->choices();
    // The viewer exports pictures only.
    c.setTextAvailable(false);
    c.selectType(Type::MetaFile);
    c.selectScope(Scope::ThisPage);
    c.setPageTexts(QStringLiteral("1"), QStringLiteral("1"));
    c.setFileName(QString());
    if (exportDialog_->exec() != QDialog::Accepted)
        return;
    if (c.type() != Type::MetaFile && c.type() != Type::BitMap)
        return;

    if (c.destination() == Destination::File && c.fileName().isEmpty()) {
        showUserMessage(prompts_, this, Str::ErrorCaption, Str::ErrNoFileName);
        return;
    }

    PEGraph& g = *PEGraphView;
    g.setPEnarg1(ExportChoices::chartArgument(c.storedWidth()));
    g.setPEnarg2(ExportChoices::chartArgument(c.storedHeight()));
    g.setPEstrarg1(c.fileName());
    const bool bitmap = c.type() == Type::BitMap;
    switch (c.destination()) {
    case Destination::ClipBoard: g.setPEactions(bitmap ? PEGraph::gBmpToClip : PEGraph::gMetaToClip); break;
    case Destination::File: g.setPEactions(bitmap ? PEGraph::gBmpToFile : PEGraph::gMetaToFile); break;
    case Destination::Printer:
        nameThePrintJob();
        if (bitmap)
            g.printInMonochrome(PEGraph::gPrintDialog, PEGraph::gResetImage);
        else if (g.exporter().choosePrintFile(prompts_, this))
            g.printInMonochrome(PEGraph::gPrintGraph, PEGraph::gReinitAndReset);
        break;
    case Destination::None: break;
    }
}

} // namespace vt640
