#include "help-browser/TextBrowserView.h"

#include "help-browser/LocalFiles.h"
#include "toolkit/TextFinding.h"
#include "toolkit/ZRLog.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPrinter>
#include <QStringDecoder>

BrowserView* BrowserView::make(QWidget* parent) {
    return new TextBrowserView(parent);
}

TextBrowserView::TextBrowserView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        if (linkActivated)
            linkActivated(source().isEmpty() || m_showsHTML ? document()->baseUrl().resolved(link)
                                                            : source().resolved(link));
    });
    connect(this, &QTextBrowser::historyChanged, this, [this] {
        if (historyDidChange)
            historyDidChange();
    });
}

void TextBrowserView::loadURL(const QUrl& url) {
    m_showsHTML = false;
    setSource(url);
}

void TextBrowserView::loadHTML(const QString& html, const QUrl& baseURL) {
    if (loadStarted)
        loadStarted();
    m_showsHTML = true;
    document()->setBaseUrl(baseURL);
    setHtml(html);
    if (loadCommitted)
        loadCommitted();
    if (loadFinished)
        loadFinished();
}

QUrl TextBrowserView::url() const {
    // After setHtml the browser still answers the page loaded before.
    return m_showsHTML ? QUrl() : source();
}

bool TextBrowserView::find(const QString& text, bool backwards) {
    return ZRFindInTextView(this, text, backwards);
}

void TextBrowserView::zoomIn() {
    if (!canZoomIn())
        return;
    ++m_zoomSteps;
    QTextBrowser::zoomIn();
}

void TextBrowserView::zoomOut() {
    if (!canZoomOut())
        return;
    --m_zoomSteps;
    QTextBrowser::zoomOut();
}

void TextBrowserView::print(QPrinter* printer) {
    document()->print(printer);
}

void TextBrowserView::setReadableFolder(const QString& folder) {
    m_readableFolder = folder;
}

bool TextBrowserView::mayRead(const QUrl& url) const {
    return isURLInsideFolder(url, m_readableFolder);
}

QVariant TextBrowserView::loadResource(int type, const QUrl& name) {
    const QUrl url = name.adjusted(QUrl::RemoveFragment);
    if (!mayRead(url)) {
        ZRLog("browser refused to read %@", url);
        return {};
    }
    QFile file(localPathOfURL(url));
    if (file.size() > MaximumResourceBytes) {
        ZRLog("browser refused a file over 4 MiB: %@", url);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    if (type != QTextDocument::HtmlResource)
        return data;
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return QString(decoder.decode(data));
}

void TextBrowserView::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    if (loadStarted)
        loadStarted();
    m_showsHTML = false;
    QTextBrowser::doSetSource(name, type);
    didLoad(name);
}

void TextBrowserView::backward() {
    if (loadStarted)
        loadStarted();
    QTextBrowser::backward();
    didLoad(source());
}

void TextBrowserView::forward() {
    if (loadStarted)
        loadStarted();
    QTextBrowser::forward();
    didLoad(source());
}

void TextBrowserView::didLoad(const QUrl& url) {
    // The browser scrolls only to a fragment written plainly: "#%5Bsetup%5Dfirst" stays where it is.
    if (const QString fragment = url.fragment(QUrl::FullyDecoded); !fragment.isEmpty())
        scrollToAnchor(fragment);
    if (loadCommitted)
        loadCommitted();
    if (loadFinished)
        loadFinished();
}

void TextBrowserView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    if (contextMenuAboutToShow)
        contextMenuAboutToShow(menu);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
