#include "log-reader/ILRJSONLogStream.h"
#include "log-reader/ILRLogDateFormatter.h"
#include "log-reader/ILRLogDisplay.h"
#include "platform/foundation/LogTimestamp.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <malloc.h>

// The log window with a long history: 100,000 entries, 30% of them repeats of the entry before.
namespace {

constexpr int EntryCount = 100000;
constexpr int RepeatPercent = 30;
// The pipe hands the reader the tool's answer in pieces of about this size.
constexpr qsizetype PipeChunkBytes = 64 * 1024;

QByteArray toolAnswer() {
    static const QByteArray answer = []() -> QByteArray {
        QByteArray text = "Filtering the log data using \"(eventType == \\\"logEvent\\\")\"\n";
        const qint64 start = LogTimestamp::now() - qint64(EntryCount) * 1000;
        QString message;
        for (int i = 0; i < EntryCount; ++i) {
            if (i % 100 >= RepeatPercent)
                message = QStringLiteral("[Debug] set frame of window %1 to {{%2, 40}, {800, 600}}")
                              .arg(i)
                              .arg(i % 700);
            const qint64 micros = start + qint64(i) * 1000;
            const QJsonObject object{{"timestamp", LogTimestamp::format(micros, 7200)},
                                     {"eventMessage", message},
                                     {"eventType", "logEvent"},
                                     {"messageType", "Default"},
                                     {"processImagePath", "/usr/local/bin/skaf"},
                                     {"senderImagePath", "/usr/local/bin/skaf"},
                                     {"subsystem", "com.tallowin.Skaf"}};
            text += (i == 0 ? "[" : ",") + QJsonDocument(object).toJson(QJsonDocument::Indented).chopped(1);
        }
        return text + "\n]\n";
    }();
    return answer;
}

ILRLogDisplay::Entries parse() {
    ILRLogDisplay::Entries entries;
    ILRJSONLogStream stream([&](std::vector<ILRLogEntry>& batch) {
        std::move(batch.begin(), batch.end(), std::back_inserter(entries));
        return true;
    });
    const QByteArray answer = toolAnswer();
    for (qsizetype at = 0; at < answer.size(); at += PipeChunkBytes)
        stream.readabilityHandler(answer.mid(at, PipeChunkBytes));
    ILRSortLogEntries(entries);
    return entries;
}

const ILRLogDisplay::Entries& parsedEntries() {
    static const ILRLogDisplay::Entries entries = parse();
    return entries;
}

ILRLogDisplay::Options options() {
    ILRLogDisplay::Options options;
    options.todayPrefix = ILRLogDateFormatter::shared().dayPrefix(LogTimestamp::now());
    options.header = ILRLogDisplay::headerText(0, "12:00:00.000");
    return options;
}

// What a worker does with the tool's answer: JSON, dates, and the sort.
void BM_Parse(benchmark::State& state) {
    toolAnswer();
    for (auto _ : state)
        benchmark::DoNotOptimize(parse());
    state.counters["entries"] = EntryCount;
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond)->Iterations(3);

// The bytes an entry takes in memory, the list included.
void BM_MemoryPerEntry(benchmark::State& state) {
    toolAnswer();
    double perEntry = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const auto before = mallinfo2().uordblks;
        {
            const ILRLogDisplay::Entries entries = parse();
            perEntry = double(mallinfo2().uordblks - before) / double(entries.size());
        }
    }
    state.counters["bytes_per_entry"] = perEntry;
}
BENCHMARK(BM_MemoryPerEntry)->Unit(benchmark::kMillisecond)->Iterations(1);

// A whole rebuild of the text, off the main thread.
void BM_FullRebuild(benchmark::State& state) {
    const auto& entries = parsedEntries();
    for (auto _ : state)
        benchmark::DoNotOptimize(ILRLogDisplay(entries, options()).document());
}
BENCHMARK(BM_FullRebuild)->Unit(benchmark::kMillisecond)->Iterations(3);

// Putting a rebuilt text into the window's view, on the main thread, and showing its end.
void BM_ApplyRebuild(benchmark::State& state) {
    QTextEdit view;
    view.resize(640, 420);
    view.show();
    for (auto _ : state) {
        state.PauseTiming();
        auto display = std::make_unique<ILRLogDisplay>(parsedEntries(), options());
        state.ResumeTiming();
        view.setDocument(display->document());
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QApplication::processEvents();
        state.PauseTiming();
        view.setDocument(nullptr);
        display.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ApplyRebuild)->Unit(benchmark::kMillisecond)->Iterations(3);

// One live entry reaching a window that shows 100,000 and follows its end: read from the stream, added to
// the text, scrolled to and drawn.
void BM_LiveEntry(benchmark::State& state) {
    auto entries = parsedEntries();
    ILRLogDisplay display(entries, options());
    QTextEdit view;
    view.setDocument(display.document());
    view.resize(640, 420);
    view.show();
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    ILRJSONLogStream stream([&](std::vector<ILRLogEntry>& batch) {
        std::move(batch.begin(), batch.end(), std::back_inserter(entries));
        return true;
    });
    int i = 0;
    for (auto _ : state) {
        const QJsonObject object{{"timestamp", LogTimestamp::format(LogTimestamp::now(), 7200)},
                                 {"eventMessage", QStringLiteral("live message %1").arg(++i)},
                                 {"processImagePath", "/usr/local/bin/skaf"},
                                 {"senderImagePath", "/usr/local/bin/skaf"}};
        const QByteArray piece =
            ",{" + QJsonDocument(object).toJson(QJsonDocument::Indented).mid(1).chopped(1);
        for (const QByteArray& line : piece.split('\n'))
            stream.readabilityHandler(line + '\n');
        display.append(entries);
        bar->setValue(bar->maximum());
        QApplication::processEvents();
    }
    state.counters["at_end"] = bar->value() == bar->maximum() ? 1 : 0;
}
BENCHMARK(BM_LiveEntry)->Unit(benchmark::kMicrosecond)->Iterations(200);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
