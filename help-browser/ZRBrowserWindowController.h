#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

class BrowserView;
class QAction;
class QMenu;
class QProgressBar;
class QScreen;
class QToolBar;
class QVBoxLayout;
class QWidget;
class UserDefaults;
class ZRBrowserWindow;
class ZRBrowserWindowSearchFieldEditor;
class ZRFindBar;
class ZRFindPasteboard;

// The find bar of a browser window.
using ZRBrowserWindowSearchContainer = ZRFindBar;

// The base of a small HTML browser: a window with a view of pages, a toolbar with Back/Forward, a title
// and a find button, a find bar with suggestions, text zoom, a trimmed context menu and a link policy
// that loads pages of its folder in place and hands web and mail links to the desktop. The window is
// built the first time content is shown. Subclasses shape it through the template methods. Main thread.
class ZRBrowserWindowController : public QObject {
    Q_OBJECT
public:
    // Toolbar item names and the find actions' tags.
    static constexpr char16_t NavigateItemIdentifier[] = u"Navigate";
    static constexpr char16_t TitleItemIdentifier[] = u"Title";
    static constexpr char16_t SearchItemIdentifier[] = u"Search";
    enum TextFinderTag { ShowFindInterface = 1, NextMatch = 2, PreviousMatch = 3 };

    // The window's frame is kept in the settings given; its find bar shows the find string of the
    // pasteboard given. Both outlive the controller.
    ZRBrowserWindowController(UserDefaults& defaults, ZRFindPasteboard& findPasteboard,
                              QObject* parent = nullptr);
    ~ZRBrowserWindowController() override;

    // --- Template methods

    virtual Qt::WindowFlags windowStyleMask() const;
    virtual QSize windowMinimumContentSize() const { return {400, 200}; }
    virtual QSize windowDefaultContentSizeForScreen(const QScreen* screen) const { return {800, 600}; }
    virtual bool windowSavesFrame() const { return true; }
    // The view's place in the content view; the rest of the content view stays empty.
    virtual QRect webViewFrameInContentView(const QWidget* contentView) const;
    // Null: the primary screen.
    virtual QScreen* preferredScreen() const { return nullptr; }
    virtual bool displaysSpinnerWhileLoading() const { return true; }
    // Without it, no toolbar and no find.
    virtual bool allowsToolbarNavigation() const { return true; }
    virtual int toolbarTitlePaddingLeft() const { return 0; }
    virtual int toolbarTitlePaddingRight() const { return 0; }
    // Whether the window's title is hidden, so the toolbar shows it. X11 window managers always show it.
    virtual bool hidesTitle() const { return false; }
    virtual bool allowsSearch() const { return allowsToolbarNavigation(); }
    virtual QStringList searchSuggestionsForQuery(const QString& query) { return {}; }
    virtual void selectSearchSuggestion(const QString& suggestion) {}
    virtual QSet<QString> acceptableFileURLExtensions() const;
    virtual QSet<QString> acceptableExternalURLSchemes() const;
    virtual QUrl requestWithURL(const QUrl& url) const { return url; }
    // Whether a page file may load in place: inside the folder of the first URL shown, after ".." and
    // symbolic links are resolved.
    virtual bool allowsFileURL(const QUrl& url);
    // The folder the view may read from.
    virtual QString readableFolder() const;

    // --- Showing content

    // Builds the window when there is none, then loads the HTML (relative to the URL) or else the URL;
    // false when both are missing.
    bool populateWithHTMLContent(const std::optional<QString>& html, const QUrl& url,
                                 const QString& windowTitle);
    // Populates, then brings the window to the front with the keyboard.
    bool showHTMLContent(const std::optional<QString>& html, const QUrl& url, const QString& windowTitle);

    void zoomIn();
    void zoomOut();
    // Shows or hides the find bar; false without a view, or for showing when find is not allowed.
    bool showSearchField(bool show);
    void toggleSearchField();
    // Finds the find field's text forward; beeps when it is absent or find is not allowed.
    void performSearch();
    // ShowFindInterface, NextMatch or PreviousMatch (of the shared find string); others beep.
    void performTextFinderActionWithTag(int tag);
    // The sender's tag is its data; without one, ShowFindInterface.
    void performTextFinderAction(QObject* sender);
    // 1 goes forward, anything else back.
    void navigate(int segment);
    void enableSpinner(bool on);
    // Whether the action (of the window's find, zoom and other items) can run now.
    bool validateMenuItem(const QAction* item) const;
    // The user closes the window: the window and its view are let go, so the next content builds a new
    // one. Closing is always allowed.
    virtual bool windowShouldClose();

    // --- Parts, for subclasses and tests

    BrowserView* webView() const { return m_view; }
    ZRBrowserWindow* window() const;
    QWidget* navigator() const;
    QProgressBar* spinner() const;
    ZRFindBar* searchContainer() const;
    ZRBrowserWindowSearchFieldEditor* searchFieldEditor() const { return m_searchFieldEditor; }
    QToolBar* toolbar() const;
    QIcon toolbarTitleIcon() const { return m_toolbarTitleIcon; }
    void setToolbarTitleIcon(const QIcon& icon) { m_toolbarTitleIcon = icon; }
    // The window's find, zoom and print actions, with their shortcuts.
    QList<QAction*> windowActions() const { return m_actions; }

    // What tells the user something failed; by default the desktop's bell.
    void setBeepHandler(std::function<void()> beep) { m_beep = std::move(beep); }
    // What opens web and mail links; by default xdg-open. Answers whether it started.
    void setURLOpener(std::function<bool(const QUrl&)> opener) { m_openURL = std::move(opener); }

protected:
    // --- The view's events, in place of a web view's delegates; overrides call these first.

    virtual void viewDidStartLoad();
    virtual void viewDidCommitLoad() {}
    virtual void viewDidFinishLoad();
    virtual void viewHistoryDidChange();
    // Every activated link: files of the folder load in place, web and mail links open outside.
    virtual void decidePolicyForLink(const QUrl& url);
    // Keeps only "Copy Link Location" and adds "Print...".
    virtual void contextMenuAboutToShow(QMenu* menu);

    void beep() const;
    bool openURLOutside(const QUrl& url) const;
    // The layout of the window's content: added parts above the view, the view last.
    QVBoxLayout* contentLayout() const { return m_contentLayout; }
    // The area that holds the window, in global coordinates.
    QRect usableArea() const;

private:
    void buildWindow(const QString& title);
    void buildToolbar(const QString& title);
    QWidget* toolbarItem(const QString& identifier, const QString& title);
    void makeActions();
    void restoreOrCenterFrame(const QString& autosaveName);
    void searchFieldTextDidChange(const QString& text);
    void findSharedString(bool backwards);
    void printPage();

    UserDefaults& m_frameDefaults;
    ZRFindPasteboard& m_findPasteboard;
    BrowserView* m_view = nullptr;
    QPointer<ZRBrowserWindow> m_window;
    QPointer<QWidget> m_navigator;
    QPointer<QProgressBar> m_spinner;
    QPointer<ZRFindBar> m_searchContainer;
    ZRBrowserWindowSearchFieldEditor* m_searchFieldEditor = nullptr;
    QPointer<QToolBar> m_toolbar;
    QVBoxLayout* m_contentLayout = nullptr;
    QIcon m_toolbarTitleIcon;
    QList<QAction*> m_actions;
    QString m_firstFolder;
    std::function<void()> m_beep;
    std::function<bool(const QUrl&)> m_openURL;
};
