#pragma once

#include "../FakeActionHost.h"
#include "DesktopTest.h"
#include "Elements.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRDropZoneActivation.h"
#include "actions/ZRFullSizeGridOpener.h"
#include "actions/ZRKeyboardControlPanelInterface.h"
#include "actions/ZRKeyboardMenuPresenter.h"
#include "actions/ZRPaletteHiding.h"
#include "actions/ZRPaletteItemButtonInterface.h"
#include "keyboard-control/KeyEvent.h"
#include "keyboard-control/ZRHotKey.h"
#include "platform/foundation/DispatchQueue.h"

#include <functional>
#include <memory>

class FakeKeyboardMenu : public ZRKeyboardMenuPresenter {
public:
    struct PopUp {
        std::shared_ptr<ZRAction> control;
        const void* reference = nullptr;
        std::vector<std::shared_ptr<ZRAction>> actions;
        bool topLevel = false;
        std::optional<QString> title;
    };
    std::vector<PopUp> popUps;
    int closed = 0;

    bool popUpKeyboardMenuForControl(const std::shared_ptr<ZRAction>& control, const void* reference,
                                     const std::vector<std::shared_ptr<ZRAction>>* actions,
                                     const std::optional<QString>& title, bool* repeat, bool) override {
        popUps.push_back({control, reference, actions ? *actions : std::vector<std::shared_ptr<ZRAction>>(),
                          actions == nullptr, title});
        if (repeat)
            *repeat = true;
        return true;
    }
    void close() override { ++closed; }
};

class FakeKeyboardControlPanel : public ZRKeyboardControlPanelInterface {
public:
    bool active = false;
    bool hasFrame = true;
    AXElementRef window;
    std::vector<AXElementRef> opened;
    int rescheduled = 0;

    bool activateForWindow(const AXElementRef& w) override {
        opened.push_back(w);
        active = hasFrame;
        window = w;
        return hasFrame;
    }
    bool isActive() const override { return active; }
    void setActive(bool a) override { active = a; }
    AXElementRef controlledWindow() const override { return window; }
    void scheduleAutoDeactivation() override { ++rescheduled; }
};

class FakeDropZones : public ZRDropZoneActivation {
public:
    bool dragging = false;
    bool active = false;
    std::vector<const ZRAction*> activations;

    bool isDraggingWindow() const override { return dragging; }
    bool isActive() const override { return active; }
    bool activateForAction(const ZRAction& action) override {
        activations.push_back(&action);
        active = true;
        return true;
    }
    bool deactivate() override { return std::exchange(active, false); }
};

// Every test: a fresh desktop of two screens side by side (the second smaller), workers run by hand,
// an empty action store and the engine with its beeps counted. The first application added is
// frontmost, and its front window is the focused one.
class ActionEngineTest : public DesktopTest {
protected:
    static constexpr Rect PrimaryScreen{0, 0, 1440, 900};
    static constexpr Rect SecondScreen{1440, 0, 1280, 720};

    void SetUp() override {
        DesktopTest::SetUp();
        DispatchQueue::setManualForTesting(true);
        ZRActionManager::setActionManager(std::make_unique<ZRActionManager>());
        ZRAction::setHost(&host);
        desktop.addScreen(PrimaryScreen);
        secondScreen = desktop.addScreen(SecondScreen);
        engine = std::make_unique<ZRActionController>();
        engine->setBeepHandler([this] { ++beeps; });
    }

    void TearDown() override {
        engine.reset();
        ZRActionManager::setActionManager(nullptr);
        ZRAction::setHost(nullptr);
        DispatchQueue::drainForTesting();
        DispatchQueue::setManualForTesting(false);
        DesktopTest::TearDown();
    }

    SimApplication& application(const QString& bundleIdentifier = QStringLiteral("com.example.editor"),
                                const QString& name = QStringLiteral("Editor")) {
        for (const RunningApplication& running : desktop.workspace().runningApplications()) {
            if (running.bundleIdentifier == bundleIdentifier)
                return *applications.at(running.processIdentifier);
        }
        SimApplication& added = desktop.addApplication(bundleIdentifier, name);
        applications[added.pid()] = &added;
        return added;
    }

    SimWindow& addWindow(const Rect& quartzFrame, const QString& title = QStringLiteral("Document")) {
        return desktop.addWindow(application(), quartzFrame, title);
    }

    static std::shared_ptr<ZRAction> action(ZRActionType type,
                                            const std::function<void(ZRAction&)>& configure = {}) {
        auto made = ZRAction::actionWithType(type);
        if (configure)
            configure(*made);
        return made;
    }

    // An action of the store with a global hot key.
    std::shared_ptr<ZRAction> actionWithHotKey(ZRActionType type, KeyCode key, ModifierFlags flags,
                                               const std::function<void(ZRAction&)>& configure = {}) {
        auto made = action(type, configure);
        const auto hotKey = ZRHotKey::hotKeyWithIdentifer(made->uniqueIdentifier(), QString(), key, flags);
        made->setHotKey(hotKey);
        EXPECT_TRUE(hotKey->registerForDelegate(*made, false));
        ZRActionManager::actionManager().insertAction(made);
        return made;
    }

    static KeyEvent hotKeyPress(const std::shared_ptr<ZRHotKey>& hotKey) {
        KeyEvent event;
        event.type = KeyEventType::SystemDefined;
        event.subtype = SystemDefinedSubtype::HotKeyPressed;
        event.data1 = hotKey->hotKeyReference();
        event.modifierFlags = hotKey->modifierFlags();
        return event;
    }

    static KeyEvent keyDown(KeyCode key, ModifierFlags flags = 0) {
        KeyEvent event;
        event.keyCode = key;
        event.modifierFlags = flags;
        return event;
    }

    bool trigger(const std::shared_ptr<ZRAction>& triggered, bool updateChains = true) {
        return engine->triggerAction(triggered, nullptr, updateChains, nullptr, false, false);
    }

    std::uint32_t secondScreen = 0;
    std::map<pid_t, SimApplication*> applications;
    FakeActionHost host;
    std::unique_ptr<ZRActionController> engine;
    int beeps = 0;
};
