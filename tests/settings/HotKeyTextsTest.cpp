// A hot key reads the same wherever the user meets it, in the desktop's own style: the sidebar's row, the
// keyboard control panel's cheat sheet, the status menu and the keyboard menu opened by a hot key that
// several actions share. The stored "Visual Representation" keeps its own form.
#include "KeyboardControlTestSupport.h"
#include "SettingsTestSupport.h"

#include "hotkeys/ZRHotKey.h"
#include "keyboard-control/ZRKeyboardControlPanel.h"
#include "keyboard-control/ZRKeyboardController.h"
#include "keyboard-control/ZRKeyboardMenu.h"
#include "keyboard-control/ZRKeyboardMenuItem.h"
#include "mouse-control/ZRFocusWindow.h"
#include "settings/ZRSourceListCell.h"
#include "shell/ZRStatusItemController.h"
#include "toolkit/WindowExtensions.h"

#include <QApplication>
#include <QKeySequence>
#include <QMenu>

namespace {

constexpr ModifierFlags ControlShift = ModifierFlag::Control | ModifierFlag::Shift;
constexpr KeyCode PanelKey = Key::F7;

QVariantMap hotKey(KeyCode keyCode, ModifierFlags flags) {
    return {{QStringLiteral("Key Code"), keyCode}, {QStringLiteral("Modifier Flags"), qint64(flags)}};
}

const struct Case {
    const char* title;
    KeyCode keyCode;
    ModifierFlags flags;
    const char* text;
} Cases[] = {
    {"Function Key", Key::F5, ControlShift, "Ctrl+Shift+F5"},
    {"Letter", Key::K, ModifierFlag::Control | ModifierFlag::Option, "Ctrl+Alt+K"},
    {"Arrow", Key::LeftArrow, ModifierFlag::Command | ModifierFlag::Option, "Meta+Alt+Left"},
    {"Return", Key::Return, ModifierFlag::Control, "Ctrl+Return"},
};

// The program with its settings window and keyboard control, each case's hot key on two actions, and an
// editor's window in front for the keyboard control panel.
class HotKeyTextsTest : public SettingsTest {
protected:
    HotKeyTextsTest() { launchesOnSetUp = false; }

    void SetUp() override {
        SettingsTest::SetUp();
        desktop.addWindow(desktop.addApplication(QStringLiteral("com.example.editor"), "Editor"),
                          Rect(200, 150, 600, 400));
        QVariantList records;
        for (const Case& c : Cases)
            for (const char* suffix : {"", " Too"})
                records.append(QVariantMap{
                    {ZRActionKey::Action, qint64(ZRActionTypeCenter)},
                    {ZRActionKey::Title, QString(QString::fromLatin1(c.title) + QLatin1String(suffix))},
                    {ZRActionKey::HotKey, hotKey(c.keyCode, c.flags)}});
        set(QStringLiteral("Custom Controls (4001)"), records);
        set(QStringLiteral("Keyboard Controls"), hotKey(PanelKey, ControlShift));
        set(QStringLiteral("Show Cheat Sheet"), true);
        ZRMainController& mainController = controller();
        mainController.addArea(std::make_unique<ZRKeyboardController>(
            mainController, program->store(), *keyboardControlContext(desktop, DesktopTest::settings())));
        setFadingDuration(&ZRFocusWindow::defaultFocusWindow(), 0);
        launch();
        auto& application = testApplication<ZRHotKeyHandlerApplication>();
        listening = application.listenToDesktop(desktop, defaults());
        application.setHotKeyHandler(&controller());
    }
    void TearDown() override {
        listening.disconnect();
        testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(nullptr);
        SettingsTest::TearDown();
    }

    void press(KeyCode keyCode, ModifierFlags flags) {
        desktop.setModifierFlags(flags);
        desktop.pressKey(keyCode);
        desktop.releaseKey(keyCode);
        desktop.setModifierFlags(0);
        RunLoop::main().advance(0.1);
    }

    QString sidebarText(const QString& title) const {
        ZRSourceListCell cell(sidebar());
        sidebar().willDisplayCell(cell, *row(title), ZRSourceListRowState{});
        return cell.hotKeyRepresentation();
    }
    QString statusMenuText(const QString& title) {
        ZRMainController& controller = this->controller();
        controller.menuNeedsUpdate(nullptr);
        for (const QAction* item : controller.statusItemController().menu()->actions())
            if (item->text() == title)
                return item->shortcut().toString(QKeySequence::NativeText);
        return QStringLiteral("(no item)");
    }
    QString keyboardMenuText(const Case& c) {
        press(c.keyCode, c.flags);
        const ZRKeyboardMenu* menu = ZRKeyboardMenu::keyboardMenuByCreatingIfNecessary(false);
        const QString text = menu && ZRKeyboardMenu::isVisible() && menu->rootItem()
                                 ? menu->rootItem()->title()
                                 : QStringLiteral("(no menu)");
        ZRKeyboardMenu::close();
        RunLoop::main().advance(1);
        return text;
    }
    // The desktop's hot keys reach the program until the test ends.
    Connection listening;
};

} // namespace

TEST_F(HotKeyTextsTest, EveryPlaceShowsAHotKeyInTheDesktopsStyle) {
    press(PanelKey, ControlShift);
    const ZRKeyboardControlPanel& panel = controller().area<ZRKeyboardController>()->keyboardControlPanel();
    ASSERT_TRUE(panel.isActive());
    const auto cheatSheetText = [&](const QString& title) {
        for (const auto& row : panel.keyboardControlDescriptions())
            if (row.actionName == title)
                return row.keyboardShortcut;
        return QStringLiteral("(no row)");
    };
    QStringList cheatSheet;
    for (const Case& c : Cases)
        cheatSheet << cheatSheetText(QString::fromLatin1(c.title));
    // It closes by itself after a while.
    RunLoop::main().advance(10);
    ASSERT_FALSE(panel.isActive());

    for (qsizetype i = 0; i < qsizetype(std::size(Cases)); ++i) {
        const Case& c = Cases[i];
        const QString title = QString::fromLatin1(c.title);
        SCOPED_TRACE(c.title);
        const QStringList read{sidebarText(title), cheatSheet[i], statusMenuText(title), keyboardMenuText(c)};
        EXPECT_EQ(read, QStringList(4, QString::fromUtf8(c.text)));
    }

    // The longer texts leave the titles room in the sidebar, in either look.
    for (const bool dark : {false, true}) {
        desktop.workspace().setDarkAppearance(dark);
        QApplication::processEvents();
        saveScreenshot(sourceList().grab().toImage(),
                       QStringLiteral("sidebar-hot-keys") +
                           (dark ? QStringLiteral("-dark") : QStringLiteral("-light")));
    }

    // The settings file keeps the stored form, which other programs read.
    for (const auto& action : store().allActions())
        if (action->displayNameWithSuffixes() == QStringLiteral("Function Key")) {
            EXPECT_EQ(
                action->hotKey()->dictionaryRepresentation().value(QStringLiteral("Visual Representation")),
                QStringLiteral("\u2303\u21E7F5"));
        }
}
