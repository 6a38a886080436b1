#pragma once

#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"

#include <cstdlib>
#include <map>

// The three facilities the toolkit asks of the desktop, with values a test sets. Installed while it
// lives; the facilities the toolkit never uses end the test program when touched.
class FakeInputState : public InputState {
public:
    Point pointer;
    ModifierFlags flags = 0;
    std::map<KeyCode, QString> characters;

    Point pointerLocation() const override { return pointer; }
    ModifierFlags modifierFlags() const override { return flags; }
    QString characterForKeyCode(KeyCode keyCode, ModifierFlags) const override {
        const auto it = characters.find(keyCode);
        return it == characters.end() ? QString() : it->second;
    }
    bool reportsFunctionModifier() const override { return true; }
    double keyRepeatDelay() const override { return 0.5; }
    double keyRepeatInterval() const override { return 0.05; }
};

class FakeWorkspace : public Workspace {
public:
    bool dark = false;
    Color accent{0.0, 0.4, 1.0, 1.0};
    bool increaseContrast = false;

    std::optional<RunningApplication> frontmostApplication() const override { return std::nullopt; }
    std::vector<RunningApplication> runningApplications() const override { return {}; }
    std::optional<RunningApplication> applicationWithProcessIdentifier(pid_t) const override {
        return std::nullopt;
    }
    bool activateApplication(pid_t, bool) override { return false; }
    bool hideOtherApplications(pid_t) override { return false; }
    bool isDarkAppearance() const override { return dark; }
    Color accentColor() const override { return accent; }
    bool increaseContrastEnabled() const override { return increaseContrast; }
};

class FakeScreens : public Screens {
public:
    std::vector<ScreenInfo> list{
        ScreenInfo{1, QStringLiteral("Primary"), Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875), 1.0}};
    std::vector<ScreenInfo> screens() const override { return list; }
    bool screensHaveSeparateSpaces() const override { return true; }
    bool compositingActive() const override { return false; }
};

class FakePlatform : public Platform {
public:
    FakeInputState input;
    FakeWorkspace workspaceState;
    FakeScreens screenState;

    FakePlatform() { Platform::setCurrent(this); }
    ~FakePlatform() override { Platform::setCurrent(nullptr); }

    QString name() const override { return QStringLiteral("fake"); }
    InputState& inputState() override { return input; }
    Workspace& workspace() override { return workspaceState; }
    Screens& screens() override { return screenState; }
    Accessibility& accessibility() override { std::abort(); }
    WindowServer& windowServer() override { std::abort(); }
    EventStream& eventStream() override { std::abort(); }
    GlobalHotKeys& globalHotKeys() override { std::abort(); }
    SystemPreferences& systemPreferences() override { std::abort(); }
    Processes& processes() override { std::abort(); }
    OverlayWindows& overlayWindows() override { std::abort(); }
};
