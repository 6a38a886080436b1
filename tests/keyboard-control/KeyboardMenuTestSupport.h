#pragma once

#include "DesktopTest.h"
#include "KeyboardControlTestSupport.h"
#include "SimOwnWindowInput.h"
#include "TestApplication.h"

#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "keyboard-control/ZRKeyboardMenu.h"
#include "keyboard-control/ZRKeyboardMenuDefaults.h"
#include "keyboard-control/ZRKeyboardMenuItem.h"

#include <QTest>
#include <memory>
#include <optional>

// Every test of the keyboard menu: the program's application object, a screen whose usable height holds
// eight lines of 40 points (8 x 40 + 4 x 10 paddings + 2 x 50 margins), animations off and beeps counted.
class KeyboardMenuTest : public DesktopTest {
protected:
    static constexpr double LineHeight = 40;
    static constexpr Rect Screen{0, 0, 1000, 500};
    static constexpr Rect VisibleFrame{0, 20, 1000, 460};

    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        DesktopTest::SetUp();
        screen = desktop.addScreen(Screen, VisibleFrame);
        input = std::make_unique<SimOwnWindowInput>(desktop);
        // As the shell registers it at launch.
        settings().registerDefaults({{setting(ZRKeyboardMenuDefaults::TypeSelect), 2}});
        set(setting(ZRKeyboardMenuDefaults::DisableAnimation), true);
        set(setting(ZRKeyboardMenuDefaults::LineHeight), LineHeight);
        keyboardControl = keyboardControlContext(desktop, settings());
        menuInstallation.emplace(*keyboardControl, nullptr, [this] { ++beeps; });
    }
    void TearDown() override {
        menuInstallation.reset();
        input.reset();
        DesktopTest::TearDown();
    }

    static QString setting(const char16_t* name) { return QString::fromUtf16(name); }

    // What the menu uses, as keyboard control's controller hands it over.
    std::unique_ptr<ZRKeyboardControlContext> keyboardControl;
    std::optional<ZRKeyboardMenu::Installation> menuInstallation;

    // Rows by title: "-" a separator, "#Title" a label, "Title>" a folder of the titles that follow up to
    // "<", any other title an entry whose choice is noted in chosen. The first entry of each level starts
    // selected.
    std::shared_ptr<ZRKeyboardMenuItem> tree(const QStringList& titles) {
        auto root = ZRKeyboardMenuItem::item(QStringLiteral("Skaf"));
        std::vector<ZRKeyboardMenuItem*> levels{root.get()};
        for (const QString& title : titles) {
            if (title == u"<") {
                levels.pop_back();
                continue;
            }
            if (title == u"-") {
                levels.back()->addSeparatorChild();
                continue;
            }
            auto item = ZRKeyboardMenuItem::item(title.startsWith(u'#') ? title.mid(1) : title);
            levels.back()->addChild(item);
            if (title.endsWith(u'>')) {
                item->setTitle(title.chopped(1));
                levels.push_back(item.get());
            } else if (!title.startsWith(u'#')) {
                item->setAction([this](ZRKeyboardMenuItem& chosenItem) {
                    chosen.append(chosenItem.title());
                    return true;
                });
            }
            if (item->parent()->selectedChild() == nullptr && !title.startsWith(u'#'))
                item->select();
        }
        return root;
    }
    // Rows "0" to "count - 1".
    std::shared_ptr<ZRKeyboardMenuItem> numbered(int count) {
        QStringList titles;
        for (int i = 0; i < count; ++i)
            titles << QString::number(i);
        return tree(titles);
    }

    ZRKeyboardMenu& menu() { return *ZRKeyboardMenu::keyboardMenuByCreatingIfNecessary(true); }
    bool popUp(const std::shared_ptr<ZRKeyboardMenuItem>& entry, const void* reference = nullptr) {
        const ScreenInfo info = desktop.screens().screens().front();
        return ZRKeyboardMenu::popUpWithEntryItem(entry, &info, false, reference);
    }
    QString selectedTitle() {
        const ZRKeyboardMenuItem* level = menu().currentParent();
        return level && level->selectedChild() ? level->selectedChild()->title() : QString();
    }
    void type(const QString& keys) {
        for (const QChar c : keys)
            QTest::keyClick(&menu(), c.toLatin1());
    }
    void key(Qt::Key qtKey) { QTest::keyClick(&menu(), qtKey); }
    OwnWindowId keyboardHolder() { return desktop.overlayWindows().keyboardHolder(); }

    std::uint32_t screen = 0;
    std::unique_ptr<SimOwnWindowInput> input;
    QStringList chosen;
    int beeps = 0;
};
