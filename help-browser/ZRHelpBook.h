#pragma once

#include "help-browser/ZRHelpPageRepresentation.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// One result of a search of the book.
struct ZRHelpSearchItem {
    QString title;
    QString path;
    QStringList words; // the query's words, to find on the page once it is open
};

// The help book: a folder of HTML pages, its table of pages by relative path and the records of its pages
// in book order. The user's own copy of the book overrides the one compiled into the program. Both tables
// are built on first use, by whichever thread asks first, and kept; safe from any thread.
class ZRHelpBook {
public:
    using Pages = std::shared_ptr<const std::vector<ZRHelpPageRepresentation>>;

    // Pages larger than this are left unread (and logged).
    static constexpr qint64 MaximumPageBytes = 4LL * 1024 * 1024;

    struct Location {
        QString folderName;          // the book's folder in a language folder
        QString userFolder;          // the user's data folder of the program, which may hold a copy
        QString resourceFolder;      // where the program's own copy lies, in language folders
        QStringList languageFolders; // HelpStrings.h
    };
    // The program's book: "Help" under the user's data folder, else the one compiled in.
    static Location standardLocation();

    explicit ZRHelpBook(Location location = standardLocation());

    // The book's folder, symbolic links resolved; empty when there is no book.
    QString folderPath();
    // Relative path (percent-encoded, as in a URL) to the page's URL, for every page of the book.
    QMap<QString, QUrl> pageURLsByRelativePath();
    // The pages in book order: by order key, digit runs compared as numbers, ties by relative path.
    Pages pageRepresentations();

    // The relative path of a page's URL (its fragment ignored); none for a URL that is no page of the book.
    std::optional<QString> relativePathForURL(const QUrl& url);
    // Whether the URL names a file inside the book's folder, ".." and symbolic links resolved.
    bool containsFileURL(const QUrl& url);

    // The pages that hold every word of the query inside one of their words (case, accents and width
    // ignored), in book order, at most limit of them when limit is above 0. Empty when the query has no
    // words, and when the page at abortPath matches and its text holds the whole query.
    std::vector<ZRHelpSearchItem>
    itemsWithSearchString(const QString& query, int limit,
                          const std::optional<QString>& abortIfFoundForRelativePath);

    // The words of one page, reading its text, title, order key, categories and anchors into the out
    // values that are given; an empty or unreadable page has no words, and the out values are then none.
    QStringList wordsFromRelativePath(const QString& relativePath, QString* textBody,
                                      std::optional<QString>* title, std::optional<QString>* index,
                                      std::optional<QStringList>* quickAccessCategories,
                                      std::optional<QList<ZRHelpAnchor>>* anchors);

    // A page record from its relative path and HTML; the folded forms for the search are made too.
    static ZRHelpPageRepresentation representation(const QString& relativePath, QStringView html);

private:
    std::optional<QString> locateFolder() const;
    QString readPage(const QUrl& url) const;

    const Location m_location;
    std::mutex m_tableMutex;
    bool m_tableBuilt = false;
    QString m_folder;
    QString m_folderURL;
    QMap<QString, QUrl> m_table;
    std::mutex m_pagesMutex;
    Pages m_pages;
};
