#pragma once

#include "actions/ZRPaletteHiding.h"
#include "mouse-control/ZRMouseControlPalette.h"
#include "mouse-control/ZRMouseControlPaletteWindows.h"
#include "mouse-control/ZROverlayButtonDelegates.h"
#include "mouse-control/ZROverlayGridInterface.h"
#include "mouse-control/ZROverlayWindowDelegate.h"
#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/foundation/RunLoop.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class ZRActionController;
class ZRMouseControlPaletteLayout;
class ZRMouseController;
struct ZRMouseControlContext;
struct ZRMouseGestures;
class ZROverlayButton;
class ZROverlayMenuButton;
class ZROverlayWindow;
class ZRPaletteLayout;
class ZRTriggerUIElement;
class ZRZoomButtonOverlayWindow;
struct ZRPaletteContentLayout;

// The palette: a small panel of controls that hangs beside a window's title-bar button once the pointer
// rests on it. Its buttons fill the screen, take a half or, with Option, a quarter or the centre, revert the
// window or open the custom actions; the actions the user placed in the palette editor and a resize grid
// may join them. A zoom-button overlay over the window's own button comes first when "Mouse Controls: Zoom
// Button Behavior" asks for it. Everything the palette does to a window goes through skaf, which also
// serves the full-size grid. The mouse controller makes it and its delayed requests have the controller as
// their target. Main thread only.
class ZRPalette : public QObject,
                  public ZRMouseControlPalette,
                  public ZRMouseControlPaletteWindows,
                  public ZRPaletteHiding,
                  public ZROverlayWindowDelegate,
                  public ZROverlayButtonDragDirectionDelegate,
                  public ZROverlayButtonToolTipProvider,
                  public ZROverlayButtonMenuDelegate {
    Q_OBJECT
public:
    // The palette's interface, built in code.
    static inline const QString InterfaceName = QStringLiteral("Palette");
    // The palette's own settings.
    static inline const QString IncludeCustomControlsUserDefaultName =
        QStringLiteral("Mouse Controls Include Custom Controls");
    static inline const QString GridUserDefaultName = QStringLiteral("Mouse Controls Grid");
    static inline const QString GridModeUserDefaultName = QStringLiteral("Mouse Controls Grid: Mode");
    static inline const QString DisableMaterialUserDefaultName = QStringLiteral("Disable Material");
    static inline const QString AppleImmutableUserDefaultName =
        QStringLiteral("Mouse Controls Trigger: Apple: Immutable");

    // Tags of the standard buttons: the ZRPosition each stands for.
    static constexpr std::int64_t RevertButtonTag = 0;
    static constexpr std::int64_t FullButtonTag = 2;
    static constexpr std::int64_t TopButtonTag = 3;
    static constexpr std::int64_t RightButtonTag = 5;
    static constexpr std::int64_t BottomButtonTag = 7;
    static constexpr std::int64_t LeftButtonTag = 9;
    // The position skaf remembers for a frame a grid chose.
    static constexpr std::int64_t GridSelectionPosition = 1001;
    // The palette lies above the program's other overlays, and above the zoom-button overlay when the
    // trigger is another button.
    static constexpr int PaletteLevel = 100;
    static constexpr int OtherTriggerPaletteLevel = 101;
    static constexpr int ZoomButtonOverlayLevel = 100;
    static inline const QString ZoomButtonOverlayTitle = QStringLiteral("Zoom Button");

    // The controller and the gestures outlive the palette; the window of a running gesture is the one the
    // focus window follows.
    ZRPalette(ZRMouseController& controller, const ZRMouseGestures& gestures);
    ~ZRPalette() override;
    ZRPalette(const ZRPalette&) = delete;
    ZRPalette& operator=(const ZRPalette&) = delete;

    // --- Parts from above

    // Makes the palette's grid; without one "Mouse Controls Grid" counts as off.
    void setPaletteGridFactory(ZRPaletteGridFactory factory);
    // The palette editor's layout when the settings window gave one, else the stored layout.
    ZRMouseControlPaletteLayout& paletteLayout();

    // --- Showing and hiding (ZRMouseControlPalette, ZRPaletteHiding)

    // Builds, places and shows the palette for the trigger under the rested pointer (Keep, when it is the
    // current one or the pointer rests on the palette), or hides it (Miss). Without an event, while the
    // settings change the palette icon size, it shows at once beside their own window's button.
    void processTappedMouseMovedEvent(const std::shared_ptr<ZRCGEventWrapper>& wrapper) override;
    // A click outside both the palette and the zoom-button overlay.
    bool shouldHideOverlayForTappedMouseEvent(const TapEvent& event) override;
    bool isShowingOverlay() const override;
    void showOverlay();
    // Closes the palette and the overlay unless the pointer is inside one of them, when it tries again
    // after a while.
    void hideOverlay();
    void hideOverlayRegardless() override;
    void hideOverlayRegardless(bool regardless);
    void hideOverlayAfterDelay() override;

    // --- The windows as the settings reach them (ZRMouseControlPaletteWindows): the icon size's preview
    // and the keys held to put the palette away

    bool hasPaletteWindow() const override { return !m_overlayWindow.isNull(); }
    bool hasZoomButtonOverlayWindow() const override { return !m_zoomButtonOverlayWindow.isNull(); }
    bool isPaletteWindowVisible() const override;
    void invalidatePaletteWindowShadowSoon() override;
    // In front without a fade, or hidden; the window stays the palette's until it closes.
    void orderPaletteWindow(bool front) override;
    void orderZoomButtonOverlayWindow(bool front) override;
    void cancelPendingOverlayHides() override;
    // At termination: nothing shows or hides after the program let go of the desktop.
    void cancelPendingOverlayRequests();

    // --- State

    const std::shared_ptr<ZRTriggerUIElement>& currentTriggerUIElement() const {
        return m_currentTriggerUIElement;
    }
    ZROverlayWindow* overlayWindow() const;
    ZRZoomButtonOverlayWindow* zoomButtonOverlayWindow() const;
    QWidget* overlayView() const;
    ZROverlayMenuButton* revertButton() const;
    ZROverlayButton* fullButton() const;
    ZROverlayButton* leftButton() const;
    ZROverlayButton* rightButton() const;
    ZROverlayButton* topButton() const;
    ZROverlayButton* bottomButton() const;
    ZROverlayGridInterface* grid() const { return m_grid; }

    // The menu button's glyph of the custom actions: a person and a chevron, 27 × 21 points.
    static QImage customActionsGlyph();

    // --- Marking the buttons of the current frame

    // Whether the window (frame in Quartz coordinates, the same frame in Cocoa coordinates) stands where
    // the program last put it or at one of the palette's positions 2 to 10 on the screen of the trigger
    // location (Cocoa); the position (the last one that matched, -1 for none) goes to hasSkafFrameAtPosition
    // when given. A last frame that no longer matches is forgotten. With updateOverlayButtons every standard
    // button is told whether it stands for the frame, normally or with Option.
    bool windowWithCGFrame(const AXElementRef& window, const Rect& frame, const Rect& equalToFrame,
                           std::int64_t* hasSkafFrameAtPosition, Point triggerLocation,
                           bool updateOverlayButtons);

    // --- The buttons' action

    // What skaf reads of its sender.
    struct Sender {
        enum class Kind { Button, ZoomButtonOverlay, Grid };
        Kind kind = Kind::Button;
        // A button's tag, its mode and the directions of its press gesture.
        std::int64_t tag = 0;
        bool alternateMode = false;
        std::int64_t sectionDragDirection = -1;
        std::int64_t screenDragDirection = 0;
        // The zoom-button overlay reverts instead of filling the screen.
        bool canRevert = false;
        // The origin of the sender on the screen (Cocoa): the trigger location without a trigger.
        Point screenOrigin;
        // The grid that sent.
        ZROverlayGridInterface* grid = nullptr;
    };
    // Sets the frame the sender stands for on the window of the current trigger (else of the full-size
    // grid), remembering the window's original frame and the frame set, and closes the palette; beeps when
    // there is no window, nothing to revert to, no screen that way, or the frame could not be set. The
    // palette's placeholder grid opens the full-size grid instead.
    void skaf(const Sender& sender);
    void skaf(ZROverlayButton& button);
    void skaf(ZRZoomButtonOverlayWindow& overlay);
    void skaf(ZROverlayGridInterface& grid);
    // The position a standard button stands for in its mode (tags not of a standard button stand for
    // themselves), and a half refined into a quarter by the direction a press was dragged towards.
    static std::int64_t positionForButton(std::int64_t tag, bool alternateMode);
    static std::int64_t refinedPosition(std::int64_t position, std::int64_t sectionDragDirection);

    // The tool tip of a standard button in its mode; none for other tags.
    static std::optional<QString> toolTipForButton(std::int64_t tag, bool alternateMode, bool canShowMenu);
    // The neighbouring screens a press of a button may send the window to: none for the revert button or
    // with a single screen. The trigger decides where the screen is; without one, the button's origin on
    // the screen.
    struct ScreenDragDirections {
        bool up = false;
        bool right = false;
        bool down = false;
        bool left = false;
    };
    ScreenDragDirections screenDragDirectionsForButton(std::int64_t tag, Point buttonScreenOrigin) const;

    // ZROverlayButtonToolTipProvider, ZROverlayButtonDragDirectionDelegate, ZROverlayButtonMenuDelegate,
    // ZROverlayWindowDelegate: by the button's identity with the palette's buttons.
    std::optional<QString> toolTipForOverlayButton(const ZROverlayButton& button) override;
    void prepareScreenDragDirectionsForOverlayButton(ZROverlayButton& button) override;
    QMenu* menuForOverlayButton(ZROverlayButton& button) override;
    QMenu* contextMenuForOverlayHitView(QWidget* view) override;

    // The window the focus window takes its shape from: the one dragged for snapping, the hovered one, the
    // one of the keyboard control panel, the palette's, the full-size grid's; null for none.
    AXElementRef focusReferenceWindow() const;

private:
    ZRActionController& actions() const;
    bool boolSetting(const QString& key) const;
    std::int64_t integerSetting(const QString& key) const;
    static bool buildInterface(QObject* owner);
    // Steps of the build, each a part of processTappedMouseMovedEvent.
    bool loadContentView();
    void keep();
    void miss();
    void layOutContent(const AXElementRef& window, const Rect& cocoaFrame, const Rect& usableFrame,
                       bool revertShown, bool revertEnabled, bool customControls, bool canRevert);
    void makeOverlayWindow(Point triggerLocation, const Rect& usableFrame);
    // canRevertFilled: the window fills the screen and has an original frame to go back to.
    void decideShowing(bool preview, bool canRevertFilled);
    // Takes the content view out of the palette window and lets the window go, faded out when asked.
    void closeOverlayWindow(bool fade);
    void closeZoomButtonOverlayWindow(bool fade);
    // A hide after the delay; in the cases the first platform kept for its default mode it waits while a
    // menu of ours is open.
    void scheduleHide(double delay, bool waitsForMenus);
    // The location (Quartz) of the settings window's own trigger button, for the preview.
    std::optional<Point> previewLocation() const;
    Sender senderOfButton(const ZROverlayButton& button) const;
    // The trigger's location (Cocoa): the centre of its frame, else the given point.
    Point triggerLocationOr(Point fallback) const;
    // Sets the frame (Cocoa) on the window with the window observer paused, remembering it under the
    // position, and finishes the action: at once, or with "Animation" when the animation on the run loop
    // ends.
    void setWindowFrame(const AXElementRef& window, const Rect& current, const Rect& target,
                        bool keepRightEdge, bool keepBottomEdge, std::int64_t position);
    // The end of every use of the palette's action: the focus window follows the window, the palette
    // closes, and a failure beeps.
    void finishAction(const AXElementRef& window, bool failed);

    ZRMouseController& m_controller;
    const ZRMouseControlContext& m_context;
    const ZRMouseGestures& m_gestures;
    std::unique_ptr<ZRPaletteLayout> m_ownLayout;
    ZRPaletteGridFactory m_gridFactory;

    QPointer<ZRZoomButtonOverlayWindow> m_zoomButtonOverlayWindow;
    QPointer<ZROverlayWindow> m_overlayWindow;
    // Kept for the life of the palette, across its windows.
    QPointer<QWidget> m_overlayView;
    QPointer<ZROverlayMenuButton> m_revertButton;
    QPointer<ZROverlayButton> m_fullButton;
    QPointer<ZROverlayButton> m_leftButton;
    QPointer<ZROverlayButton> m_rightButton;
    QPointer<ZROverlayButton> m_topButton;
    QPointer<ZROverlayButton> m_bottomButton;
    ZROverlayGridInterface* m_grid = nullptr;
    QPointer<QWidget> m_gridView;

    std::shared_ptr<ZRTriggerUIElement> m_currentTriggerUIElement;
    // Each pointer move may ask again; every request runs at its own time, as the first must not wait for
    // the last.
    PendingPerforms m_showOverlayRequests;
    PendingPerforms m_hideOverlayRequests;
};
