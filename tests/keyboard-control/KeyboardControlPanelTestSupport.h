#pragma once

#include "DesktopTest.h"
#include "Elements.h"
#include "KeyboardControlTestSupport.h"
#include "SimOwnWindowInput.h"
#include "TestApplication.h"

#include "actions/ZRKeyboardControlPanelDelegate.h"
#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "keyboard-control/ZRKeyboardControlPanel.h"
#include "mouse-control/ZRFocusWindow.h"
#include "toolkit/WindowExtensions.h"

#include <QPointer>
#include <memory>
#include <vector>

// Writes down what the panel tells its delegate, and answers as a test asks.
class RecordingPanelDelegate : public ZRKeyboardControlPanelDelegate {
public:
    std::vector<bool> activations;
    std::vector<KeyCode> keys;
    bool consumes = true;
    bool closesOnKey = false;
    bool allowsAutoDeactivation = true;
    int autoDeactivationQuestions = 0;

    void keyboardControlPanelDidBecomeActive(ZRKeyboardControlPanelInterface&, bool active) override {
        activations.push_back(active);
    }
    bool keyboardControlPanelShouldIgnoreEvent(ZRKeyboardControlPanelInterface& panel,
                                               const KeyEvent& event) override {
        keys.push_back(event.keyCode);
        if (closesOnKey)
            panel.setActive(false);
        return consumes;
    }
    bool keyboardControlPanelShouldAutoDeactivate(ZRKeyboardControlPanelInterface&) override {
        ++autoDeactivationQuestions;
        return allowsAutoDeactivation;
    }
};

// Every test of the panel: the program's application object, a screen with a bar of 25 points at its top,
// an editor's window in front, a focus window of the test's own and the panel without fades, and the keys
// of the simulated desktop handed to the window that holds the keyboard.
class KeyboardControlPanelTest : public DesktopTest {
protected:
    static constexpr Rect Screen{0, 0, 1440, 900};
    static constexpr Rect VisibleFrame{0, 0, 1440, 875};
    // Quartz.
    static constexpr Rect WindowFrame{200, 150, 600, 400};

    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        DesktopTest::SetUp();
        screen = desktop.addScreen(Screen, VisibleFrame);
        input = std::make_unique<SimOwnWindowInput>(desktop);
        editor = &desktop.addWindow(desktop.addApplication(QStringLiteral("com.example.editor"), "Editor"),
                                    WindowFrame);
        focus = ZRFocusWindow::focusWindowWithFrame(Rect(), settings(), RunLoop::main(), desktop.screens());
        setFadingDuration(focus.get(), 0);
    }
    void TearDown() override {
        delete panel.data();
        RunLoop::main().runPending();
        focus.reset();
        input.reset();
        DesktopTest::TearDown();
    }

    ZRKeyboardControlPanel& makePanel() {
        panel = ZRKeyboardControlPanel::overlayPanelWithFrame(keyboardControl(), Rect(), nullptr, {});
        setFadingDuration(panel, 0);
        panel->setDelegate(&delegate);
        return *panel;
    }
    AXElementRef editorElement() const { return elementOf(*editor); }
    OwnWindowId keyboardHolder() { return desktop.overlayWindows().keyboardHolder(); }
    bool panelHoldsKeyboard() { return panel && keyboardHolder() == OwnWindowId(panel->winId()); }
    std::int64_t focusCounter() const { return focus->activeCounter(); }
    // Keyboard control's context on the test's desktop and settings, with the test's own focus window.
    ZRKeyboardControlContext keyboardControl() {
        return {desktop, settings(), RunLoop::main(), [this]() -> ZRFocusWindow& { return *focus; },
                ZRWindowObserver::defaultObserver()};
    }
    static ZRKeyboardControlDescription row(const QString& name, const QString& keys,
                                            std::optional<ZRActionType> type = ZRActionTypeMove) {
        return {name, keys, nullptr, type};
    }

    std::uint32_t screen = 0;
    std::unique_ptr<SimOwnWindowInput> input;
    SimWindow* editor = nullptr;
    std::unique_ptr<ZRFocusWindow> focus;
    QPointer<ZRKeyboardControlPanel> panel;
    RecordingPanelDelegate delegate;
};
