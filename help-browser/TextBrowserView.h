#pragma once

#include "help-browser/BrowserView.h"

#include <QTextBrowser>

// BrowserView on QTextBrowser. Links are handed to the owner, fragments scroll after decoding, and only
// files inside the readable folder are read, none larger than MaximumResourceBytes.
class TextBrowserView : public QTextBrowser, public BrowserView {
    Q_OBJECT
public:
    static constexpr qint64 MaximumResourceBytes = 4LL * 1024 * 1024;
    static constexpr int MaximumZoomSteps = 8;
    static constexpr int MinimumZoomSteps = -4;

    explicit TextBrowserView(QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    void loadURL(const QUrl& url) override;
    void loadHTML(const QString& html, const QUrl& baseURL) override;
    void stopLoading() override {}
    QUrl url() const override;
    QString title() const override { return documentTitle(); }
    bool canGoBack() const override { return isBackwardAvailable(); }
    bool canGoForward() const override { return isForwardAvailable(); }
    void goBack() override { backward(); }
    void goForward() override { forward(); }
    void backward() override;
    void forward() override;
    bool find(const QString& text, bool backwards) override;
    bool canZoomIn() const override { return m_zoomSteps < MaximumZoomSteps; }
    bool canZoomOut() const override { return m_zoomSteps > MinimumZoomSteps; }
    void zoomIn() override;
    void zoomOut() override;
    void print(QPrinter* printer) override;
    void setReadableFolder(const QString& folder) override;

    QVariant loadResource(int type, const QUrl& name) override;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The page of the URL is in place: scroll to its fragment and tell the owner.
    void didLoad(const QUrl& url);
    bool mayRead(const QUrl& url) const;

    QString m_readableFolder;
    bool m_showsHTML = false;
    int m_zoomSteps = 0;
};
