#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QMenu;
class QPrinter;
class QWidget;

// The view that shows a browser window's pages: what the window needs of an HTML view, and no more. It
// never follows a link by itself: every activated link goes to linkActivated, whose owner decides.
class BrowserView {
public:
    virtual ~BrowserView() = default;

    // A view on a text browser (no scripts, no network): a child widget that the parent owns.
    static BrowserView* make(QWidget* parent);

    virtual QWidget* widget() = 0;

    // Loads the page of the URL and scrolls to its fragment (decoded first); a new step in the history.
    virtual void loadURL(const QUrl& url) = 0;
    // Shows the HTML; its relative links and images resolve against the base URL.
    virtual void loadHTML(const QString& html, const QUrl& baseURL) = 0;
    // Pages load at once here, so there is nothing to stop; kept for the window's contract.
    virtual void stopLoading() = 0;
    // The URL of the page loaded by URL, fragment included; empty when HTML was loaded last.
    virtual QUrl url() const = 0;
    virtual QString title() const = 0;

    virtual bool canGoBack() const = 0;
    virtual bool canGoForward() const = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;

    // Finds the text without regard to case and selects it, wrapping at the end; false when it is absent.
    virtual bool find(const QString& text, bool backwards) = 0;

    // The text size goes up and down in steps, within limits.
    virtual bool canZoomIn() const = 0;
    virtual bool canZoomOut() const = 0;
    virtual void zoomIn() = 0;
    virtual void zoomOut() = 0;

    virtual void print(QPrinter* printer) = 0;

    // Files read by the view (pages and their images) must lie inside this folder, symbolic links
    // resolved; empty allows none. Other schemes than files and resources are never read.
    virtual void setReadableFolder(const QString& folder) = 0;

    std::function<void(const QUrl& url)> linkActivated;
    std::function<void()> loadStarted;
    // The new page is in place (its URL and title can be read); it is finished right after.
    std::function<void()> loadCommitted;
    std::function<void()> loadFinished;
    std::function<void()> historyDidChange;
    // The standard context menu before it shows, for the owner to trim and add to.
    std::function<void(QMenu* menu)> contextMenuAboutToShow;
};
