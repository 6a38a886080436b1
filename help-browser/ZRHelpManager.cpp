#include "help-browser/ZRHelpManager.h"

#include "help-browser/BrowserView.h"
#include "help-browser/HelpStrings.h"
#include "help-browser/ZRBrowserWindow.h"
#include "help-browser/ZRHelpAlerts.h"
#include "help-browser/ZRHelpLink.h"
#include "help-browser/ZRHelpManagerDefaults.h"
#include "help-browser/ZRHelpManagerDelegate.h"
#include "help-browser/ZRHelpManagerHeaderView.h"
#include "help-browser/ZRHelpPageParser.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRFindBar.h"
#include "toolkit/ZRLog.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString ProgramName = QStringLiteral("Skaf");
const QString WindowTitleFormat = QStringLiteral("%1 Help");
const QString PageExtension = QStringLiteral(".html");
constexpr QChar FragmentMark = u'#';
const QString TitleKey = QStringLiteral("Title");
const QString PathKey = QStringLiteral("Path");
const QString WordsKey = QStringLiteral("Words");
const QString QuickAccessTitle = QStringLiteral("Quick Access");
const QString NothingChangedMessage = QStringLiteral("That didn't do anything");
const QString NothingChangedFormat = QStringLiteral("%1 was already set to %2.");
const QString ConfirmMessage = QStringLiteral("Change a Setting?");
const QString ConfirmFormat = QStringLiteral("%1 is set to %2. Set it to %3?");
const QString ChangeButton = QStringLiteral("Change");
const QString CancelButton = QStringLiteral("Cancel");
const QString OKButton = QStringLiteral("OK");
const QString UpdatedMessage = QStringLiteral("Setting changed");
// The strip's controls: the label's and the first control's left edge, plain or centred, and the gap
// after each control.
constexpr int QuickAccessLeft = 15;
constexpr int CenteredQuickAccessLeft = 5;
constexpr int QuickAccessGap = 5;
constexpr int QuickAccessRowHeight = ZRHelpManagerHeaderView::Height - 1;

ZRHelpManager*& sharedInstance() {
    static ZRHelpManager* manager = nullptr;
    return manager;
}

std::optional<ZRHelpContext>& sharedContext() {
    static std::optional<ZRHelpContext> context;
    return context;
}

QString quoted(const QString& key) {
    return u'"' + key + u'"';
}

} // namespace

void ZRHelpManager::makeHelpManagerOnFirstUse(const ZRHelpContext& context) {
    sharedContext().emplace(context);
}

ZRHelpManager& ZRHelpManager::helpManager() {
    ZRHelpManager*& manager = sharedInstance();
    if (manager)
        return *manager;
    // The program's main says how to make it before anything asks for help.
    Q_ASSERT(sharedContext());
    const ZRHelpContext& context = *sharedContext();
    manager = new ZRHelpManager(std::make_shared<ZRHelpBook>(), context);
    const QString path =
        context.defaults.stringForKey(QStringView(ZRHelpManagerDefaults::OpenRelativePath).toString());
    if (!path.isEmpty())
        context.mainRunLoop.performOnMainThread(
            [path] { helpManager().openPageAtRelativePathWithFragment(path); });
    return *manager;
}

bool ZRHelpManager::hasVisibleWindow() {
    const ZRHelpManager* manager = sharedInstance();
    return manager && manager->window() && manager->window()->isVisible();
}

ZRHelpManager::ZRHelpManager(std::shared_ptr<ZRHelpBook> book, const ZRHelpContext& context, QObject* parent)
    : ZRBrowserWindowController(context.defaults, context.findPasteboard, parent), m_context(context),
      m_book(std::move(book)), m_alerts(ZRHelpAlerts::standardAlerts()) {
    // Reading every page takes a while: a worker does it now, before the first search needs it.
    m_context.workers.async([book = m_book] { book->pageRepresentations(); });
}

ZRHelpManager::~ZRHelpManager() {
    if (sharedInstance() == this)
        sharedInstance() = nullptr;
}

void ZRHelpManager::setAlerts(std::unique_ptr<ZRHelpAlerts> alerts) {
    m_alerts = alerts ? std::move(alerts) : ZRHelpAlerts::standardAlerts();
}

QString ZRHelpManager::windowTitle() const {
    return WindowTitleFormat.arg(ProgramName);
}

QStringList ZRHelpManager::wordsFromString(const QString& string) {
    return ::wordsFromString(string);
}

// --- Opening pages

void ZRHelpManager::help(QObject*) {
    openPage(std::nullopt, std::nullopt, false);
}

bool ZRHelpManager::openPage(const std::optional<QString>& pageName, const std::optional<QString>& fragment,
                             bool force) {
    if (!force && window() && window()->isVisible()) {
        window()->raise();
        window()->activateWindow();
        return true;
    }
    QString path;
    if (pageName) {
        path = *pageName + PageExtension;
    } else if (const ZRHelpBook::Pages pages = pageRepresentations(); !pages->empty()) {
        path = pages->front().path;
    }
    if (!openPageAtRelativePath(path, fragment, {})) {
        ZRLog("cannot open help page: %@", pageName.value_or(path));
        beep();
        return false;
    }
    return true;
}

bool ZRHelpManager::openPageAtRelativePathWithFragment(const QString& relativePathWithFragment) {
    if (relativePathWithFragment.isEmpty())
        return false;
    const qsizetype mark = relativePathWithFragment.lastIndexOf(FragmentMark);
    if (mark < 0)
        return openPageAtRelativePath(relativePathWithFragment, std::nullopt, {});
    return openPageAtRelativePath(relativePathWithFragment.left(mark), relativePathWithFragment.mid(mark),
                                  {});
}

bool ZRHelpManager::openPageAtRelativePath(const QString& relativePath,
                                           const std::optional<QString>& fragment,
                                           const QStringList& highlightWords) {
    m_highlightWords = highlightWords;
    const QUrl page = pageURLsByRelativePath().value(relativePath);
    if (relativePath.isEmpty() || page.isEmpty())
        return false;
    QUrl url = page;
    if (fragment && fragment->size() >= 2) {
        // Resolved against the page, anything but a fragment could lead to another file.
        if (!fragment->startsWith(FragmentMark))
            return false;
        url = page.resolved(QUrl(*fragment));
    }
    return showHTMLContent(std::nullopt, url, windowTitle());
}

void ZRHelpManager::openPageFromMenuItem(const QAction* item) {
    if (item)
        openPageAtRelativePathWithFragment(item->data().toString());
}

// --- Search

QVariantList ZRHelpManager::itemsWithSearchString(const QString& query, int resultLimit, bool wrap,
                                                  const std::optional<QString>& abortIfFoundForRelativePath) {
    QVariantList result;
    for (const ZRHelpSearchItem& item :
         m_book->itemsWithSearchString(query, resultLimit, abortIfFoundForRelativePath)) {
        if (wrap)
            result.append(QVariantMap{{TitleKey, item.title}, {PathKey, item.path}, {WordsKey, item.words}});
        else
            result.append(item.title);
    }
    return result;
}

void ZRHelpManager::searchForItemsWithSearchString(
    const QString& query, int resultLimit,
    const std::function<void(const QVariantList&)>& matchedItemHandler) {
    matchedItemHandler(itemsWithSearchString(query, resultLimit, true, std::nullopt));
}

QStringList ZRHelpManager::localizedTitlesForItem(const QVariantMap& item) const {
    return {item.value(TitleKey).toString()};
}

void ZRHelpManager::performActionForItem(const QVariantMap& item) {
    openPageAtRelativePath(item.value(PathKey).toString(), std::nullopt, item.value(WordsKey).toStringList());
}

QStringList ZRHelpManager::searchSuggestionsForQuery(const QString& query) {
    QStringList titles;
    for (const QVariant& title : itemsWithSearchString(query, 0, false, currentRelativePath()))
        titles.append(title.toString());
    return titles;
}

void ZRHelpManager::selectSearchSuggestion(const QString& suggestion) {
    const QString query = searchContainer() ? searchContainer()->searchField()->text() : QString();
    for (const QVariant& item : itemsWithSearchString(query, 0, true, std::nullopt)) {
        if (item.toMap().value(TitleKey).toString() == suggestion) {
            performActionForItem(item.toMap());
            return;
        }
    }
}

// --- The book in the window

std::optional<QString> ZRHelpManager::currentRelativePath() const {
    if (!webView() || webView()->url().isEmpty())
        return std::nullopt;
    return m_book->relativePathForURL(webView()->url());
}

bool ZRHelpManager::allowsFileURL(const QUrl& url) {
    return m_book->containsFileURL(url) && m_book->relativePathForURL(url).has_value();
}

QString ZRHelpManager::readableFolder() const {
    return m_book->folderPath();
}

void ZRHelpManager::viewDidCommitLoad() {
    ZRBrowserWindowController::viewDidCommitLoad();
    const std::optional<QString> path = currentRelativePath();
    if (!path) {
        showQuickAccessMenusForCategories(std::nullopt);
        return;
    }
    // The records may still be read by the worker: look the page up there, and drop the answer when
    // another page has come meanwhile.
    QPointer<ZRHelpManager> self(this);
    m_context.workers.async([mainRunLoop = &m_context.mainRunLoop, self, book = m_book, path = *path] {
        const ZRHelpBook::Pages pages = book->pageRepresentations();
        const auto found =
            std::find_if(pages->begin(), pages->end(),
                         [&](const ZRHelpPageRepresentation& page) { return page.path == path; });
        if (found == pages->end())
            return;
        const std::size_t position = std::size_t(found - pages->begin());
        mainRunLoop->performOnMainThread([self, pages, position, path] {
            if (!self || self->currentRelativePath() != path)
                return;
            const auto& list = *pages;
            self->setCurrentPageRepresentation(list[position], position > 0 ? &list[position - 1] : nullptr,
                                               position + 1 < list.size() ? &list[position + 1] : nullptr);
        });
    });
}

void ZRHelpManager::viewDidFinishLoad() {
    ZRBrowserWindowController::viewDidFinishLoad();
    if (m_highlightWords.isEmpty() || !webView())
        return;
    webView()->find(m_highlightWords.first(), false);
    m_highlightWords.clear();
}

void ZRHelpManager::setCurrentPageRepresentation(const ZRHelpPageRepresentation& page,
                                                 const ZRHelpPageRepresentation*,
                                                 const ZRHelpPageRepresentation*) {
    showQuickAccessMenusForCategories(page.quickAccess);
}

// --- Quick access

ZRHelpManagerHeaderView* ZRHelpManager::quickAccessView() const {
    return m_quickAccessView;
}

const QMap<QString, QList<ZRHelpAnchor>>& ZRHelpManager::anchorsByCategory() {
    if (m_anchorsByCategory)
        return *m_anchorsByCategory;
    QMap<QString, QList<ZRHelpAnchor>> anchors;
    for (const ZRHelpPageRepresentation& page : *pageRepresentations()) {
        for (const ZRHelpAnchor& anchor : page.anchors) {
            if (anchor.category)
                anchors[*anchor.category].append(anchor);
        }
    }
    for (QList<ZRHelpAnchor>& list : anchors) {
        std::stable_sort(list.begin(), list.end(), [](const ZRHelpAnchor& a, const ZRHelpAnchor& b) {
            return ZRHelpAnchorCompare(a, b) < 0;
        });
        list.erase(std::unique(list.begin(), list.end(),
                               [](const ZRHelpAnchor& a, const ZRHelpAnchor& b) { return a.name == b.name; }),
                   list.end());
    }
    m_anchorsByCategory = std::move(anchors);
    return *m_anchorsByCategory;
}

bool ZRHelpManager::showQuickAccessMenusForCategories(const std::optional<QStringList>& categories) {
    if (!webView())
        return false;
    if (!categories) {
        delete m_quickAccessView;
        return true;
    }
    if (m_quickAccessView) {
        qDeleteAll(m_quickAccessView->findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    } else {
        QWidget* content = webView()->widget()->parentWidget();
        m_quickAccessView = ZRHelpManagerHeaderView::headerViewWithFrame(
            QRect(0, 0, content->width(), ZRHelpManagerHeaderView::Height), false);
        contentLayout()->insertWidget(0, m_quickAccessView);
    }
    QWidget* row = quickAccessRow(*categories, m_quickAccessView->width());
    row->setParent(m_quickAccessView);
    row->show();
    return true;
}

QWidget* ZRHelpManager::quickAccessRow(const QStringList& categories, int stripWidth) {
    const bool centered =
        m_context.defaults.boolForKey(QStringView(ZRHelpManagerDefaults::CenterQuickAccess).toString());
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("Quick Access Row"));
    int x = centered ? CenteredQuickAccessLeft : QuickAccessLeft;
    auto place = [&](QWidget* control) {
        control->adjustSize();
        control->move(x, std::max(0, (QuickAccessRowHeight - control->height()) / 2));
        x += control->width() + QuickAccessGap;
    };
    auto* label = new QLabel(QuickAccessTitle, row);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    label->setFont(small);
    label->setForegroundRole(QPalette::PlaceholderText);
    place(label);
    for (const QString& category : categories) {
        auto* button = new QToolButton(row);
        button->setText(ZRHelpAnchorDisplayName(category));
        button->setPopupMode(QToolButton::InstantPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        auto* menu = new QMenu(category, button);
        for (const ZRHelpAnchor& anchor : anchorsByCategory().value(category)) {
            QAction* item = menu->addAction(anchor.name);
            item->setData(QString(anchor.path + FragmentMark + anchor.fragment));
            connect(item, &QAction::triggered, this, [this, item] { openPageFromMenuItem(item); });
        }
        button->setMenu(menu);
        place(button);
    }
    row->resize(std::max(x, stripWidth), QuickAccessRowHeight);
    if (centered)
        row->move(std::max(0, (stripWidth - x) / 2), 0);
    return row;
}

// --- Help links

void ZRHelpManager::decidePolicyForLink(const QUrl& url) {
    if (url.scheme().compare(QStringView(ZRHelpLink::Scheme), Qt::CaseInsensitive) != 0) {
        ZRBrowserWindowController::decidePolicyForLink(url);
        return;
    }
    // Only the book's own pages speak for the program.
    if (!currentRelativePath()) {
        ZRLog("help link ignored outside the help book: %@", url);
        return;
    }
    followHelpLink(url.toString(QUrl::FullyEncoded));
}

void ZRHelpManager::followHelpLink(const QString& absoluteString) {
    QString reason;
    const std::optional<ZRHelpLink> link = ZRHelpLink::parse(absoluteString, &reason);
    if (!link) {
        ZRLog("help link refused (%@): %@", reason, absoluteString);
        return;
    }
    if (link->kind == ZRHelpLink::Kind::Message) {
        if (m_delegate)
            m_delegate->helpManagerDidReceiveMessage(*this, link->message);
        return;
    }
    offerToChangeDefault(link->key, link->value);
}

void ZRHelpManager::offerToChangeDefault(const QString& key, const QVariant& value) {
    UserDefaults& defaults = m_context.defaults;
    const QVariant current = defaults.object(key);
    if (window()) {
        window()->raise();
        window()->activateWindow();
    }
    const QString newText = helpManagerDescriptionOrValue(value);
    if ((!current.isValid() && !value.isValid()) ||
        (current.isValid() && value.isValid() && current == value)) {
        m_alerts->runModal(window(), NothingChangedMessage, NothingChangedFormat.arg(quoted(key), newText),
                           {OKButton});
        return;
    }
    const QString question = ConfirmFormat.arg(quoted(key), helpManagerDescriptionOrValue(current), newText);
    if (m_alerts->runModal(window(), ConfirmMessage, question, {ChangeButton, CancelButton}) != 0)
        return;
    if (value.isValid())
        defaults.setObject(value, key);
    else
        defaults.removeObject(key);
    if (m_delegate) {
        if (const std::optional<QString> text = m_delegate->helpManagerDidSetOrRemoveUserDefault(*this, key))
            m_alerts->runModal(window(), UpdatedMessage, *text, {OKButton});
    }
}
