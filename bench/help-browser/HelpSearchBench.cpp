// The help search over a large book: 500 pages of 800 words, one query per iteration. The goal is 5 ms per
// query. "Naive" folds every page's words for every query, as a search without the index's folded words
// would; its ratio to the indexed search is printed as a counter.
//
//     build/bin/skaf_help_bench
#include "help-browser/HelpStrings.h"
#include "help-browser/ZRHelpBook.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

namespace {

constexpr int PageCount = 500;
constexpr int WordsPerPage = 800;
constexpr int VocabularySize = 6000;

// Words of 4 to 11 letters, some with accents, made the same way every run.
QStringList vocabulary() {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> length(4, 11);
    std::uniform_int_distribution<int> letter(0, 25);
    QStringList words;
    for (int i = 0; i < VocabularySize; ++i) {
        QString word;
        for (int n = length(random); n > 0; --n)
            word += QChar(u'a' + letter(random));
        if (i % 17 == 0)
            word[1] = QChar(0xE9);
        words << word;
    }
    return words;
}

// The book, written once into a scratch folder.
struct Book {
    Book() {
        const QStringList words = vocabulary();
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pick(0, VocabularySize - 1);
        const QString folder = directory.filePath(QStringLiteral("resources/en.lproj/Help"));
        QDir().mkpath(folder);
        for (int page = 0; page < PageCount; ++page) {
            QString body;
            for (int word = 0; word < WordsPerPage; ++word)
                body += words[pick(random)] +
                        (word % 12 == 11 ? QStringLiteral(".</p><p>") : QStringLiteral(" "));
            QFile file(QStringLiteral("%1/page%2.html").arg(folder).arg(page));
            file.open(QIODevice::WriteOnly);
            file.write(
                QStringLiteral(
                    "<title>Page %1</title><!--com.tallowin.help.index[%1]--><div id=\"main\"><p>%2</p>")
                    .arg(page)
                    .arg(body)
                    .toUtf8());
        }
        book =
            std::make_unique<ZRHelpBook>(ZRHelpBook::Location{QStringLiteral("Help"),
                                                              QString(),
                                                              directory.filePath(QStringLiteral("resources")),
                                                              {QString("en.lproj")}});
        book->pageRepresentations();
        queries = {words[3].left(5), words[40] + u' ' + words[41].left(3), QStringLiteral("zzzq"),
                   words[17].left(4)};
    }
    QTemporaryDir directory;
    std::unique_ptr<ZRHelpBook> book;
    QStringList queries;
};

Book& book() {
    static Book shared;
    return shared;
}

void BM_HelpSearch(benchmark::State& state) {
    Book& b = book();
    int query = 0;
    for (auto _ : state) {
        auto items = b.book->itemsWithSearchString(b.queries[query++ % b.queries.size()], 0, std::nullopt);
        benchmark::DoNotOptimize(items);
    }
}

// The same matching with the words folded again for every query.
void BM_HelpSearchFoldingEveryQuery(benchmark::State& state) {
    Book& b = book();
    const auto pages = b.book->pageRepresentations();
    int query = 0;
    for (auto _ : state) {
        const QStringList words = wordsFromString(b.queries[query++ % b.queries.size()]);
        int matches = 0;
        for (const auto& page : *pages) {
            const QString folded = helpFoldedString(page.words.join(u'\n'));
            matches += std::all_of(words.begin(), words.end(), [&](const QString& word) {
                return folded.contains(helpFoldedString(word));
            });
        }
        benchmark::DoNotOptimize(matches);
    }
}

BENCHMARK(BM_HelpSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HelpSearchFoldingEveryQuery)->Unit(benchmark::kMillisecond);

} // namespace
