#include "viewer/chart_exporter.h"

#include "app/core/prompt_service.h"
#include "app/core/user_messages.h"
#include "viewer/core/export_choices.h"
#include "viewer/core/metafile_device.h"
#include "viewer/core/metafile_format.h"
#include "viewer/core/safe_file_writer.h"
#include "viewer/core/vector_page_size.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace vt640 {
namespace {

constexpr int kLayoutDpi = MetafileDevice::kDpi;
// The export dialog's bitmap size, for a chart that has no size of its own yet.
constexpr QSize kFallbackSize(static_cast<int>(ExportChoices::kBitmapWidth),
                              static_cast<int>(ExportChoices::kBitmapHeight));

bool fail(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
    return false;
}

QString badSize(QSize size, const char* unit)
{
    return loadFormatted(Str::ReasonBadPictureSize,
                         {QString::number(size.width()), QString::number(size.height()), QString::fromLatin1(unit)});
}

} // namespace

ChartExporter::ChartExporter(PEGraph& graph) : graph_(graph) {}

ChartExporter::~ChartExporter()
{
    if (printPainter_ && printPainter_->isActive())
        printPainter_->end();
}

ChartExporter::PictureFile ChartExporter::pictureFileFor(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix.compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0)
        return PictureFile::Svg;
    if (suffix.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        return PictureFile::Pdf;
    return metafileFormatForFileName(fileName) == MetafileFormat::Wmf ? PictureFile::Wmf : PictureFile::Emf;
}

QSize ChartExporter::naturalSize() const
{
    const QSize s = graph_.size();
    return s.width() > 0 && s.height() > 0 ? s : kFallbackSize;
}

QSize ChartExporter::metafileSizeFor(QSize hundredthsOfMm) const
{
    if (hundredthsOfMm.width() == 0 && hundredthsOfMm.height() == 0) {
        const QSize px = naturalSize();
        return QSize(static_cast<int>(std::lround(px.width() * 2540.0 / kLayoutDpi)),
                     static_cast<int>(std::lround(px.height() * 2540.0 / kLayoutDpi)));
    }
    return hundredthsOfMm;
}

void ChartExporter::draw(QCPPainter& painter, QSize pixels)
{
    graph_.render(&painter, pixels.width(), pixels.height());
}

// ---- bitmaps --------------------------------------------------------------------

QImage ChartExporter::bitmap(QSize pixels, QString* reason)
{
    if (pixels.width() == 0 && pixels.height() == 0)
        pixels = naturalSize();
    if (pixels.width() < 1 || pixels.height() < 1 || pixels.width() > kMaxBitmapSide
        || pixels.height() > kMaxBitmapSide) {
        fail(reason, badSize(pixels, "pixels"));
        return {};
    }
    return rendered(pixels, pixels, reason);
}

QImage ChartExporter::rendered(QSize pixels, QSize layout, QString* reason)
{
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull()) {
        fail(reason, loadString(Str::ReasonDrawingFailed));
        return {};
    }
    image.fill(Qt::white);
    QCPPainter painter(&image);
    if (pixels != layout)
        painter.scale(static_cast<double>(pixels.width()) / layout.width(),
                      static_cast<double>(pixels.height()) / layout.height());
    draw(painter, layout);
    painter.end();
    return image;
}

bool ChartExporter::bitmapToFile(const QString& path, QSize pixels, QString* reason)
{
    const QImage image = bitmap(pixels, reason);
    if (image.isNull())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP"))
        return fail(reason, loadString(Str::ReasonDrawingFailed));
    return SafeFileWriter::write(path, bytes, reason);
}

bool ChartExporter::bitmapToClipboard(QSize pixels, QString* reason)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return fail(reason, loadString(Str::ReasonNoClipboard));
    const QImage image = bitmap(pixels, reason);
    if (image.isNull())
        return false;
    clipboard->setImage(image);
    return true;
}

// ---- vector pictures --------------------------------------------------------------

QByteArray ChartExporter::picture(PictureFile kind, QSize hundredthsOfMm, QString* reason)
{
    const QSize size = metafileSizeFor(hundredthsOfMm);
    if (!MetafileDevice::sizeAllowed(size)) {
        fail(reason, MetafileDevice::badSizeReason(size));
        return {};
    }
    const QSize pixels = MetafileDevice::pixelsFor(size);
    QByteArray bytes;
    switch (kind) {
    case PictureFile::Emf:
    case PictureFile::Wmf: {
        MetafileDevice device(kind == PictureFile::Wmf ? MetafileFormat::Wmf : MetafileFormat::Emf, size);
        QCPPainter painter;
        if (!painter.begin(&device)) {
            fail(reason, loadString(Str::ReasonDrawingFailed));
            return {};
        }
        painter.setMode(QCPPainter::pmVectorized);
        draw(painter, device.pixelSize());
        painter.end();
        return device.finish(reason);
    }
    case PictureFile::Svg: {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setResolution(kLayoutDpi);
        svg.setSize(pixels);
        svg.setViewBox(QRect(QPoint(0, 0), pixels));
        svg.setTitle(graph_.mainTitle());
        QCPPainter painter;
        if (!painter.begin(&svg)) {
            fail(reason, loadString(Str::ReasonDrawingFailed));
            return {};
        }
        painter.setMode(QCPPainter::pmVectorized);
        draw(painter, pixels);
        painter.end();
        buffer.close();
        bytes = svgWithExactSize(bytes, size);
        break;
    }
    case PictureFile::Pdf: {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(kLayoutDpi);
        pdf.setPageSize(QPageSize(QSizeF(size.width() / 100.0, size.height() / 100.0), QPageSize::Millimeter, QString(),
                                  QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(graph_.mainTitle());
        QCPPainter painter;
        if (!painter.begin(&pdf)) {
            fail(reason, loadString(Str::ReasonDrawingFailed));
            return {};
        }
        painter.setMode(QCPPainter::pmVectorized);
        // Qt's page is whole points, drawn from its top edge down; the
        // picture is the layout stretched to the size asked for, as in a
        // metafile, its top at that size's height, and the page box is made
        // that size afterwards.
        const double exactHeight = size.height() / 2540.0 * kLayoutDpi;
        const double pageHeight = pdf.pageLayout().fullRectPoints().height() / 72.0 * kLayoutDpi;
        painter.translate(0.0, pageHeight - exactHeight);
        painter.scale(size.width() / 2540.0 * kLayoutDpi / pixels.width(), exactHeight / pixels.height());
        draw(painter, pixels);
        painter.end();
        buffer.close();
        bytes = pdfWithExactPageSize(bytes, size);
        break;
    }
    }
    if (bytes.isEmpty())
        fail(reason, loadString(Str::ReasonDrawingFailed));
    return bytes;
}

bool ChartExporter::pictureToFile(const QString& path, QSize hundredthsOfMm, QString* reason)
{
    const QByteArray bytes = picture(pictureFileFor(path), hundredthsOfMm, reason);
    if (bytes.isEmpty())
        return false;
    return SafeFileWriter::write(path, bytes, reason);
}

bool ChartExporter::pictureToClipboard(QSize hundredthsOfMm, QString* reason)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return fail(reason, loadString(Str::ReasonNoClipboard));
    const QSize size = metafileSizeFor(hundredthsOfMm);
    const QByteArray emf = picture(PictureFile::Emf, size, reason);
    if (emf.isEmpty())
        return false;
    const QByteArray svg = picture(PictureFile::Svg, size, reason);
    // The PNG preview is the same layout; a bitmap may not be as large as a
    // metafile, so a very large picture gets a preview shrunk to the bitmap
    // limit, its aspect kept.
    const QSize layout = MetafileDevice::pixelsFor(size);
    QSize previewSize = layout;
    if (previewSize.width() > kMaxBitmapSide || previewSize.height() > kMaxBitmapSide)
        previewSize = previewSize.scaled(kMaxBitmapSide, kMaxBitmapSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QImage image = rendered(previewSize, layout, reason);
    if (svg.isEmpty() || image.isNull())
        return false;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/x-emf"), emf);
    mime->setData(QStringLiteral("image/svg+xml"), svg);
    mime->setData(QStringLiteral("image/png"), png);
    mime->setImageData(image);
    clipboard->setMimeData(mime);
    return true;
}

// ---- printing --------------------------------------------------------------------

std::unique_ptr<QPrinter> ChartExporter::makePrinter()
{
    return std::make_unique<QPrinter>(QPrinter::ScreenResolution);
}

QPrinter& ChartExporter::printer()
{
    if (sharedPrinter_)
        return *sharedPrinter_;
    if (!printer_)
        printer_ = makePrinter();
    return *printer_;
}

QString ChartExporter::documentName() const { return documentName_.isEmpty() ? graph_.mainTitle() : documentName_; }

bool ChartExporter::choosePrintFile(PromptService& prompts, QWidget* owner)
{
    QPrinter& p = printer();
    if (p.outputFormat() != QPrinter::PdfFormat || p.outputFileName().isEmpty())
        return true;
    const QFileInfo current(p.outputFileName());
    PromptService::FileRequest request;
    request.caption = loadString(Str::PrintFileCaption);
    request.kind = PromptService::FileKind::Pictures;
    request.directory = current.absolutePath();
    request.fileName = current.fileName();
    request.filters = {loadString(Str::PrintFileFilter)};
    request.defaultSuffix = QStringLiteral("pdf");
    request.save = true;
    const QString chosen = prompts.fileName(owner, request);
    if (chosen.isEmpty())
        return false;
    p.setOutputFileName(chosen);
    return true;
}

bool ChartExporter::startPrinter(QString* reason)
{
    QPrinter& p = printer();
    // Without a printer Qt falls back to a PDF file with no name: that is
    // "no printer", and asking the system any further could only wait.
    if (p.outputFormat() == QPrinter::NativeFormat) {
        if (p.printerName().isEmpty())
            return fail(reason, loadString(Str::ReasonNoPrinter));
        if (!QPrinterInfo::availablePrinterNames().contains(p.printerName()))
            return fail(reason, loadFormatted(Str::ReasonPrinterUnavailable, {p.printerName()}));
    } else if (p.outputFileName().isEmpty()) {
        return fail(reason, loadString(Str::ReasonNoPrinter));
    }
    p.setDocName(documentName());
    printPainter_ = std::make_unique<QCPPainter>();
    if (!printPainter_->begin(&p)) {
        printPainter_.reset();
        const QString name = p.outputFormat() == QPrinter::NativeFormat ? p.printerName() : p.outputFileName();
        return fail(reason, loadFormatted(Str::ReasonPrinterFailed, {name}));
    }
    printPainter_->setMode(QCPPainter::pmVectorized);
    pagesPrinted_ = 0;
    return true;
}

bool ChartExporter::print(QString* reason)
{
    if (!printPainter_ && !startPrinter(reason)) {
        jobOpen_ = false;
        return false;
    }
    QPrinter& p = printer();
    if (pagesPrinted_ > 0 && !p.newPage()) {
        fail(reason, loadFormatted(Str::ReasonPrinterFailed, {p.printerName()}));
        endPrintJob();
        return false;
    }
    // The chart as laid out on screen, scaled to fit the printable area and
    // centred across it.
    const QSize layout = naturalSize();
    const double scale =
        std::min(static_cast<double>(p.width()) / layout.width(), static_cast<double>(p.height()) / layout.height());
    QCPPainter& painter = *printPainter_;
    painter.save();
    painter.translate((p.width() - layout.width() * scale) / 2.0, 0.0);
    painter.scale(scale, scale);
    draw(painter, layout);
    painter.restore();
    ++pagesPrinted_;
    if (!jobOpen_)
        return endPrintJob(reason);
    return true;
}

bool ChartExporter::printWithDialog(PromptService& prompts, QWidget* owner, bool* cancelled, QString* reason)
{
    if (cancelled)
        *cancelled = false;
    if (!prompts.printDialog(owner, printer())) {
        if (cancelled)
            *cancelled = true;
        return true;
    }
    return print(reason);
}

void ChartExporter::beginPrintJob() { jobOpen_ = true; }

bool ChartExporter::endPrintJob(QString* reason)
{
    jobOpen_ = false;
    if (!printPainter_)
        return true;
    const bool ok = printPainter_->end();
    printPainter_.reset();
    pagesPrinted_ = 0;
    if (!ok)
        return fail(reason, loadFormatted(Str::ReasonPrinterFailed, {printer().printerName()}));
    return true;
}

// ---- the chart's actions ----------------------------------------------------------

bool ChartExporter::perform(PEGraph::Action action, int narg1, int narg2, const QString& strarg1,
                            PromptService* prompts, QWidget* owner, QString* error)
{
    const QSize size(narg1, narg2);
    QString reason;
    Str message = Str::ErrChartAction;
    QStringList fields;
    bool ok = false;
    switch (action) {
    case PEGraph::gBmpToFile:
        ok = bitmapToFile(strarg1, size, &reason);
        message = Str::ErrPictureSave;
        fields << strarg1;
        break;
    case PEGraph::gMetaToFile:
        ok = pictureToFile(strarg1, size, &reason);
        message = Str::ErrPictureSave;
        fields << strarg1;
        break;
    case PEGraph::gBmpToClip:
        ok = bitmapToClipboard(size, &reason);
        message = Str::ErrClipboard;
        break;
    case PEGraph::gMetaToClip:
        ok = pictureToClipboard(size, &reason);
        message = Str::ErrClipboard;
        break;
    case PEGraph::gPrintGraph:
        ok = print(&reason);
        message = Str::ErrPrint;
        break;
    case PEGraph::gPrintDialog:
        message = Str::ErrPrint;
        if (!prompts)
            reason = loadString(Str::ReasonNoPromptService);
        else
            ok = printWithDialog(*prompts, owner, nullptr, &reason);
        break;
    default:
        // Every action the callers use is built; a number without one is a
        // programming error, never a quiet no-op.
        Q_ASSERT_X(false, "ChartExporter::perform", "action not built");
        reason = loadFormatted(Str::ReasonActionNotBuilt, {QString::number(static_cast<int>(action))});
        break;
    }
    if (ok)
        return true;
    fields << reason;
    const QString text = loadFormatted(message, fields);
    if (error)
        *error = text;
    if (prompts) {
        PromptService::Message box;
        box.caption = errorCaption(message);
        box.text = text;
        box.icon = PromptService::Icon::Stop;
        prompts->message(owner, box);
    }
    return false;
}

} // namespace vt640
