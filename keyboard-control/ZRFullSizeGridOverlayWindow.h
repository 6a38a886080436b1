#pragma once

#include "keyboard-control/ZRGridCoordinates.h"
#include "keyboard-control/ZRGridPrototype.h"
#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/foundation/RunLoop.h"
#include "toolkit/ZRSelfDrawingOverlayPanel.h"
#include "window-access/VirtualScreen.h"

#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class EventTap;
class WindowInputGrab;
class RunLoop;
class ZRFullSizeOverlayGrid;
class ZRSettingsWindowOpener;
struct ZRKeyboardControlContext;
struct KeyEvent;
struct TapEvent;

// The full-size grid: a new frame for another application's window picked from a grid over the whole usable
// area of its display, or of every display, by mouse or by keyboard. What the user sees is the focus
// window, which outlines the hovered cell or the selected range; the grids themselves draw nothing. A
// selection runs the grid's action with the grid as the sender, which reads the frame from it
// (representedWindowFrame).
//
// A window over the screens would have to be clear, and without a compositing manager a clear window paints
// the screens black. So one panel, a single point off the screens, stands for every display: while the
// grid is open it holds the keyboard and the pointer, hears every key and click wherever the pointer is, and
// hit-tests its grids (one per covered display, each over that display's usable frame) in global
// coordinates; the window the user works in stays the active one. Choosing the current grid stands for
// making that display's panel key. Both grabs are given back on every way out, and a grid that cannot have
// them does not open. Main thread only.
class ZRFullSizeGridOverlayWindow : public ZRSelfDrawingOverlayPanel {
    Q_OBJECT
public:
    // One above the focus window.
    static constexpr int WindowLevel = 99;
    // The window's name, by which other programs find it.
    static constexpr char WindowTitle[] = "Skaf Full-Size Grid";
    static const QString CoverAllDisplaysKey;
    static const QString LoopKey;
    static const QString NonModifierArrowKeysResetSelectionKey;

    using Action = ZRGridPrototype::Action;

    // --- The shared panel

    // What the shared panel and the class methods use while it lives: the desktop, the settings, the run
    // loop, the focus window, who opens the settings window on "," (none: the key only closes the grid) and
    // what tells the user that the grid could not open (the application's beep when empty). Keyboard
    // control's controller makes one before anything opens the grid; when it goes, the shared panel goes
    // with it. Neither pointer is owned.
    class Installation {
    public:
        Installation(const ZRKeyboardControlContext& context, ZRSettingsWindowOpener* settingsWindow,
                     std::function<void()> beep = {});
        ~Installation();
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;

        // Read by the class methods while this is the installation in use.
        const ZRKeyboardControlContext& m_context;
        ZRSettingsWindowOpener* m_settingsWindow;
        std::function<void()> m_beep;
        const Installation* m_previous;
    };

    // The panel, made on first use when asked; without create, null while there is none.
    static ZRFullSizeGridOverlayWindow* sharedPanelByCreatingIfNecessary(bool create);
    // Ends the shared panel (quit, tests).
    static void destroySharedPanel();
    // A panel of the grid; it takes no frame of its own, as it stands for every display from off them.
    static ZRFullSizeGridOverlayWindow* overlayPanelWithFrame(const Rect& frame);
    // Opens the grid for the window (frames Cocoa) on its display, or on every display when there are
    // several and "Mouse Controls Grid: Full Size: Cover All Displays" is on. The dimensions are an
    // action's own; empty for the standard grid. False, with nothing open, without a window or an action,
    // or when the keyboard and pointer cannot be had at once; a refusal that comes later beeps.
    static bool activateForWindow(const AXElementRef& window, const Rect& withFrame,
                                  const Rect& withinSkafableFrame,
                                  const QVariantMap& preferredGridDimensionsDictionary, Action action);
    static void deactivate();
    // The window the open grid places; null while it is closed.
    static AXElementRef controlledWindow();
    static void beep();
    // Remembers from now on whether the event being handled is a click, by which an activation tells a
    // click from a key (assumeKeyboardInteraction).
    static void watchCurrentEvent(RunLoop& mainRunLoop);

    // --- The panel

    ~ZRFullSizeGridOverlayWindow() override;

    // The same with the screens to cover (null: the window's own display only).
    bool activateForWindow(const AXElementRef& window, const Rect& withFrame, const Rect& withinSkafableFrame,
                           const std::vector<ZRVirtualScreen>* coverAllScreens,
                           const QVariantMap& preferredGridDimensionsDictionary, Action action);
    // Closes the grid and gives both devices back.
    void deactivatePanel();
    // The keys have gone to another window of the program: the grid closes.
    void resignKeyWindow();
    // Keeps the grid while the panel shows and holds the keyboard.
    void deactivateIfNotKeyWindow();
    bool canBecomeKeyWindow() const { return true; }
    bool becomesKeyOnlyIfNeeded() const { return false; }

    // The grids follow the pointer (an event, in global coordinates), or with none and a key having opened
    // the grid, the current grid starts at its starting cell.
    void updateHoverCoordinatesWithEvent(const ZRGridEvent* event);
    // The grid of the display next to the grid's in the direction (ZRScreenDirection), with its last
    // column and row; null when there is none.
    ZRFullSizeOverlayGrid* gridAtPosition(int position, const ZRFullSizeOverlayGrid& relativeToGrid,
                                          bool loop, std::int64_t* updateMaximumColumn,
                                          std::int64_t* updateMaximumRow) const;
    // Arrows and h/j/k/l move the selection (Shift extends it), Return, Enter and space choose it, ","
    // opens the settings; true when the key was one of them.
    bool handleKeyDownEvent(const KeyEvent& event);
    // A pointer event of the stream, which the panel hears wherever the pointer is.
    void handlePointerEvent(const TapEvent& event);

    void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view) override;

    bool isActive() const { return m_active; }
    // Both devices held, the grid about to open or open.
    bool holdsKeyboard() const;
    bool holdsPointer() const;
    const std::vector<ZRFullSizeOverlayGrid*>& grids() const { return m_grids; }
    // The grid with a valid hover, else the first; null without grids.
    ZRFullSizeOverlayGrid* currentGrid() const;
    bool assumeKeyboardInteraction() const { return m_assumeKeyboardInteraction; }
    ZRGridCoordinates gridAnchorCoordinates() const { return m_gridAnchorCoordinates; }
    void setGridAnchorCoordinates(ZRGridCoordinates coordinates) { m_gridAnchorCoordinates = coordinates; }

protected:
    // The panel reads its own keys (sendEvent); its clicks come from the stream.
    bool event(QEvent* event) override;

private:
    ZRFullSizeGridOverlayWindow();

    void removeGrids();
    void addGrid(const ZRVirtualScreen& screen, const Rect& skafableFrame, const Rect& windowFrame,
                 const QVariantMap& dimensions);
    void takeDevices();
    void becomeActive();
    void grabFinished(bool granted);
    void releaseDevices();
    bool moveSelection(int columnStep, int rowStep, bool extend);
    void sendAction(ZRFullSizeOverlayGrid& grid);
    ZRFullSizeOverlayGrid* gridAtGlobalPoint(const QPointF& point) const;
    const ZRVirtualScreen* screenOfGrid(const ZRFullSizeOverlayGrid& grid) const;

    AXElementRef m_controlledWindow;
    std::vector<ZRFullSizeOverlayGrid*> m_grids;
    // The virtual screen of each grid, in the same order.
    std::vector<ZRVirtualScreen> m_gridScreens;
    std::vector<ZRVirtualScreen> m_coveredScreens;
    std::unique_ptr<EventTap> m_globalMonitor;
    bool m_assumeKeyboardInteraction = false;
    ZRGridCoordinates m_gridAnchorCoordinates;

    Action m_action;
    bool m_active = false;
    bool m_coversAllScreens = false;
    Rect m_windowFrame;
    QPointer<WindowInputGrab> m_keyboardGrab;
    QPointer<WindowInputGrab> m_pointerGrab;
    // Inside activateForWindow: a refusal then is answered, not beeped.
    bool m_activating = false;
    bool m_refused = false;
    // The grid a press began a drag selection on.
    QPointer<ZRFullSizeOverlayGrid> m_mouseGrid;
    QMetaObject::Connection m_focusWindowChanged;
    PendingPerform m_updateHover;
};
