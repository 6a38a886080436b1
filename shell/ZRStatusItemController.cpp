#include "shell/ZRStatusItemController.h"

#include "toolkit/Appearance.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/ZRLog.h"

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

namespace {

// Pixels of the largest tray icon drawn; the tray scales down.
constexpr int TrayIconSize = 64;

} // namespace

QImage ZRStatusItemLogoImage(int size, const QColor& color) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    ZRDrawStatusItemLogo(painter, QRectF(0, 0, size, size), color);
    painter.end();
    return image;
}

ZRStatusItemController::ZRStatusItemController(std::function<void(QMenu*)> menuNeedsUpdate)
    : m_menuNeedsUpdate(std::move(menuNeedsUpdate)), m_menu(std::make_unique<QMenu>()) {
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] {
        if (m_menuNeedsUpdate)
            m_menuNeedsUpdate(m_menu.get());
    });
}

ZRStatusItemController::~ZRStatusItemController() {
    // The tray icon refers to the menu; it goes first.
    m_trayIcon.reset();
}

bool ZRStatusItemController::setVisible(bool visible) {
    m_requested = visible;
    if (!visible) {
        if (m_trayIcon)
            m_trayIcon->hide();
        return false;
    }
    // Shown also without a tray: the icon docks into a tray that starts later.
    if (!m_trayIcon)
        makeTrayIcon();
    m_trayIcon->show();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!m_reportedNoTray) {
            m_reportedNoTray = true;
            ZRLog("no system tray on this desktop: the status icon shows once a tray starts");
        }
        return false;
    }
    return true;
}

bool ZRStatusItemController::isShown() const {
    return m_trayIcon && m_trayIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void ZRStatusItemController::makeTrayIcon() {
    const QColor color = ZRIsDarkInterfaceStyleEnabled() ? Qt::white : Qt::black;
    m_trayIcon =
        std::make_unique<QSystemTrayIcon>(QPixmap::fromImage(ZRStatusItemLogoImage(TrayIconSize, color)));
    m_trayIcon->setToolTip(QStringLiteral("Skaf"));
    m_trayIcon->setContextMenu(m_menu.get());
    // A click opens the menu too, as the status item's only click does.
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    m_menu->popup(QCursor::pos());
            });
}
