#include "help-browser/ZRHelpBook.h"

#include "help-browser/HelpStrings.h"
#include "help-browser/LocalFiles.h"
#include "help-browser/ZRHelpPageParser.h"
#include "toolkit/StringExtensions.h"
#include "toolkit/ZRLog.h"
#include "window-access/IgnoreList.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringMatcher>
#include <algorithm>
#include <limits>

namespace {

const QString BookFolderName = QStringLiteral("Help");
// The user's copy lies in this folder of the program's data folder, in language folders or not.
const QString UserBookContainer = QStringLiteral("Help");
// The program's own copy, compiled in (resources/CMakeLists.txt).
const QString ResourceRoot = QStringLiteral(":/help");
const QString PageExtension = QStringLiteral("html");
constexpr QChar FoldedWordSeparator = u'\n';

bool isResourcePath(const QString& path) {
    return path.startsWith(u':');
}

QString encoded(const QUrl& url) {
    return url.toString(QUrl::FullyEncoded);
}

QString orderKeyOfUnnumberedPage(const QString& path) {
    return QString::number(std::numeric_limits<qint64>::max()) + u'.' + path;
}

bool precedes(const ZRHelpPageRepresentation& page, const ZRHelpPageRepresentation& other) {
    if (const int order = ZRCompareCaseInsensitiveNumeric(page.index, other.index); order != 0)
        return order < 0;
    return page.path < other.path;
}

} // namespace

ZRHelpBook::Location ZRHelpBook::standardLocation() {
    return {BookFolderName, ZRIgnoreList::folderPath(), ResourceRoot, helpLanguageFolders()};
}

ZRHelpBook::ZRHelpBook(Location location) : m_location(std::move(location)) {}

std::optional<QString> ZRHelpBook::locateFolder() const {
    const Location& at = m_location;
    if (!at.userFolder.isEmpty()) {
        const QString container = QDir(at.userFolder).filePath(UserBookContainer);
        std::optional<QString> found = localizedPathToDirectory(at.folderName, container, at.languageFolders);
        if (const QString plain = QDir(at.userFolder).filePath(at.folderName);
            !found && QFileInfo(plain).isDir())
            found = plain;
        if (found)
            return QFileInfo(*found).canonicalFilePath();
    }
    return localizedPathToDirectory(at.folderName, at.resourceFolder, at.languageFolders);
}

QString ZRHelpBook::folderPath() {
    pageURLsByRelativePath();
    std::lock_guard lock(m_tableMutex);
    return m_folder;
}

QMap<QString, QUrl> ZRHelpBook::pageURLsByRelativePath() {
    std::lock_guard lock(m_tableMutex);
    if (m_tableBuilt)
        return m_table;
    m_tableBuilt = true;
    const std::optional<QString> folder = locateFolder();
    if (!folder)
        return m_table;
    m_folder = *folder;
    m_folderURL = encoded(urlOfLocalPath(m_folder));
    const QString folderPrefix = m_folder + u'/';
    QDirIterator files(m_folder, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        if (file.suffix() != PageExtension)
            continue;
        // A link that leads out of the book does not bring its target in.
        if (!isResourcePath(m_folder) && !file.canonicalFilePath().startsWith(folderPrefix)) {
            ZRLog("help file enumeration error: %@ lies outside the book", file.filePath());
            continue;
        }
        const QUrl url = urlOfLocalPath(file.filePath());
        const QString absolute = encoded(url);
        if (absolute.startsWith(m_folderURL + u'/'))
            m_table.insert(absolute.mid(m_folderURL.size() + 1), url);
    }
    return m_table;
}

ZRHelpBook::Pages ZRHelpBook::pageRepresentations() {
    std::lock_guard lock(m_pagesMutex);
    if (m_pages)
        return m_pages;
    auto pages = std::make_shared<std::vector<ZRHelpPageRepresentation>>();
    const QMap<QString, QUrl> table = pageURLsByRelativePath();
    pages->reserve(table.size());
    for (auto it = table.begin(); it != table.end(); ++it)
        pages->push_back(representation(it.key(), readPage(it.value())));
    std::sort(pages->begin(), pages->end(), precedes);
    m_pages = std::move(pages);
    return m_pages;
}

QString ZRHelpBook::readPage(const QUrl& url) const {
    QFile file(localPathOfURL(url));
    if (file.size() > MaximumPageBytes) {
        ZRLog("help page over 4 MiB left unread: %@", url);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(data);
}

ZRHelpPageRepresentation ZRHelpBook::representation(const QString& relativePath, QStringView html) {
    ZRHelpParsedPage parsed = ZRParseHelpPage(html, relativePath);
    ZRHelpPageRepresentation page;
    page.path = relativePath;
    page.index =
        parsed.index && !parsed.index->isEmpty() ? *parsed.index : orderKeyOfUnnumberedPage(relativePath);
    page.title = parsed.title && !parsed.title->isEmpty() ? *parsed.title : relativePath;
    page.text = std::move(parsed.text);
    page.words = std::move(parsed.words);
    page.anchors = parsed.anchors.value_or(QList<ZRHelpAnchor>());
    page.quickAccess = std::move(parsed.quickAccessCategories);
    page.foldedWords = helpFoldedString(page.words.join(FoldedWordSeparator));
    page.foldedText = helpFoldedString(page.text);
    return page;
}

QStringList ZRHelpBook::wordsFromRelativePath(const QString& relativePath, QString* textBody,
                                              std::optional<QString>* title, std::optional<QString>* index,
                                              std::optional<QStringList>* quickAccessCategories,
                                              std::optional<QList<ZRHelpAnchor>>* anchors) {
    const QUrl url = pageURLsByRelativePath().value(relativePath);
    ZRHelpParsedPage parsed =
        url.isEmpty() ? ZRHelpParsedPage() : ZRParseHelpPage(readPage(url), relativePath);
    if (textBody)
        *textBody = parsed.text;
    if (title)
        *title = parsed.title;
    if (index)
        *index = parsed.index;
    if (quickAccessCategories)
        *quickAccessCategories = parsed.quickAccessCategories;
    if (anchors)
        *anchors = parsed.anchors;
    return parsed.words;
}

std::optional<QString> ZRHelpBook::relativePathForURL(const QUrl& url) {
    const QUrl page = url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
    const QMap<QString, QUrl> table = pageURLsByRelativePath();
    for (auto it = table.begin(); it != table.end(); ++it) {
        if (it.value() == page)
            return it.key();
    }
    return std::nullopt;
}

bool ZRHelpBook::containsFileURL(const QUrl& url) {
    return isURLInsideFolder(url, folderPath());
}

std::vector<ZRHelpSearchItem>
ZRHelpBook::itemsWithSearchString(const QString& query, int limit,
                                  const std::optional<QString>& abortIfFoundForRelativePath) {
    std::vector<ZRHelpSearchItem> items;
    const QStringList words = wordsFromString(query);
    if (words.isEmpty())
        return items;
    // Each folded query word with its search table, made once for all pages.
    std::vector<QStringMatcher> searches;
    searches.reserve(std::size_t(words.size()));
    for (const QString& word : words)
        searches.emplace_back(helpFoldedString(word));
    const QString foldedQuery = helpFoldedString(query);
    const Pages pages = pageRepresentations();
    for (const ZRHelpPageRepresentation& page : *pages) {
        if (!std::all_of(searches.begin(), searches.end(),
                         [&](const QStringMatcher& search) { return search.indexIn(page.foldedWords) >= 0; }))
            continue;
        // The user is on that page already and sees the whole query there.
        if (abortIfFoundForRelativePath == page.path && page.foldedText.contains(foldedQuery))
            return {};
        items.push_back({page.title, page.path, words});
        if (limit > 0 && int(items.size()) >= limit)
            break;
    }
    return items;
}
