#pragma once

#include "DesktopTest.h"
#include "Elements.h"
#include "TestActionStore.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionHost.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRActionSourceListRow.h"
#include "actions/ZRDropZoneActivation.h"
#include "actions/ZRFullSizeGridOpener.h"
#include "actions/ZRKeyboardControlPanelInterface.h"
#include "actions/ZRKeyboardMenuPresenter.h"
#include "actions/ZRPaletteHiding.h"
#include "actions/ZRPaletteItemButtonInterface.h"
#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyDelegate.h"
#include "hotkeys/ZRHotKeyReferencePool.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/PropertyList.h"
#include "window-access/WindowObserver.h"

#include <functional>
#include <memory>
#include <vector>

// The settings' side of the actions: the hot keys a test gives it, and the requests it hears counted.
class FakeActionHost : public ZRActionHost {
public:
    std::vector<std::shared_ptr<ZRHotKey>> settings;
    int assignRequests = 0;

    std::vector<std::shared_ptr<ZRHotKey>> settingsHotKeys() const override { return settings; }
    void didSetHotKey(const std::shared_ptr<ZRHotKey>&, const QString&) override {}
    void assignKeyboardControlHotKey() override { ++assignRequests; }
};

// A sidebar row of an action, with the rows of its members.
class Row : public ZRActionSourceListRow {
public:
    explicit Row(std::shared_ptr<ZRAction> action, std::vector<const Row*> children = {})
        : m_action(std::move(action)), m_children(std::move(children)) {}
    std::shared_ptr<ZRAction> action() const override { return m_action; }
    std::vector<const ZRActionSourceListRow*> childRows() const override {
        return {m_children.begin(), m_children.end()};
    }

private:
    std::shared_ptr<ZRAction> m_action;
    std::vector<const Row*> m_children;
};

// Answers the question about a missing "Keyboard Controls" hot key as the test says, and counts.
class FakeKeyboardControlAlert : public ZRKeyboardControlHotKeyMissingAlert {
public:
    explicit FakeKeyboardControlAlert(int* asked, const Answer* answer) : m_asked(asked), m_answer(answer) {}
    Answer run(const ZRHotKey&) override {
        ++*m_asked;
        return *m_answer;
    }

private:
    int* m_asked;
    const Answer* m_answer;
};

// Every test: a fresh action store of its own, and the missing-hot-key question answered by the test. No hot
// key may stay registered.
class ActionModelTest : public DesktopTest {
protected:
    void TearDown() override {
        actionStore.reset();
        RunLoop::main().runPending();
        EXPECT_TRUE(ZRHotKeyReferencePool::defaultPool().countersByReference().empty());
        DesktopTest::TearDown();
    }

    // The test's action store, made and loaded from the settings on first use, as a start of the program
    // loads it.
    ZRActionManager& store() {
        if (!actionStore) {
            ZRActionManager::registerDefaults(settings());
            makeStore();
            return actionStore->loaded();
        }
        return actionStore->store();
    }

    // A new store of the case's own, unloaded, its missing-hot-key question answered by the test.
    ZRActionManager& makeStore() {
        actionStore.emplace(settings(), desktop.globalHotKeys());
        actionStore->store().context().keyboardControlHotKeyMissingAlert =
            std::make_unique<FakeKeyboardControlAlert>(&alertsShown, &alertAnswer);
        return actionStore->store();
    }

    std::optional<TestActionStore> actionStore;

    // What the hot keys of a case are made with: the case's desktop and settings.
    ZRHotKeyContext hotKeyContext() const { return {desktop.globalHotKeys(), settings(), RunLoop::main()}; }

    // A record through the XML form and back, as the settings file carries it.
    static QVariant throughXml(const QVariant& value) {
        const auto read = PropertyList::fromData(PropertyList::toData(value));
        EXPECT_TRUE(read.ok()) << read.error.toStdString();
        return read.value;
    }

    std::shared_ptr<ZRHotKey> hotKey(KeyCode keyCode, ModifierFlags flags, const QString& identifier) const {
        return ZRHotKey::hotKeyWithIdentifer(identifier, QString(), keyCode, flags, hotKeyContext());
    }

    bool isRegistered(KeyCode keyCode, ModifierFlags flags) const {
        return desktop.globalHotKeys().isRegistered(keyCode, flags);
    }

    int alertsShown = 0;
    ZRKeyboardControlHotKeyMissingAlert::Answer alertAnswer =
        ZRKeyboardControlHotKeyMissingAlert::Answer::Cancel;
};

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

// Every test of the engine: besides the above, a desktop of two screens side by side (the second
// smaller), workers run by hand, an empty action store, the settings' side of the actions, and the
// engine with its beeps counted. The first application added is frontmost, and its front window is the
// focused one.
class ActionEngineTest : public ActionModelTest {
protected:
    static constexpr Rect PrimaryScreen{0, 0, 1440, 900};
    static constexpr Rect SecondScreen{1440, 0, 1280, 720};

    void SetUp() override {
        ActionModelTest::SetUp();
        DispatchQueue::setManualForTesting(true);
        makeStore().context().host = &host;
        desktop.addScreen(PrimaryScreen);
        secondScreen = desktop.addScreen(SecondScreen);
        engine = std::make_unique<ZRActionController>(store(), settings(), desktop, RunLoop::main(),
                                                      ZRWindowObserver::defaultObserver());
        engine->setBeepHandler([this] { ++beeps; });
    }

    void TearDown() override {
        engine.reset();
        DispatchQueue::drainForTesting();
        DispatchQueue::setManualForTesting(false);
        ActionModelTest::TearDown();
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
        const auto hotKey =
            ZRHotKey::hotKeyWithIdentifer(made->uniqueIdentifier(), QString(), key, flags, hotKeyContext());
        made->setHotKey(hotKey);
        EXPECT_TRUE(hotKey->registerForDelegate(*made, false));
        store().insertAction(made);
        return made;
    }

    static KeyEvent hotKeyPress(const std::shared_ptr<ZRHotKey>& hotKey) {
        return keyEventFromHotKeyEvent({hotKey->hotKeyReference(), true, ZRHotKeySignature, 0, 0},
                                       hotKey->modifierFlags());
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
