#pragma once

#include "actions/ZRPaletteItemButtonInterface.h"
#include "platform/foundation/RunLoop.h"
#include "toolkit/ViewExtensions.h"

#include <QAbstractButton>
#include <QMenu>
#include <QPointer>
#include <memory>

class QInputEvent;
class QMenu;
class UserDefaults;
class ZRMainController;

// The button of one custom action in the palette. It draws the action's icon, lights up under the mouse,
// triggers the action on a click, and shows the action's menu on a press held for half a second, on a right
// click, or at once for a folder that is no chain. The palette editor's wells make them; the palette places,
// enables and shows them. Main thread only.
class ZRPaletteItemButton : public QAbstractButton,
                            public ZRPaletteItemButtonInterface,
                            public ZRTrackingAreaOwner {
    Q_OBJECT
public:
    // Seconds a press is held before the menu shows instead of a click.
    static constexpr double PressAndHoldDelay = 0.5;
    static inline const QString CallOutCustomPaletteItemsUserDefaultName =
        QStringLiteral("Call Out Custom Palette Items");

    // A button whose menus and clicks go to the main controller, looking as the settings say, its held
    // press timed by the run loop.
    ZRPaletteItemButton(ZRMainController& controller, const UserDefaults& defaults, RunLoop& mainRunLoop,
                        QWidget* parent = nullptr);
    ~ZRPaletteItemButton() override;

    std::shared_ptr<ZRAction> paletteAction() const override { return m_paletteAction; }
    void setPaletteAction(const std::shared_ptr<ZRAction>& action);

    // Whether some palette item button's menu is open.
    static bool showsMenu();
    bool isHovered() const { return m_isHovered; }
    // The menu this button shows, while it shows one.
    QMenu* shownMenu() const { return m_menu && m_menu->isVisible() ? m_menu.data() : nullptr; }

    // Shows the action's menu below the button's left end; false when there is none (nothing shows then).
    bool popUpMenuWithEvent(const QInputEvent* event);
    // The click: the action triggers and the palette hides.
    void triggerAction();

    // The hover follows the pointer as it is now (the button moved, or its window changed).
    void updateTrackingAreas() override;

    QSize sizeHint() const override;

protected:
    // The action's menu, owned by the caller; null for none.
    virtual QMenu* newMenu();

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setUp();
    void setHovered(bool hovered);
    void pressWasHeld();
    void menuDidClose();
    QColor iconColor(bool dark) const;

    ZRMainController& m_controller;
    const UserDefaults& m_defaults;
    RunLoop& m_mainRunLoop;
    std::shared_ptr<ZRAction> m_paletteAction;
    QPointer<QMenu> m_menu;
    bool m_isHovered = false;
    PendingPerform m_pressAndHold;
};
