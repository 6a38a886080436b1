#include "bench/RatioReporter.h"
#include "platform/foundation/PropertyList.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <QDateTime>
#include <QTemporaryDir>

namespace {

// Shaped like the stored action records: a dictionary per action with a frame, a hot key, a
// title in any script and a few flags, under one key of the settings.
QVariant actionStore(int count) {
    QVariantList actions;
    actions.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QVariantMap hotKey{{QStringLiteral("Key Code"), qint64(i % 128)},
                                 {QStringLiteral("Modifier Flags"), qint64(0x180000)}};
        const QVariantMap frame{{QStringLiteral("X"), 0.25 * (i % 4)},
                                {QStringLiteral("Y"), 0.0},
                                {QStringLiteral("Width"), 0.5},
                                {QStringLiteral("Height"), 1.0}};
        actions.append(QVariantMap{
            {QStringLiteral("Action"), qint64(19)},
            {QStringLiteral("Identifier"), QStringLiteral("A1B2C3D4-%1").arg(i, 8, 10, QLatin1Char('0'))},
            {QStringLiteral("Title"), QStringLiteral("Links ½ – Fenster %1 ✓").arg(i)},
            {QStringLiteral("Hot Key"), hotKey},
            {QStringLiteral("Relative Frame"), frame},
            {QStringLiteral("Raise Window"), i % 2 == 0},
            {QStringLiteral("Created"), QDateTime(QDate(2024, 1, 1), QTime(12, 0), Qt::UTC).addSecs(i)},
            {QStringLiteral("Children"), QVariantList()},
        });
    }
    return QVariantMap{{QStringLiteral("Custom Controls (4001)"), actions}};
}

void writeXml(benchmark::State& state) {
    const QVariant value = actionStore(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray data = PropertyList::toData(value);
        bytes = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void readXml(benchmark::State& state) {
    const QByteArray data = PropertyList::toData(actionStore(int(state.range(0))));
    for (auto _ : state) {
        auto result = PropertyList::fromData(data);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

// The same bytes through libplist's XML reader, for scale (it builds its own tree, not Qt values).
void readXmlWithLibplist(benchmark::State& state) {
    const QByteArray data = PropertyList::toData(actionStore(int(state.range(0))));
    for (auto _ : state) {
        plist_t root = nullptr;
        plist_from_memory(data.constData(), uint32_t(data.size()), &root);
        benchmark::DoNotOptimize(root);
        plist_free(root);
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

// Writing through a temporary file with two fsyncs: what one settings save costs.
void writeFileAtomically(benchmark::State& state) {
    const QVariant value = actionStore(int(state.range(0)));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Settings.plist"));
    for (auto _ : state) {
        if (!PropertyList::writeFile(path, value))
            state.SkipWithError("write failed");
    }
}

BENCHMARK(writeXml)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(readXml)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(readXmlWithLibplist)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(writeFileAtomically)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("readXml/1000", "readXmlWithLibplist/1000", "at most 1.0x");
    benchmark::Shutdown();
    return 0;
}
