#pragma once

#include "actions/ZRKeyboardControlPanelInterface.h"
#include "keyboard-control/ZRKeyboardControlContext.h"
#include "platform/Geometry.h"
#include "platform/Screens.h"
#include "platform/foundation/RunLoop.h"
#include "shell/ZRKeyboardControlDescription.h"
#include "toolkit/OverlayKeyboard.h"
#include "toolkit/ZRSelfDrawingOverlayPanel.h"
#include "toolkit/ZRTextAttributes.h"
#include "window-access/WindowObserver.h"

#include <QPainterPath>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class UserDefaults;
class ZRKeyboardControlPanelDelegate;
struct KeyEvent;

// How the cheat sheet draws a column: its font, colour and alignment, the space between its lines, and
// that a line too long for the column loses its end.
struct ZRCheatSheetTextAttributes {
    ZRTextAttributes text;
    double lineSpacing = 0;
    Qt::TextElideMode elideMode = Qt::ElideRight;
};

// The keyboard control panel: a floating overlay over the screen of the window the keys move, with the
// program's logo and a cheat sheet of the keys and hot keys that work while it is open. Every key press
// goes to the delegate (the action engine), which moves or resizes the controlled window by the key map
// or runs the hot key's action; local hot keys work only while the panel is open. The focus window dims
// the rest of the screen meanwhile and follows the controlled window.
//
// The panel never becomes the active window, so the window it controls stays the one the user works in.
// It holds the keyboard instead while active and gives it back on every way out: when it closes by itself
// after a pause, on Escape (the delegate closes it), when it loses the keys (a click outside it, another
// window of the program taking the focus, a workspace change), at quit and at its destruction. Hidden for
// a moment (temporarilyHidden) it lets the keyboard go and takes it again when shown.
//
// Coordinates of the panel's content (logoFrame, cheatSheetFrame, the background) are Qt's, y down; the
// frame is in Cocoa screen coordinates. Main thread only.
//
// The Touch Bar of the design's platform (the items Center, Full, Top, Right, Bottom, Left and Escape, its
// settings "Touch Bar: Disable" and "Touch Bar: Use Standard Escape Key") has no counterpart on Linux and
// is left out; the keys do all it did.
class ZRKeyboardControlPanel : public ZRSelfDrawingOverlayPanel,
                               public ZRKeyboardControlPanelInterface,
                               public ZRWindowObserverDelegate {
    Q_OBJECT
public:
    // One above the focus window it works with.
    static constexpr int WindowLevel = 99;
    // The window's name, by which other programs find it.
    static constexpr char WindowTitle[] = "Skaf Keyboard Controls";
    // The logo's square and the narrowest panel.
    static constexpr double LogoSide = 340;
    // The icons of the cheat sheet's rows.
    static constexpr double IconWidth = 23;
    static constexpr double IconHeight = 16;
    // Seconds without a controlled window before the panel closes by itself.
    static constexpr double UncontrolledAutoDeactivateInterval = 1.0;

    // --- Class side

    // The panel's frame (Cocoa) on the screen's usable area: as wide as the cheat sheet needs, at least
    // the logo's width, centred; as high as the logo and the rows, or the area's height when that is less.
    // The zero rectangle without a screen. Keeps the width of the names column for the drawing.
    static Rect
    frameForScreen(const ScreenInfo* screen,
                   const std::vector<ZRKeyboardControlDescription>& withKeyboardControlDescriptions,
                   bool canControlWindow, const UserDefaults& defaults);
    // A panel on keyboard control's context, which it keeps a copy of.
    static ZRKeyboardControlPanel*
    overlayPanelWithFrame(const ZRKeyboardControlContext& context, const Rect& frame,
                          const AXElementRef& controlledWindow,
                          std::vector<ZRKeyboardControlDescription> keyboardControlDescriptions);
    // The names' column (forAction) or the shortcuts' column; made once.
    static const ZRCheatSheetTextAttributes& cheatSheetAttributesForAction(bool forAction);
    // The width of the names column, from the last frame computed.
    static double namesWidth();
    // Points between the tops of two icon rows; 0 for no rows (no icons are drawn then).
    static double iconRowPitch(double namesHeight, std::size_t numberOfRows);
    // "Auto-Deactivate Interval" when set, at least half a second; else longer with the cheat sheet.
    static double autoDeactivateIntervalForCheatSheet(bool cheatSheet, const UserDefaults& defaults);
    // Hands the drawing to the window when it is a keyboard control panel.
    static void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view, QWidget* window);

    ~ZRKeyboardControlPanel() override;

    void setDelegate(ZRKeyboardControlPanelDelegate* delegate) { m_delegate = delegate; }
    ZRKeyboardControlPanelDelegate* delegate() const { return m_delegate; }
    // What tells the user that the panel could not take the keys; the application's beep unless set.
    void setBeepHandler(std::function<void()> beep) { m_beep = std::move(beep); }
    // Where the cheat sheet's rows come from; without one the sheet stays empty.
    void setCheatSheetSource(std::function<std::vector<ZRKeyboardControlDescription>()> source) {
        m_cheatSheetSource = std::move(source);
    }

    // --- ZRKeyboardControlPanelInterface

    // Controls the window when it can be controlled (else shows why not) and opens over its screen, with
    // the cheat sheet when "Show Cheat Sheet" is on; an open panel takes the new window. False, with
    // nothing shown, without a screen.
    bool activateForWindow(const AXElementRef& window) override;
    bool isActive() const override { return m_active; }
    bool active() const { return m_active; }
    // Shows the panel and takes the keyboard, or fades it out and gives the keyboard back; the focus
    // window and the delegate follow each change. Either way the closing by itself is scheduled anew.
    void setActive(bool active) override;
    AXElementRef controlledWindow() const override { return m_controlledWindow; }
    void scheduleAutoDeactivation() override;

    // --- Closing by itself

    // 1 s without a controlled window, else the interval for "Show Cheat Sheet".
    double autoDeactivateInterval() const;
    // Closes the panel unless the delegate wants it open longer.
    void autoDeactivate();

    // --- The window and the rows

    // Stops observing the old window and observes the new one.
    void setControlledWindow(const AXElementRef& window);
    bool canResizeControlledWindow() const { return m_canResizeControlledWindow; }
    bool temporarilyHidden() const { return m_temporarilyHidden; }
    void setTemporarilyHidden(bool hidden);
    const std::vector<ZRKeyboardControlDescription>& keyboardControlDescriptions() const {
        return m_keyboardControlDescriptions;
    }
    void setKeyboardControlDescriptions(std::vector<ZRKeyboardControlDescription> descriptions);
    const QString& uncontrollableWindowDescription() const { return m_uncontrollableWindowDescription; }
    void setUncontrollableWindowDescription(const QString& description);

    // ZRWindowObserverDelegate: the focus window's aperture follows the controlled window.
    void observedWindow(const AXElementRef& window, const QString& notification) override;

    // --- Background and drawing

    // The panel's translucent shape: the logo's square and arrow heads, and the rounded cheat sheet.
    const QPainterPath& visualEffectView() const { return m_visualEffectView; }
    QRectF logoFrame() const { return m_logoFrame; }
    QRectF cheatSheetFrame() const { return m_cheatSheetFrame; }
    void updateVisualEffectView();
    void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view) override;

    // --- Keys and losing them

    // A key press while active and controlling a window: the closing by itself waits again, and the
    // delegate acts on the key. Presses at other times are dropped.
    void sendEvent(const KeyEvent& event);
    // The panel lost the keys: it closes, unless it is hidden only for a moment.
    void resignKeyWindow();
    // The overlay's application stops (quit): the panel closes.
    void overlayWindowDidDeactivate(QWidget* overlay);

    // The design's window traits: the panel takes the keys as soon as it shows (by grabbing them, as it is
    // never activated), shows on every workspace (as every overlay does), and other programs cannot move
    // it.
    bool canBecomeKeyWindow() const { return true; }
    bool becomesKeyOnlyIfNeeded() const { return false; }
    static constexpr int CanJoinAllSpaces = 1;
    int collectionBehavior() const { return CanJoinAllSpaces; }
    bool accessibilityIsAttributeSettable(const QString&) const { return false; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ZRKeyboardControlPanel(const ZRKeyboardControlContext& context, const Rect& frame,
                           const AXElementRef& controlledWindow,
                           std::vector<ZRKeyboardControlDescription> keyboardControlDescriptions);

    bool boolSetting(const QString& key) const;
    bool logoShows() const;
    void drawCheatSheet(QPainter& painter, bool dark) const;
    void drawUncontrollableWindow(QPainter& painter, bool dark) const;

    const ZRKeyboardControlContext m_context;
    ZRKeyboardControlPanelDelegate* m_delegate = nullptr;
    std::function<void()> m_beep;
    std::function<std::vector<ZRKeyboardControlDescription>()> m_cheatSheetSource;

    AXElementRef m_controlledWindow;
    QPainterPath m_visualEffectView;
    QRectF m_logoFrame;
    QRectF m_cheatSheetFrame;
    bool m_canResizeControlledWindow = false;
    bool m_active = false;
    bool m_temporarilyHidden = false;
    std::vector<ZRKeyboardControlDescription> m_keyboardControlDescriptions;
    QString m_uncontrollableWindowDescription;

    OverlayKeyboard m_keyboard;
    PendingPerform m_autoDeactivate;
};
