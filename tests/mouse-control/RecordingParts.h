#pragma once

#include "MouseControlContext.h"
#include "MouseControlTestSupport.h"
#include "TestProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlDropZones.h"
#include "mouse-control/ZRMouseControlHover.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseControlPalette.h"
#include "mouse-control/ZRMouseControlSnapping.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "toolkit/ZRCGEventWrapper.h"

#include <functional>

// Stand-ins for the parts that act on tapped events: each call is written down in order, and the parts
// drive the controller's gestures the way the real ones do when a test asks them to.
class RecordingParts : public ZRMouseControlHover,
                       public ZRMouseControlSnapping,
                       public ZRMouseControlPalette,
                       public ZRMouseControlDropZones,
                       public ZRMouseControlKeyboardMenu {
public:
    QStringList calls;
    // The gestures of the controller the parts were given to.
    ZRMouseGestures* gestures = nullptr;
    // Answers of the palette and the drop zones.
    bool hidesOverlay = true;
    bool showsOverlay = false;
    bool activates = true;
    // A hover move step starts the gesture on this window; tracking for snapping takes it too.
    AXElementRef window;
    bool hoverStartsGesture = true;
    bool snappingTracksWindow = true;
    std::vector<std::shared_ptr<ZRAction>> activatedLayouts;
    std::vector<std::shared_ptr<ZRCGEventWrapper>> processedWrappers;
    std::vector<Point> processedLocations;
    // The drop zones show while activated for a layout, with this frame picked.
    bool zonesActive = false;
    Rect zoneFrame;
    // The keyboard menu shows from a pop-up to a close.
    bool menuVisible = false;
    std::vector<EntryItem> popUps;
    std::vector<std::int64_t> selections;

    void moveOrResize(ZRHoverMode mode, const TapEvent*) override {
        calls += mode == ZRHoverModeMove ? QStringLiteral("hover move") : QStringLiteral("hover resize");
        if (hoverStartsGesture) {
            gestures->hover.begin(window);
            if (mode == ZRHoverModeMove)
                gestures->hover.noteMoveStep();
        }
    }

    void updateHoverResizeModeSelector() override {}

    void setSnapWindowFromTappedMouseEvent(const TapEvent* event) override {
        calls += event ? QStringLiteral("track") : QStringLiteral("end tracking");
        if (!event)
            gestures->snap.endTracking();
        else
            gestures->snap.beginTracking(snappingTracksWindow ? window : nullptr);
    }
    void updateSnapWindowStatusWithTappedMouseDraggedEvent(const TapEvent&) override {
        calls += QStringLiteral("status");
        gestures->snap.noteMoved();
    }
    void prepareToSnap() override { calls += QStringLiteral("prepare to snap"); }
    void snapBack() override { calls += QStringLiteral("snap back"); }
    void dropSnap() override { calls += QStringLiteral("drop snap"); }

    bool shouldHideOverlayForTappedMouseEvent(const TapEvent&) override {
        calls += QStringLiteral("should hide");
        return hidesOverlay;
    }
    void hideOverlayRegardless() override { calls += QStringLiteral("hide palette"); }
    bool isShowingOverlay() const override { return showsOverlay; }
    void processTappedMouseMovedEvent(const std::shared_ptr<ZRCGEventWrapper>& wrapper) override {
        calls += QStringLiteral("process move");
        processedWrappers.push_back(wrapper);
        if (wrapper && wrapper->event())
            processedLocations.push_back(wrapper->event()->location);
    }

    bool activateForAction(const std::shared_ptr<ZRAction>& action) override {
        calls += action ? QStringLiteral("show zones %1").arg(action->userDefinedName().value_or(QString()))
                        : QStringLiteral("show no zones");
        activatedLayouts.push_back(action);
        zonesActive = activates && action;
        return activates;
    }
    bool updateWithCGLocation(const Point&) override {
        calls += QStringLiteral("update zones");
        return true;
    }
    bool isActive() const override { return zonesActive; }
    Rect dropFrame() const override { return zoneFrame; }
    bool deactivate() override { return std::exchange(zonesActive, false); }

    bool isVisible() const override { return menuVisible; }
    void close() override {
        calls += QStringLiteral("close menu");
        menuVisible = false;
    }
    void vanishAndClose() override {
        calls += QStringLiteral("vanish menu");
        menuVisible = false;
    }
    double lineHeightForScreen(const ScreenInfo&) const override { return ChooserLineHeight; }
    bool popUpWithEntryItem(const EntryItem& entry, const ScreenInfo&, bool, const void*) override {
        popUps.push_back(entry);
        menuVisible = true;
        return true;
    }
    bool selectItemAtIndex(std::int64_t index) override {
        selections.push_back(index);
        return true;
    }
    static constexpr double ChooserLineHeight = 40;
};

// A controller of its own with every part recorded, and an empty action store.
class MouseDispatchTest : public MouseControlTest {
protected:
    std::optional<TestProgram> program;

    void SetUp() override {
        MouseControlTest::SetUp();
        program.emplace(settings(), Platform::current());
        ZRActionManager::registerDefaults(settings());
        desktop.addScreen(Rect(0, 0, 1440, 900));
        auto& application =
            desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
        parts.window = desktop.accessibility().applicationElement(application.pid());
        makeController();
    }

    // A new controller, with no feature on and no gesture running, given the recorded parts.
    void makeController() {
        controller.reset();
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        parts.gestures = &controller->gestures();
        controller->setHover(&parts);
        controller->setSnapping(&parts);
        controller->setPalette(&parts);
        controller->setDropZones(&parts);
        controller->setKeyboardMenu(&parts);
    }

    void TearDown() override {
        controller.reset();
        // The layouts shown go with the store, taking their hot keys with them.
        parts.activatedLayouts.clear();
        program.reset();
        MouseControlTest::TearDown();
    }

    // A layout with one window, named by its title, at the front of the store; a hot key when flags are
    // given.
    std::shared_ptr<ZRAction> addLayout(const QString& title, std::optional<ModifierFlags> hotKeyFlags = {},
                                        bool withWindow = true, bool localHotKey = false) {
        auto action = ZRAction::actionWithType(ZRActionTypeLayout);
        action->setName(title);
        if (withWindow) {
            ZRSnapshot snapshot;
            snapshot.windowDescriptions.push_back(ZRMakeWindowDescription(
                {QStringLiteral("com.example.Editor"), QStringLiteral("Editor"), title, Rect(0, 0, 400, 300),
                 Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 900)}));
            action->setSnapshot(snapshot);
        }
        if (hotKeyFlags) {
            auto hotKey = ZRHotKey::hotKeyWithIdentifer(
                action->uniqueIdentifier(), QString(), Key::K, *hotKeyFlags,
                ZRHotKeyContext{desktop.globalHotKeys(), settings(), RunLoop::main()});
            hotKey->setCanBeLocal(localHotKey);
            action->setHotKey(hotKey);
        }
        ZRActionManager::actionManager().insertAction(action);
        return action;
    }

    // Sets the features as the controller does when a setting changes: as a whole, from those in place.
    template <typename Change> void changeFeatures(Change change) {
        ZRMouseControlFeatures features = controller->features();
        change(features);
        controller->setFeatures(features);
    }

    static TapEvent event(TapEventType type, ModifierFlags flags = 0, Point location = Point(500, 400)) {
        TapEvent e;
        e.type = type;
        e.flags = flags;
        e.location = location;
        return e;
    }

    void dispatch(const TapEvent& e) { ZRMouseEventTapCallback(*controller, e); }

    RecordingParts parts;
    std::unique_ptr<ZRMouseController> controller;
};
