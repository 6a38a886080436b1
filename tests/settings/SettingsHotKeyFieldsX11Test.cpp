// The keyboard menu's field as a user meets it in the keyboard pane of the settings window: on the private
// test display with openbox, beside an xterm, the program's hot keys grabbed on the root, keys typed with
// xdotool (XTest).
#include "HotKeyFieldTestSupport.h"
#include "TestProgram.h"
#include "X11TestSupport.h"

#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"
#include "settings/ZRSettingsController.h"
#include "shell/ZRMainController.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>

namespace {

using namespace X11Test;

// The picture of the field takes in its label and some of the pane around it.
constexpr QSize FieldPictureMargin(150, 20);

// An action that puts the frontmost window on the left half on Control-Shift-F5.
constexpr char SettingsWithAnAction[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>Custom Controls (4001)</key>
  <array><dict>
    <key>Action</key><integer>12</integer>
    <key>Identifier</key><string>left-half</string>
    <key>Move Direction</key><integer>9</integer>
    <key>Hot Key</key><dict>
      <key>Visual Representation</key><string>F5</string>
      <key>Key Code</key><integer>96</integer>
      <key>Modifier Flags</key><integer>393216</integer>
    </dict>
  </dict></array>
</dict></plist>
)";

class SettingsHotKeyFieldsX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        platform = createX11Platform(&error);
        ASSERT_TRUE(platform) << error.toStdString();
        input = X11FakeInput::open(&error);
        ASSERT_TRUE(input) << error.toStdString();
        Platform::setCurrent(platform.get());
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(SettingsWithAnAction) > 0);
        file.close();
        defaults = std::make_unique<UserDefaults>(settingsPath(), &platform->systemPreferences());
        defaults->load();
        auto& application = *ZRHotKeyHandlerApplication::instance();
        listening = application.listenToDesktop(*platform, *defaults);

        xterm = Client::start(QStringLiteral("xterm"), QStringLiteral("60x20+700+400"));
        ASSERT_TRUE(xterm);
        program.emplace(*defaults, *platform);
        ZRMainController& controller = program->controller();
        application.setHotKeyHandler(&controller);
        auto area = std::make_unique<ZRSettingsController>(program->settingsContext());
        settings = area.get();
        controller.addArea(std::move(area));
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();

        auto scripted = std::make_unique<ScriptedFieldAlerts>();
        alerts = scripted.get();
        ZRHotKeyTextView::setAlerts(std::move(scripted));
        field = controller.keyboardMenuHotKeyTextView();
        window = settings->preferencesWindow();
        window->move(100, 100);
        settings->showPreferencesTab(ZRSettingsTab::Keyboard, true);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        ASSERT_TRUE(field->isVisible()) << "the field is in the keyboard pane";
    }

    void TearDown() override {
        listening.disconnect();
        ZRHotKeyTextView::setAlerts(nullptr);
        program.reset();
        defaults.reset();
        Platform::setCurrent(nullptr);
        platform.reset();
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("Settings.plist")); }

    static void xdotool(const QStringList& arguments) { run(QStringLiteral("xdotool"), arguments); }

    void clickField() {
        // The window fits itself to the pane a moment after it shows, later on a busy machine: the click goes
        // where the field stays.
        QPoint point;
        ASSERT_TRUE(waitUntil([&] {
            const QPoint before = field->mapToGlobal(field->rect().center());
            processEvents(100);
            point = field->mapToGlobal(field->rect().center());
            return point == before && QApplication::widgetAt(point) == field;
        }));
        xdotool({"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
        ASSERT_TRUE(waitUntil([&] { return field->isRecording() && field->holdsKeyboard(); }));
    }

    // The window openbox calls active, from another client's view.
    static long activeWindow() {
        const auto values = xpropValues(0, QStringLiteral("_NET_ACTIVE_WINDOW"));
        return values.empty() ? 0 : values.front();
    }

    QTemporaryDir folder;
    std::unique_ptr<Platform> platform;
    // The settings the program is handed, on the desktop's preferences.
    std::unique_ptr<UserDefaults> defaults;
    std::optional<TestProgram> program;
    std::unique_ptr<X11FakeInput> input;
    std::unique_ptr<Client> xterm;
    ScriptedFieldAlerts* alerts = nullptr;
    ZRSettingsController* settings = nullptr;
    QMainWindow* window = nullptr;
    ZRHotKeyTextView* field = nullptr;
    // The desktop's hot keys reach the program until the test ends.
    Connection listening;
};

TEST_F(SettingsHotKeyFieldsX11Test, WhileRecordingTheKeysComeToTheFieldAndAreJudgedThere) {
    const auto xtermFrame = xwininfoGeometry(xterm->window());
    const auto ourFrame = xwininfoGeometry(static_cast<std::uint32_t>(window->winId()));
    const long ours = activeWindow();
    int hotKeyPresses = 0;
    const Connection counting = platform->globalHotKeys().hotKeyEvent.connect(
        [&](const HotKeyEvent& event) { hotKeyPresses += event.pressed; });
    clickField();
    EXPECT_EQ(input->tryKeyboardGrab(), GrabStatus::AlreadyGrabbed) << "the field has the keyboard";

    // An action's hot key and a binding of openbox's are refused with a beep; neither acts.
    xdotool({"key", "ctrl+shift+F5"});
    ASSERT_TRUE(waitUntil([&] { return alerts->beeps == 1; }));
    xdotool({"key", "alt+Tab"});
    ASSERT_TRUE(waitUntil([&] { return alerts->beeps == 2; }));
    processEvents(300);
    EXPECT_TRUE(field->isRecording());
    EXPECT_EQ(xwininfoGeometry(xterm->window()), xtermFrame);
    EXPECT_EQ(xwininfoGeometry(static_cast<std::uint32_t>(window->winId())), ourFrame);
    EXPECT_EQ(activeWindow(), ours) << "openbox switched windows";
    EXPECT_EQ(hotKeyPresses, 0);
    const QWidget* container = field->containerView();
    const QRect around(
        container->mapToGlobal(QPoint(-FieldPictureMargin.width(), -FieldPictureMargin.height())),
        container->size() + 2 * FieldPictureMargin);
    saveFieldPicture(
        window->screen()->grabWindow(0, around.x(), around.y(), around.width(), around.height()).toImage(),
        QStringLiteral("hot-key-field-x11-recording"));

    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitUntil([&] { return !field->isRecording(); }));
    EXPECT_TRUE(waitUntil([&] { return input->tryKeyboardGrab() == GrabStatus::Granted; }))
        << "the keyboard is given back";

    // Recorded: registered with the desktop and stored in the settings file.
    clickField();
    xdotool({"key", "ctrl+shift+F6"});
    ASSERT_TRUE(waitUntil([&] { return !field->isRecording(); }));
    EXPECT_EQ(alerts->beeps, 2);
    EXPECT_TRUE(program->controller().settingsHotKeyIsActive(QStringLiteral("Keyboard Menu")));
    ASSERT_TRUE(defaults->save());
    UserDefaults stored(settingsPath());
    stored.load();
    const QVariantMap record = stored.dictionaryForKey(QStringLiteral("Keyboard Menu"));
    EXPECT_EQ(record.value(QStringLiteral("Key Code")).toInt(), Key::F6);
    EXPECT_EQ(record.value(QStringLiteral("Modifier Flags")).toULongLong() &
                  ModifierFlag::ShiftControlOptionCommand,
              ModifierFlag::Shift | ModifierFlag::Control);
    EXPECT_EQ(input->tryKeyboardGrab(), GrabStatus::Granted);

    // Outside the field the action's hot key reaches the program as ever.
    xdotool({"windowactivate", "--sync", QString::number(xterm->window()), "key", "ctrl+shift+F5"});
    EXPECT_TRUE(waitUntil([&] { return hotKeyPresses == 1; }));
}

} // namespace
