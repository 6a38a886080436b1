#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QColor;
class QImage;
class QMenu;
class QSystemTrayIcon;

// The program's logo, as the status item shows it, square of the size in pixels.
QImage ZRStatusItemLogoImage(int size, const QColor& color);

// The status item: the program's logo in the desktop's system tray, with a menu that is rebuilt each
// time it opens. On a desktop without a tray (a bare window manager) that is logged once and the item
// waits: it docks into a tray that starts later.
class ZRStatusItemController : public QObject {
    Q_OBJECT

public:
    // menuNeedsUpdate fills the menu before it opens.
    explicit ZRStatusItemController(std::function<void(QMenu*)> menuNeedsUpdate);
    ~ZRStatusItemController() override;

    // Shows or removes the status item. Answers whether it shows; false while the desktop has no tray.
    bool setVisible(bool visible);
    // Whether the status item was asked for, and whether it is shown.
    bool isRequested() const { return m_requested; }
    bool isShown() const;
    // The status item's menu, kept for the program's life.
    QMenu* menu() const { return m_menu.get(); }

private:
    void makeTrayIcon();

    std::function<void(QMenu*)> m_menuNeedsUpdate;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    bool m_requested = false;
    bool m_reportedNoTray = false;
};
