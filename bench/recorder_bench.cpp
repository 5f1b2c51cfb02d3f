// The recorder's costs: logging one record without drawing, a million
// records in the buffer and the data list, and one page redraw of the chart.
#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "recorder/graphical_form.h"
#include "recorder/core/recorder_core.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/pe_graph.h"
#include "viewer/core/record_table_model.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <QToolButton>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

using namespace vt640;

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "recorder_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *a;
}

class SilentPrompts : public PromptService {
public:
    Button message(QWidget*, const Message& m) override
    {
        return m.defaultButton == Button::None ? m.buttons.value(0, Button::Ok) : m.defaultButton;
    }
    QString fileName(QWidget*, const FileRequest&, QString*) override { return {}; }
    QColor color(QWidget*, const QColor&, const QString&) override { return {}; }
    QString text(QWidget*, const QString&, const QString&, const QString& initial, bool* ok) override
    {
        if (ok)
            *ok = false;
        return initial;
    }
    bool printDialog(QWidget*, QPrinter&) override { return false; }
    bool printerSetup(QWidget*, QPrinter&) override { return false; }
};

MeterReading powerReading(int i)
{
    MeterReading r;
    char main[16];
    std::snprintf(main, sizeof main, "%.3f", 1.0 + (i % 997) * 0.001);
    r.mainText = std::string(main);
    r.exponentText = std::string("3");
    r.functionCode = r.rawCode = code::ActivePower1;
    r.valueText = std::string(main);
    r.prefixText = std::string("k");
    r.unitText = std::string("W");
    r.subText = std::string("0.98");
    r.subFunction = std::string("PF");
    r.status = 0x03;
    return r;
}

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// The log-one-record path of the recorder's bookkeeping, with the system
// clock: value, time stamp, energy, Y range, buffer, max/min, pages.
void BM_LogOneRecordCore(benchmark::State& state)
{
    auto core = std::make_unique<RecorderCore>();
    const MeterReading readings[4] = {powerReading(1), powerReading(2), powerReading(3), powerReading(4)};
    int i = 0;
    for (auto _ : state) {
        if (core->recordCount() >= 4'000'000) {
            state.PauseTiming();
            core->clearBuffer();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(core->logOneRecord(readings[i++ & 3]));
    }
}
BENCHMARK(BM_LogOneRecordCore);

// The same through the recorder window while it is hidden (logging goes on,
// nothing is drawn): panels, chart data, status bar, commands and the data
// list's new row.
void BM_LogOneRecordWindowHidden(benchmark::State& state)
{
    app();
    GlobalState global;
    QTemporaryDir dir;
    global.workingDirectory = dir.path();
    global.readingAvailable = true;
    SilentPrompts prompts;
    MeterReading reading = powerReading(0);
    TGraphicalForm form(global, prompts, reading);
    TDataStringGridForm list;
    list.setBuffer(form.buffer());
    QObject::connect(&form.session(), &RecorderSession::recordAppended, &list, &TDataStringGridForm::addRow);
    form.sbtnRecordStart->click(); // with its temporary file
    int i = 0;
    for (auto _ : state) {
        reading = powerReading(i++);
        form.meterReadingArrived();
    }
    form.sbtnRecordStop->click();
    state.counters["records"] = form.buffer().size();
}
BENCHMARK(BM_LogOneRecordWindowHidden)->Iterations(200000);

// A million records appended to the buffer and the data list model, then the
// list scrolled across all of them a screenful (30 rows x 13 columns) at a
// time; memory per record from the resident set size.
void BM_MillionRecordsAndDataListScroll(benchmark::State& state)
{
    app();
    constexpr int kRecords = 1'000'000;
    for (auto _ : state) {
        malloc_trim(0);
        const long before = residentBytes();
        auto core = std::make_unique<RecorderCore>();
        auto model = std::make_unique<RecordTableModel>();
        model->setBuffer(&core->buffer());
        const MeterReading r = powerReading(5);
        for (int i = 0; i < kRecords; ++i) {
            core->logOneRecord(r);
            model->addRow();
        }
        const long after = residentBytes();
        qsizetype chars = 0;
        for (int top = 0; top < model->rowCount(); top += 30)
            for (int row = top; row < top + 30 && row < model->rowCount(); ++row)
                for (int c = 0; c < 13; ++c)
                    chars += model->index(row, c).data().toString().size();
        benchmark::DoNotOptimize(chars);
        state.counters["bytes_per_record"] = double(after - before) / kRecords;
        state.counters["buffer_capacity_bytes_per_record"] =
            double(core->buffer().capacity() * sizeof(TBRecord)) / kRecords;
    }
}
BENCHMARK(BM_MillionRecordsAndDataListScroll)->Iterations(1)->Unit(benchmark::kMillisecond);

// The data list's scroll alone across a million records in a real view.
void BM_DataListViewScrollMillion(benchmark::State& state)
{
    app();
    auto core = std::make_unique<RecorderCore>();
    TDataStringGridForm list;
    list.setBuffer(core->buffer());
    const MeterReading r = powerReading(5);
    for (int i = 0; i < 1'000'000; ++i) {
        core->logOneRecord(r);
        list.model()->addRow();
    }
    list.resize(960, 760);
    list.show();
    QCoreApplication::processEvents();
    int row = 0;
    for (auto _ : state) {
        row = (row + 997 * 31) % 1'000'000;
        list.grid()->scrollTo(list.model()->index(row, 0), QAbstractItemView::PositionAtTop);
        list.grid()->viewport()->repaint();
    }
}
BENCHMARK(BM_DataListViewScrollMillion)->Unit(benchmark::kMicrosecond);

// One page of the recorder drawn: the page's 200 points set from the buffer
// and the chart rendered at once.
void BM_PageRedraw(benchmark::State& state)
{
    app();
    GlobalState global;
    global.readingAvailable = true;
    SilentPrompts prompts;
    MeterReading reading = powerReading(0);
    TGraphicalForm form(global, prompts, reading);
    form.resize(1280, 720);
    form.show();
    for (int i = 0; i < 1000; ++i) {
        reading = powerReading(i);
        form.manualLogging();
    }
    QCoreApplication::processEvents();
    bool up = true;
    for (auto _ : state) {
        if (up)
            form.pageUp();
        else
            form.pageDown();
        up = !up;
        form.graph()->replotNow();
    }
}
BENCHMARK(BM_PageRedraw)->Unit(benchmark::kMicrosecond);

} // namespace
