#pragma once

#include "help-browser/ZRBrowserWindowController.h"
#include "help-browser/ZRHelpBook.h"
#include "help-browser/ZRHelpContext.h"

#include <QMap>
#include <QPointer>
#include <QVariantList>
#include <memory>
#include <optional>

class QAction;
class ZRHelpAlerts;
class ZRHelpManagerDelegate;
class ZRHelpManagerHeaderView;

// The program's help window: the help book (ZRHelpBook) in a browser window. It opens pages by name,
// path or fragment, suggests pages in its find field, highlights the searched word on the page it opens,
// shows a strip of quick-access menus above pages that ask for one, and follows the book's own links
// (ZRHelpLink), which send a message to the delegate or change a setting once the user agrees.
//
// The settings window's help button calls help(). Main thread, except that the book is indexed on a worker.
class ZRHelpManager : public ZRBrowserWindowController {
    Q_OBJECT
public:
    // The shared instance, made on first use on the context given to makeHelpManagerOnFirstUse, which
    // comes first: it starts indexing the book and opens the page of "ZRHelpManager: Open Relative Path"
    // on the next turn of the run loop.
    static ZRHelpManager& helpManager();
    static void makeHelpManagerOnFirstUse(const ZRHelpContext& context);
    // Whether the help window is on screen (never makes the manager).
    static bool hasVisibleWindow();

    // A manager of its own book (tests; the shared one reads the program's book).
    ZRHelpManager(std::shared_ptr<ZRHelpBook> book, const ZRHelpContext& context, QObject* parent = nullptr);
    ~ZRHelpManager() override;

    // --- Opening pages

    // The Help command: the window to the front when it is shown, else the first page of the book.
    void help(QObject* sender = nullptr);
    // The page's name without ".html" (none: the book's first page) with an optional "#fragment". Without
    // force, a shown help window only comes to the front. Logs and beeps when the page cannot open.
    bool openPage(const std::optional<QString>& pageName, const std::optional<QString>& fragment, bool force);
    // "path/page.html#fragment" or a path alone.
    bool openPageAtRelativePathWithFragment(const QString& relativePathWithFragment);
    // A page of the book, scrolled to the fragment (which begins with "#"), with the words to find once it
    // has loaded. False for a path outside the book or a fragment that does not begin with "#".
    bool openPageAtRelativePath(const QString& relativePath, const std::optional<QString>& fragment,
                                const QStringList& highlightWords);
    // A quick-access menu item, whose data is "path#fragment".
    void openPageFromMenuItem(const QAction* item);

    // --- Search

    // The pages holding every word of the query, in book order (at most resultLimit when above 0): their
    // titles, or with wrap, items {"Title", "Path", "Words"}. Empty when the page at the abort path
    // matches and shows the whole query.
    QVariantList itemsWithSearchString(const QString& query, int resultLimit, bool wrap,
                                       const std::optional<QString>& abortIfFoundForRelativePath);
    // The same search with wrap, for a search handler.
    void searchForItemsWithSearchString(const QString& query, int resultLimit,
                                        const std::function<void(const QVariantList&)>& matchedItemHandler);
    QStringList localizedTitlesForItem(const QVariantMap& item) const;
    // Opens the item's page and finds its first word there.
    void performActionForItem(const QVariantMap& item);

    // --- Quick access

    // Shows the strip with one pull-down per category (none: removes it and gives the height back).
    bool showQuickAccessMenusForCategories(const std::optional<QStringList>& categories);
    void setCurrentPageRepresentation(const ZRHelpPageRepresentation& page,
                                      const ZRHelpPageRepresentation* previous,
                                      const ZRHelpPageRepresentation* next);
    // Category to its anchors of every page, in menu order, each name once.
    const QMap<QString, QList<ZRHelpAnchor>>& anchorsByCategory();
    ZRHelpManagerHeaderView* quickAccessView() const;

    // --- The book

    QMap<QString, QUrl> pageURLsByRelativePath() { return m_book->pageURLsByRelativePath(); }
    ZRHelpBook::Pages pageRepresentations() { return m_book->pageRepresentations(); }
    // The relative path of the page shown; none when no book page is shown.
    std::optional<QString> currentRelativePath() const;
    static QStringList wordsFromString(const QString& string);

    QStringList highlightWords() const { return m_highlightWords; }
    // "Skaf Help".
    QString windowTitle() const;

    ZRHelpManagerDelegate* delegate() const { return m_delegate; }
    // Not owned.
    void setDelegate(ZRHelpManagerDelegate* delegate) { m_delegate = delegate; }
    // Replaces the message boxes (tests); null restores them.
    void setAlerts(std::unique_ptr<ZRHelpAlerts> alerts);

    // --- Template values of the help window

    QSize windowDefaultContentSizeForScreen(const QScreen* screen) const override { return {800, 800}; }
    bool displaysSpinnerWhileLoading() const override { return false; }
    QStringList searchSuggestionsForQuery(const QString& query) override;
    void selectSearchSuggestion(const QString& suggestion) override;
    bool allowsFileURL(const QUrl& url) override;
    QString readableFolder() const override;
    // The window hides and is kept for the next page.
    bool windowShouldClose() override { return true; }

protected:
    void viewDidCommitLoad() override;
    void viewDidFinishLoad() override;
    void decidePolicyForLink(const QUrl& url) override;

private:
    void followHelpLink(const QString& absoluteString);
    void offerToChangeDefault(const QString& key, const QVariant& value);
    QWidget* quickAccessRow(const QStringList& categories, int stripWidth);

    const ZRHelpContext m_context;
    std::shared_ptr<ZRHelpBook> m_book;
    std::optional<QMap<QString, QList<ZRHelpAnchor>>> m_anchorsByCategory;
    QStringList m_highlightWords;
    ZRHelpManagerDelegate* m_delegate = nullptr;
    std::unique_ptr<ZRHelpAlerts> m_alerts;
    QPointer<ZRHelpManagerHeaderView> m_quickAccessView;
};
