#include "help-browser/ZRBrowserWindowController.h"

#include "help-browser/BrowserView.h"
#include "help-browser/LocalFiles.h"
#include "help-browser/ZRBrowserWindow.h"
#include "help-browser/ZRBrowserWindowSearchFieldEditor.h"
#include "shell/ZRApplicationMode.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowFrameAutosave.h"
#include "toolkit/ZRFindBar.h"
#include "toolkit/ZRFindPasteboard.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString BackForwardLabel = QStringLiteral("Back/Forward");
const QString FindLabel = QStringLiteral("Find...");
const QString PrintTitle = QStringLiteral("Print...");
const QString UntitledTitle = QStringLiteral("Untitled");
const QString AboutBlank = QStringLiteral("about:blank");
// The one standard context menu entry a page keeps (Qt names it so).
const QString CopyLinkActionName = QStringLiteral("link-copy");
const QString URLOpenerProgram = QStringLiteral("xdg-open");
const QString SearchIconName = QStringLiteral("edit-find");
constexpr int ToolbarIconSize = 16;
constexpr int TitleIconSize = 16;
constexpr int TitleIconOffset = 4;
constexpr double TitleTextIndent = 1.1;
constexpr int SpinnerWidth = 80;

// A magnifying glass in the text colour, for desktops whose icon theme has none.
QIcon magnifyingGlassIcon(const QPalette& palette) {
    constexpr int Size = 32;
    constexpr double Lens = 18;
    constexpr double Stroke = 3.5;
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette.color(QPalette::ButtonText), Stroke, Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(QRectF(Stroke, Stroke, Lens, Lens));
    const double handleStart = Stroke + Lens * 0.85;
    painter.drawLine(QPointF(handleStart, handleStart), QPointF(Size - Stroke, Size - Stroke));
    return QIcon(pixmap);
}

QWidget* flexibleSpace() {
    auto* space = new QWidget;
    space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return space;
}

} // namespace

ZRBrowserWindowController::ZRBrowserWindowController(UserDefaults& defaults, ZRFindPasteboard& findPasteboard,
                                                     QObject* parent)
    : QObject(parent), m_frameDefaults(defaults), m_findPasteboard(findPasteboard) {}

ZRBrowserWindowController::~ZRBrowserWindowController() {
    delete m_window;
}

Qt::WindowFlags ZRBrowserWindowController::windowStyleMask() const {
    return Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint;
}

QRect ZRBrowserWindowController::webViewFrameInContentView(const QWidget* contentView) const {
    return contentView->rect();
}

QSet<QString> ZRBrowserWindowController::acceptableFileURLExtensions() const {
    return {QStringLiteral("htm"), QStringLiteral("html")};
}

QSet<QString> ZRBrowserWindowController::acceptableExternalURLSchemes() const {
    return {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto")};
}

QString ZRBrowserWindowController::readableFolder() const {
    return m_firstFolder;
}

bool ZRBrowserWindowController::allowsFileURL(const QUrl& url) {
    return isURLInsideFolder(url, readableFolder());
}

// --- Showing content

bool ZRBrowserWindowController::populateWithHTMLContent(const std::optional<QString>& html, const QUrl& url,
                                                        const QString& windowTitle) {
    if (!html && url.isEmpty())
        return false;
    if (m_firstFolder.isEmpty() && !localPathOfURL(url).isEmpty())
        m_firstFolder = QFileInfo(localPathOfURL(url)).absolutePath();
    if (!m_window)
        buildWindow(windowTitle);
    else
        m_view->stopLoading();
    m_view->setReadableFolder(readableFolder());
    enableSpinner(true);
    if (html)
        m_view->loadHTML(*html, url);
    else
        m_view->loadURL(requestWithURL(url));
    return true;
}

bool ZRBrowserWindowController::showHTMLContent(const std::optional<QString>& html, const QUrl& url,
                                                const QString& windowTitle) {
    if (!populateWithHTMLContent(html, url, windowTitle) || !m_window)
        return false;
    ZRApplyApplicationModeToWindow(m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return true;
}

QRect ZRBrowserWindowController::usableArea() const {
    const QScreen* screen = preferredScreen();
    const std::vector<QtScreenFrames> screens = currentScreenFrames();
    for (const QtScreenFrames& frames : screens) {
        if (!screen || frames.frame.toRect() == screen->geometry())
            return frames.usable.toRect();
    }
    return screens.empty() ? QRect() : screens.front().usable.toRect();
}

void ZRBrowserWindowController::buildWindow(const QString& title) {
    const QRect usable = usableArea();
    QSize size = windowDefaultContentSizeForScreen(preferredScreen());
    QSize minimum = windowMinimumContentSize();
    if (!usable.isEmpty()) {
        size = size.boundedTo(usable.size());
        minimum = minimum.boundedTo(usable.size());
    }
    m_window = new ZRBrowserWindow;
    m_window->setWindowFlags(windowStyleMask());
    m_window->setWindowTitle(title);
    m_window->setMinimumSize(minimum);
    m_window->resize(size);
    m_window->shouldClose = [this] { return windowShouldClose(); };

    auto* content = new QWidget(m_window);
    m_contentLayout = new QVBoxLayout(content);
    m_contentLayout->setSpacing(0);
    content->resize(size);
    const QRect frame = webViewFrameInContentView(content);
    m_contentLayout->setContentsMargins(frame.left(), frame.top(), content->width() - frame.right() - 1,
                                        content->height() - frame.bottom() - 1);
    m_view = BrowserView::make(content);
    m_contentLayout->addWidget(m_view->widget());
    m_window->setCentralWidget(content);
    m_view->linkActivated = [this](const QUrl& url) { decidePolicyForLink(url); };
    m_view->loadStarted = [this] { viewDidStartLoad(); };
    m_view->loadCommitted = [this] { viewDidCommitLoad(); };
    m_view->loadFinished = [this] { viewDidFinishLoad(); };
    m_view->historyDidChange = [this] { viewHistoryDidChange(); };
    m_view->contextMenuAboutToShow = [this](QMenu* menu) { contextMenuAboutToShow(menu); };

    if (allowsToolbarNavigation())
        buildToolbar(title);
    makeActions();
    m_window->setUsableArea(usable);
    restoreOrCenterFrame(QStringLiteral("%1: %2").arg(QString::fromUtf8(metaObject()->className()), title));
}

void ZRBrowserWindowController::restoreOrCenterFrame(const QString& autosaveName) {
    if (windowSavesFrame())
        restoreFrameAndAutosave(m_window, autosaveName, m_frameDefaults);
    else
        centerWindow(m_window);
}

void ZRBrowserWindowController::buildToolbar(const QString& title) {
    m_toolbar = new QToolBar(m_window);
    QString identifier =
        QStringLiteral("%1: %2 Toolbar").arg(QString::fromUtf8(metaObject()->className()), title);
    if (!hidesTitle())
        identifier += QStringLiteral(" (Separate Title)");
    if (allowsSearch())
        identifier += QStringLiteral(" (Search)");
    m_toolbar->setObjectName(identifier);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_toolbar->toggleViewAction()->setVisible(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setIconSize(QSize(ToolbarIconSize, ToolbarIconSize));
    m_toolbar->addWidget(toolbarItem(QStringView(NavigateItemIdentifier).toString(), title));
    m_toolbar->addWidget(flexibleSpace());
    if (hidesTitle()) {
        m_toolbar->addWidget(toolbarItem(QStringView(TitleItemIdentifier).toString(), title));
        m_toolbar->addWidget(flexibleSpace());
    }
    if (allowsSearch())
        m_toolbar->addWidget(toolbarItem(QStringView(SearchItemIdentifier).toString(), title));
    m_window->addToolBar(Qt::TopToolBarArea, m_toolbar);
}

QWidget* ZRBrowserWindowController::toolbarItem(const QString& identifier, const QString& title) {
    QStyle* style = QApplication::style();
    if (identifier == NavigateItemIdentifier) {
        m_navigator = new QWidget;
        m_navigator->setObjectName(identifier);
        m_navigator->setToolTip(BackForwardLabel);
        auto* layout = new QHBoxLayout(m_navigator);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        const QStyle::StandardPixmap icons[] = {QStyle::SP_ArrowBack, QStyle::SP_ArrowForward};
        for (int segment = 0; segment < 2; ++segment) {
            auto* button = new QToolButton(m_navigator);
            button->setIcon(style->standardIcon(icons[segment]));
            button->setAutoRaise(true);
            button->setEnabled(false);
            button->setToolTip(BackForwardLabel);
            connect(button, &QToolButton::clicked, this, [this, segment] { navigate(segment); });
            layout->addWidget(button);
        }
        return m_navigator;
    }
    if (identifier == TitleItemIdentifier) {
        const QString text = !title.isEmpty() ? title
                             : !QGuiApplication::applicationDisplayName().isEmpty()
                                 ? QGuiApplication::applicationDisplayName()
                                 : UntitledTitle;
        auto* item = new QWidget;
        item->setObjectName(identifier);
        auto* layout = new QHBoxLayout(item);
        layout->setContentsMargins(toolbarTitlePaddingLeft(), 0, toolbarTitlePaddingRight(), 0);
        layout->setSpacing(int(TitleIconSize * TitleTextIndent) - TitleIconSize);
        const QIcon icon = m_toolbarTitleIcon.isNull() ? QApplication::windowIcon() : m_toolbarTitleIcon;
        if (!icon.isNull()) {
            auto* iconView = new QLabel(item);
            iconView->setPixmap(icon.pixmap(TitleIconSize, TitleIconSize));
            layout->addWidget(iconView);
        }
        auto* label = new QLabel(text, item);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        layout->addWidget(label);
        Q_UNUSED(TitleIconOffset);
        return item;
    }
    if (identifier == SearchItemIdentifier) {
        auto* button = new QToolButton;
        button->setObjectName(identifier);
        button->setIcon(QIcon::fromTheme(SearchIconName, magnifyingGlassIcon(m_window->palette())));
        button->setAutoRaise(true);
        button->setToolTip(FindLabel);
        connect(button, &QToolButton::clicked, this, &ZRBrowserWindowController::toggleSearchField);
        return button;
    }
    auto* item = new QWidget;
    item->setObjectName(identifier);
    return item;
}

void ZRBrowserWindowController::makeActions() {
    struct Entry {
        QKeySequence keys;
        std::function<void()> run;
        int tag;
    };
    auto finder = [this](int tag) { return [this, tag] { performTextFinderActionWithTag(tag); }; };
    const Entry entries[] = {
        {QKeySequence::Find, finder(ShowFindInterface), ShowFindInterface},
        {QKeySequence::FindNext, finder(NextMatch), NextMatch},
        {QKeySequence::FindPrevious, finder(PreviousMatch), PreviousMatch},
        {QKeySequence::ZoomIn, [this] { zoomIn(); }, 0},
        {QKeySequence::ZoomOut, [this] { zoomOut(); }, 0},
        {QKeySequence::Print, [this] { printPage(); }, 0},
    };
    m_actions.clear();
    for (const Entry& entry : entries) {
        auto* action = new QAction(m_window);
        action->setShortcut(entry.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        if (entry.tag)
            action->setData(entry.tag);
        connect(action, &QAction::triggered, this, entry.run);
        m_window->addAction(action);
        m_actions.append(action);
    }
}

ZRBrowserWindow* ZRBrowserWindowController::window() const {
    return m_window;
}

QWidget* ZRBrowserWindowController::navigator() const {
    return m_navigator;
}

QProgressBar* ZRBrowserWindowController::spinner() const {
    return m_spinner;
}

ZRFindBar* ZRBrowserWindowController::searchContainer() const {
    return m_searchContainer;
}

QToolBar* ZRBrowserWindowController::toolbar() const {
    return m_toolbar;
}

// --- Commands

void ZRBrowserWindowController::zoomIn() {
    if (m_view && m_view->canZoomIn())
        m_view->zoomIn();
}

void ZRBrowserWindowController::zoomOut() {
    if (m_view && m_view->canZoomOut())
        m_view->zoomOut();
}

bool ZRBrowserWindowController::showSearchField(bool show) {
    if (!m_view)
        return false;
    if (!show) {
        if (m_searchContainer) {
            delete m_searchContainer;
            m_searchFieldEditor = nullptr;
        }
        return true;
    }
    if (!allowsSearch())
        return false;
    if (!m_searchContainer) {
        m_searchContainer = new ZRFindBar(m_findPasteboard);
        // Above the view, below whatever a subclass put above it.
        m_contentLayout->insertWidget(m_contentLayout->indexOf(m_view->widget()), m_searchContainer);
        m_searchFieldEditor = new ZRBrowserWindowSearchFieldEditor(
            m_searchContainer->searchField(),
            [this](const QString& title) { selectSearchSuggestion(title); });
        connect(m_searchContainer, &ZRFindBar::searchRequested, this, [this] {
            if (!m_searchFieldEditor->isShowingCompletions())
                performSearch();
        });
        connect(m_searchContainer, &ZRFindBar::textEdited, this,
                &ZRBrowserWindowController::searchFieldTextDidChange);
        connect(m_searchContainer, &ZRFindBar::doneRequested, this, [this] { showSearchField(false); });
    }
    m_searchContainer->focusSearchField();
    return true;
}

void ZRBrowserWindowController::toggleSearchField() {
    showSearchField(!m_searchContainer);
}

void ZRBrowserWindowController::searchFieldTextDidChange(const QString& text) {
    if (allowsSearch() && m_searchFieldEditor)
        m_searchFieldEditor->showCompletions(searchSuggestionsForQuery(text));
}

void ZRBrowserWindowController::performSearch() {
    if (!allowsSearch()) {
        beep();
        return;
    }
    const QString text = m_searchContainer ? m_searchContainer->searchField()->text() : QString();
    if (!text.isEmpty() && !m_view->find(text, false))
        beep();
}

void ZRBrowserWindowController::findSharedString(bool backwards) {
    const QString text = m_findPasteboard.string();
    if (!allowsSearch() || !m_view || text.isEmpty() || !m_view->find(text, backwards))
        beep();
}

void ZRBrowserWindowController::performTextFinderActionWithTag(int tag) {
    switch (tag) {
    case ShowFindInterface:
        if (!showSearchField(true))
            beep();
        break;
    case NextMatch:
    case PreviousMatch:
        findSharedString(tag == PreviousMatch);
        break;
    default:
        beep();
    }
}

void ZRBrowserWindowController::performTextFinderAction(QObject* sender) {
    const auto* action = qobject_cast<const QAction*>(sender);
    performTextFinderActionWithTag(action && action->data().isValid() ? action->data().toInt()
                                                                      : ShowFindInterface);
}

void ZRBrowserWindowController::navigate(int segment) {
    if (!m_view)
        return;
    if (segment == 1)
        m_view->goForward();
    else
        m_view->goBack();
}

void ZRBrowserWindowController::enableSpinner(bool on) {
    if (!on) {
        delete m_spinner;
        return;
    }
    if (m_spinner || !displaysSpinnerWhileLoading() || !m_view || !m_view->widget()->parentWidget())
        return;
    QWidget* view = m_view->widget();
    m_spinner = new QProgressBar(view->parentWidget());
    m_spinner->setRange(0, 0);
    m_spinner->setTextVisible(false);
    m_spinner->resize(SpinnerWidth, m_spinner->sizeHint().height());
    m_spinner->move(view->geometry().center() - QPoint(m_spinner->width() / 2, m_spinner->height() / 2));
    m_spinner->show();
}

bool ZRBrowserWindowController::validateMenuItem(const QAction* item) const {
    if (!m_actions.contains(const_cast<QAction*>(item)))
        return true;
    const int index = m_actions.indexOf(const_cast<QAction*>(item));
    switch (index) {
    case 0:
        return allowsSearch();
    case 1:
    case 2:
        return allowsSearch() && !m_findPasteboard.string().isEmpty();
    case 3:
        return m_view && m_view->canZoomIn();
    case 4:
        return m_view && m_view->canZoomOut();
    default:
        return true;
    }
}

bool ZRBrowserWindowController::windowShouldClose() {
    if (m_window)
        m_window->deleteLater();
    if (m_view)
        m_view->stopLoading();
    m_view = nullptr;
    m_searchFieldEditor = nullptr;
    m_contentLayout = nullptr;
    m_actions.clear();
    m_window.clear();
    return true;
}

// --- The view's events

void ZRBrowserWindowController::viewDidStartLoad() {
    enableSpinner(true);
}

void ZRBrowserWindowController::viewDidFinishLoad() {
    enableSpinner(false);
}

void ZRBrowserWindowController::viewHistoryDidChange() {
    if (!m_navigator || !m_view)
        return;
    const QList<QToolButton*> buttons = m_navigator->findChildren<QToolButton*>();
    if (buttons.size() == 2) {
        buttons[0]->setEnabled(m_view->canGoBack());
        buttons[1]->setEnabled(m_view->canGoForward());
    }
}

void ZRBrowserWindowController::decidePolicyForLink(const QUrl& url) {
    const bool isFile = !localPathOfURL(url).isEmpty();
    if (isFile && acceptableFileURLExtensions().contains(QFileInfo(url.path()).suffix().toLower()) &&
        allowsFileURL(url)) {
        m_view->loadURL(url);
        return;
    }
    if (acceptableExternalURLSchemes().contains(url.scheme().toLower()) || url.toString() == AboutBlank)
        openURLOutside(url);
}

void ZRBrowserWindowController::contextMenuAboutToShow(QMenu* menu) {
    bool kept = false;
    for (QAction* action : menu->actions()) {
        if (action->objectName() == CopyLinkActionName)
            kept = true;
        else
            menu->removeAction(action);
    }
    if (kept)
        menu->addSeparator();
    menu->addAction(PrintTitle, this, &ZRBrowserWindowController::printPage);
}

void ZRBrowserWindowController::printPage() {
    if (!m_view)
        return;
    QPrinter printer;
    QPrintDialog dialog(&printer, m_window);
    if (dialog.exec() == QDialog::Accepted)
        m_view->print(&printer);
}

void ZRBrowserWindowController::beep() const {
    if (m_beep)
        m_beep();
    else
        QApplication::beep();
}

bool ZRBrowserWindowController::openURLOutside(const QUrl& url) const {
    if (m_openURL)
        return m_openURL(url);
    return QProcess::startDetached(URLOpenerProgram, {url.toString(QUrl::FullyEncoded)});
}
