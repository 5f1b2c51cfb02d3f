// One recorder page (200 points with time labels) made into pictures, as
// the recorder's Export writes them: EMF and WMF of 100 x 68.1 mm and a
// 1000 x 681 BMP, each to a file; and 100 pages printed into one PDF.
#include "support/recorder_like_page.h"
#include "viewer/chart_exporter.h"
#include "viewer/pe_graph.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QPrinter>
#include <QTemporaryDir>

using namespace vt640;

namespace {

struct Page {
    QTemporaryDir dir;
    PEGraph graph;
    Page()
    {
        graph.resize(1000, 681);
        test::fillRecorderLikePage(graph);
    }
    void run(PEGraph::Action action, int w, int h, const QString& name)
    {
        graph.setPEnarg1(w);
        graph.setPEnarg2(h);
        graph.setPEstrarg1(dir.filePath(name));
        graph.setPEactions(action);
    }
};

void exportPage(benchmark::State& state, PEGraph::Action action, int w, int h, const char* name)
{
    Page page;
    for (auto _ : state)
        page.run(action, w, h, QString::fromLatin1(name));
    if (!page.graph.lastActionError().isEmpty())
        state.SkipWithError(page.graph.lastActionError().toStdString().c_str());
}

void BM_PageToEmf(benchmark::State& state) { exportPage(state, PEGraph::gMetaToFile, 10000, 6810, "page.emf"); }

void BM_PageToWmf(benchmark::State& state) { exportPage(state, PEGraph::gMetaToFile, 10000, 6810, "page.wmf"); }

void BM_PageToBmp1000x681(benchmark::State& state) { exportPage(state, PEGraph::gBmpToFile, 1000, 681, "page.bmp"); }

// The same pictures made in memory only: the drawing and encoding without
// the write and flush to disk.
void BM_PageEmfBytes(benchmark::State& state)
{
    Page page;
    for (auto _ : state)
        benchmark::DoNotOptimize(page.graph.exporter().picture(ChartExporter::PictureFile::Emf, QSize(10000, 6810)));
}

void BM_PageWmfBytes(benchmark::State& state)
{
    Page page;
    for (auto _ : state)
        benchmark::DoNotOptimize(page.graph.exporter().picture(ChartExporter::PictureFile::Wmf, QSize(10000, 6810)));
}

void BM_PageBmpBytes1000x681(benchmark::State& state)
{
    Page page;
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        page.graph.exporter().bitmap(QSize(1000, 681)).save(&buffer, "BMP");
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_HundredPagesToPdfPrinter(benchmark::State& state)
{
    Page page;
    QPrinter& printer = page.graph.exporter().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(page.dir.filePath(QStringLiteral("pages.pdf")));
    for (auto _ : state) {
        page.graph.exporter().beginPrintJob();
        for (int i = 0; i < 100; ++i) {
            page.graph.setViewingStyle(PEGraph::gMonochrome);
            page.run(PEGraph::gResetImage, 0, 0, {});
            page.run(PEGraph::gPrintGraph, 0, 0, {});
            page.graph.setViewingStyle(PEGraph::gColor);
            page.run(PEGraph::gReinitAndReset, 0, 0, {});
        }
        page.graph.exporter().endPrintJob();
    }
}

} // namespace

BENCHMARK(BM_PageToEmf)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_PageToWmf)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_PageToBmp1000x681)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_PageEmfBytes)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_PageWmfBytes)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_PageBmpBytes1000x681)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_HundredPagesToPdfPrinter)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
