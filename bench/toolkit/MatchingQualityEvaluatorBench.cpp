#include "toolkit/MatchingQualityEvaluator.h"

#include <QStringList>
#include <benchmark/benchmark.h>

// Type-select rates every title of the keyboard menu on each key press; 1,000 titles is a large store.
namespace {

constexpr int TitleCount = 1000;

QStringList candidateTitles() {
    static const QStringList verbs = {"Move",   "Resize", "Center",  "Grow",
                                      "Shrink", "Snap",   "Restore", "Zoom"};
    static const QStringList places = {"Left Half",         "Right Half",   "Top Third",
                                       "Bottom Two Thirds", "Next Display", "Upper Left Corner",
                                       "Full Screen",       "Middle Column"};
    QStringList titles;
    for (int i = 0; i < TitleCount; ++i) {
        titles += QStringLiteral("%1 to %2 (%3)")
                      .arg(verbs[i % verbs.size()], places[(i / verbs.size()) % places.size()])
                      .arg(i);
    }
    return titles;
}

void rateTitles(benchmark::State& state, const QString& query, bool fuzzy) {
    const QStringList titles = candidateTitles();
    const auto evaluator = newMatchingQualityEvaluatorAllowingFuzzyMatching(query, fuzzy);
    std::vector<ZRMatchedRange> ranges;
    for (auto _ : state) {
        std::size_t matches = 0;
        for (const QString& title : titles) {
            ranges.clear();
            matches += (*evaluator)(title, ranges) != ZRNotFound;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * TitleCount);
}

void BM_LiteralQuery(benchmark::State& state) {
    rateTitles(state, QStringLiteral("half"), false);
}
void BM_FuzzyQueryThatMatchesOften(benchmark::State& state) {
    rateTitles(state, QStringLiteral("mlh"), true);
}
void BM_FuzzyQueryThatRarelyMatches(benchmark::State& state) {
    rateTitles(state, QStringLiteral("zqx"), true);
}
void BM_AcronymQuery(benchmark::State& state) {
    rateTitles(state, QStringLiteral("RTH"), true);
}

} // namespace

BENCHMARK(BM_LiteralQuery);
BENCHMARK(BM_FuzzyQueryThatMatchesOften);
BENCHMARK(BM_FuzzyQueryThatRarelyMatches);
BENCHMARK(BM_AcronymQuery);
