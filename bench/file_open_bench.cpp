// Opening a logger file of a million records in the recorder window, with
// the data list and the progress form: the time from the open dialog's
// answer to the last page drawn (and `cat FILE > /dev/null` on the same
// file for comparison), how soon Abort answers while the file is read, and
// the memory each record takes, data list included.
#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "recorder/graphical_form.h"
#include "recorder/core/record_text.h"
#include "viewer/data_string_grid_form.h"
#include "viewer/msg_form.h"
#include "viewer/pe_graph.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>

using namespace vt640;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRecords = 1'000'000;

// Answers the open dialog with the benchmark's file, noting when; confirms
// a clear and an abort.
class BenchPrompts : public PromptService {
public:
    QString path;
    Clock::time_point answered;

    Button message(QWidget*, const Message& m) override
    {
        return m.buttons.contains(Button::Yes) ? Button::Yes : Button::Ok;
    }
    QString fileName(QWidget*, const FileRequest&, QString*) override
    {
        answered = Clock::now();
        return path;
    }
    QColor color(QWidget*, const QColor&, const QString&) override { return {}; }
    QString text(QWidget*, const QString&, const QString&, const QString&, bool* ok) override
    {
        *ok = false;
        return {};
    }
    bool printDialog(QWidget*, QPrinter&) override { return false; }
    bool printerSetup(QWidget*, QPrinter&) override { return false; }
};

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The recorder as the program shows it: window, data list and progress
// form, with a file of a million records in the page cache.
struct Setup {
    QTemporaryDir dir;
    GlobalState state;
    BenchPrompts prompts;
    MeterReading reading;
    std::unique_ptr<TMsgForm> msg;
    std::unique_ptr<TDataStringGridForm> list;
    std::unique_ptr<TGraphicalForm> form;

    Setup()
    {
        prompts.path = dir.filePath(QStringLiteral("million.640"));
        QFile f(prompts.path);
        f.open(QIODevice::WriteOnly);
        std::vector<TBRecord> chunk(1000);
        for (int i = 0; i < kRecords; i += 1000) {
            for (int k = 0; k < 1000; ++k) {
                TBRecord& r = chunk[static_cast<std::size_t>(k)];
                const std::string v = std::to_string((i + k) % 997) + ".000";
                copyText(r.head.mainText, v);
                copyText(r.head.timeText, " 14:05:09.3  ");
                copyText(r.head.valueText, v);
                copyText(r.head.unitText, "W");
                r.head.functionCode = 0x40001;
                r.head.value = static_cast<float>((i + k) % 997);
                copyText(r.energyText, "00.125");
            }
            f.write(reinterpret_cast<const char*>(chunk.data()), 1000 * 128);
        }
        f.close();
        catFile(); // into the page cache

        state.workingDirectory = dir.path();
        msg = std::make_unique<TMsgForm>(state, prompts);
        list = std::make_unique<TDataStringGridForm>();
        form = std::make_unique<TGraphicalForm>(state, prompts, reading);
        form->setProgressForm(*msg);
        list->setBuffer(form->buffer());
        QObject::connect(&form->session(), &RecorderSession::recordsCleared, list.get(), &TDataStringGridForm::clearList);
        QObject::connect(&form->session(), &RecorderSession::recordsLoaded, list.get(), &TDataStringGridForm::addRows);
        form->resize(1280, 720);
        form->show();
        list->resize(960, 400);
        list->show();
        QCoreApplication::processEvents();
    }

    double catFile() const
    {
        const std::string command = "cat '" + QFile::encodeName(prompts.path).toStdString() + "' > /dev/null";
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0)
            std::abort();
        return seconds(Clock::now() - start);
    }

    // Empties the buffer again (the clear is confirmed).
    void clear()
    {
        form->clearRecords();
        QCoreApplication::processEvents();
        malloc_trim(0);
    }
};

Setup& setup()
{
    static Setup* s = new Setup;
    return *s;
}

// From the dialog's answer to the last page drawn.
void BM_OpenMillionRecords(benchmark::State& state)
{
    Setup& s = setup();
    double catTotal = 0;
    for (auto _ : state) {
        s.clear();
        s.form->openFile();
        QCoreApplication::processEvents(); // the page is drawn
        s.form->graph()->replotNow();
        const double taken = seconds(Clock::now() - s.prompts.answered);
        state.SetIterationTime(taken);
        if (s.form->buffer().size() != kRecords)
            state.SkipWithError("not all records read");
        catTotal += s.catFile();
    }
    state.counters["cat_ms"] = benchmark::Counter(catTotal * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OpenMillionRecords)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// `cat FILE > /dev/null` alone, on the same file.
void BM_CatMillionRecordFile(benchmark::State& state)
{
    Setup& s = setup();
    for (auto _ : state)
        state.SetIterationTime(s.catFile());
}
BENCHMARK(BM_CatMillionRecordFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The user presses Abort while the file is read (and confirms): the time
// from the press to the end of the open, and how long the press waited for
// the reading to let events through.
void BM_AbortLatencyWhileReading(benchmark::State& state)
{
    Setup& s = setup();
    double waitedTotal = 0;
    for (auto _ : state) {
        s.clear();
        Clock::time_point due{};
        Clock::time_point pressed{};
        // The press is due 40 ms after the progress form shows.
        struct Filter : QObject {
            std::function<void()> onShow;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Show && onShow)
                    std::exchange(onShow, nullptr)();
                return false;
            }
        } filter;
        filter.onShow = [&] {
            due = Clock::now() + std::chrono::milliseconds(40);
            QTimer::singleShot(40, Qt::PreciseTimer, s.msg.get(), [&] {
                pressed = Clock::now();
                s.msg->bbtnAbort->click();
            });
        };
        s.msg->installEventFilter(&filter);
        s.form->openFile();
        const auto ended = Clock::now();
        s.msg->removeEventFilter(&filter);
        if (!s.form->buffer().empty() || pressed == Clock::time_point{})
            state.SkipWithError("the open was not aborted");
        state.SetIterationTime(seconds(ended - due));
        waitedTotal += seconds(pressed - due);
    }
    state.counters["press_waited_ms"] = benchmark::Counter(waitedTotal * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_AbortLatencyWhileReading)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Resident memory the open adds, per record, with the data list showing.
void BM_MemoryPerRecordAfterOpen(benchmark::State& state)
{
    Setup& s = setup();
    for (auto _ : state) {
        s.clear();
        const long before = residentBytes();
        s.form->openFile();
        QCoreApplication::processEvents();
        s.list->grid()->viewport()->repaint();
        const long after = residentBytes();
        state.counters["bytes_per_record"] = double(after - before) / kRecords;
    }
}
BENCHMARK(BM_MemoryPerRecordAfterOpen)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
