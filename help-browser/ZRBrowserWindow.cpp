#include "help-browser/ZRBrowserWindow.h"

#include <QCloseEvent>
#include <QWindow>

namespace {
// The window manager tells its frame's size a moment after it maps the window, without moving it: look
// for it a while.
constexpr int FitIntervalMilliseconds = 50;
constexpr int FitTries = 60;
} // namespace

ZRBrowserWindow::ZRBrowserWindow(QWidget* parent) : QMainWindow(parent), m_fitTimer(new QTimer(this)) {
    m_fitTimer->setInterval(FitIntervalMilliseconds);
    connect(m_fitTimer, &QTimer::timeout, this, [this] {
        fitIntoUsableArea();
        if (m_fitted || ++m_fitTries >= FitTries)
            m_fitTimer->stop();
    });
}

void ZRBrowserWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_fitted) {
        m_fitTries = 0;
        m_fitTimer->start();
    }
}

void ZRBrowserWindow::setUsableArea(const QRect& area) {
    m_usableArea = area;
    m_fitted = false;
    fitIntoUsableArea();
}

void ZRBrowserWindow::closeEvent(QCloseEvent* event) {
    if (shouldClose && !shouldClose())
        event->ignore();
    else
        event->accept();
}

void ZRBrowserWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    fitIntoUsableArea();
}

void ZRBrowserWindow::fitIntoUsableArea() {
    // The window manager's title bar and borders are known only once it has framed the window.
    if (m_fitted || m_usableArea.isEmpty() || !isVisible() || !windowHandle() ||
        windowHandle()->frameMargins().isNull())
        return;
    m_fitted = true;
    const QMargins margins = windowHandle()->frameMargins();
    const QSize room = m_usableArea.size().shrunkBy(margins);
    QRect inside = geometry();
    inside.setSize(inside.size().boundedTo(room).expandedTo(minimumSize().boundedTo(room)));
    QRect frame = inside.marginsAdded(margins);
    frame.moveLeft(std::clamp(frame.left(), m_usableArea.left(), m_usableArea.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), m_usableArea.top(), m_usableArea.bottom() - frame.height() + 1));
    if (minimumWidth() > room.width() || minimumHeight() > room.height())
        setMinimumSize(minimumSize().boundedTo(room));
    setGeometry(frame.marginsRemoved(margins));
}
