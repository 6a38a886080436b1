#pragma once

#include "mouse-control/ZROverlayButton.h"

#include <QEvent>
#include <QString>
#include <memory>
#include <optional>

class QInputEvent;
class QMenu;
class ZROverlayButtonMenuDelegate;

// The palette's revert button, which doubles as the menu of custom actions. As a menu it shows the
// custom-actions glyph (its alternate image) and the revert arrow (its image) while Option is held, when it
// reverts if it has an action of its own and otherwise looks disabled. Its menu opens on a click, after a
// short hover, or as soon as the palette shows, by the settings.
class RunLoop;

class ZROverlayMenuButton : public ZROverlayButton {
    Q_OBJECT
public:
    // The hover before the menu opens by itself (seconds), and how far under the button it opens (points).
    static constexpr double PopUpMenuHoverDelay = 0.15;
    static constexpr int PopUpMenuOffset = 5;
    // Whether the menu opens after a hover, and as soon as the palette shows.
    static QString showOnHoverKey();
    static QString showImmediatelyKey();

    // The context's run loop, which delays the menu after a hover, outlives the button too.
    explicit ZROverlayMenuButton(const ZRMouseControlContext& context, QWidget* parent = nullptr);
    ~ZROverlayMenuButton() override;

    // A menu shows the revert arrow in alternate mode and the glyph otherwise: the two images swap.
    QImage image() const override;
    QImage alternateImage() const override;
    // Only a menu follows Option, and not while its menu is open.
    bool alternateMode() const override;
    bool drawAsEnabled() const override;

    // The button is the menu of custom actions (set by the palette).
    bool canShowMenu() const { return m_canShowMenu; }
    void setCanShowMenu(bool canShowMenu);
    // Its menu is open.
    bool showsMenu() const { return m_showsMenu; }
    void setShowsMenu(bool showsMenu) { m_showsMenu = showsMenu; }
    // Not owned; null for none.
    void setMenuDelegate(ZROverlayButtonMenuDelegate* delegate) { m_menuDelegate = delegate; }
    // The title of the button's own action when a menu also reverts; none when it only shows the menu.
    const std::optional<QString>& originalActionTitle() const { return m_originalActionTitle; }
    void setOriginalActionTitle(std::optional<QString> title) { m_originalActionTitle = std::move(title); }
    // The hover that waits for the delayed menu.
    const QInputEvent* delayedPopUpMenuEvent() const { return m_delayedPopUpMenuEvent.get(); }

    // Opens the delegate's menu under the button, without waiting for it to close; false (nothing opened)
    // when the button's window is not shown or there is no menu. The event is the one that asked, if any.
    bool popUpMenuWithEvent(const QInputEvent* event);
    // Opens the menu by itself: after a hover (with the hover's event), or at once (without one), when the
    // settings ask for it and the button is a usable menu that is not hovered yet.
    void popUpMenuAutomaticallyWithHoverEvent(const QInputEvent* event);
    void popUpMenuWithDelayedPopUpMenuEvent();
    // The open menu, while it is open.
    QMenu* openMenu() const;

    void mouseEntered(const QEnterEvent* event) override;
    void mouseExited() override;
    void mouseDown(const QMouseEvent& event) override;

private:
    void cancelDelayedPopUpMenu();

    RunLoop& m_runLoop;
    bool m_canShowMenu = false;
    bool m_showsMenu = false;
    ZROverlayButtonMenuDelegate* m_menuDelegate = nullptr;
    std::optional<QString> m_originalActionTitle;
    std::unique_ptr<QInputEvent> m_delayedPopUpMenuEvent;
    QPointer<QMenu> m_openMenu;
};
