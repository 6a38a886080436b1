#pragma once

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSidebarController.h"
#include "shell/ZRMainController.h"
#include "tests/support/TestProgram.h"

#include <QMainWindow>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// The program launched with its settings window on a simulated desktop, and unless told otherwise 1,000
// actions in the sidebar: 50 folders of 19, half of them open.
constexpr int FolderCount = 50;
constexpr int MembersPerFolder = 19;
constexpr QSize WindowSize(760, 700);

struct SettingsBenchProgram {
    std::optional<TestProgram> program;

    explicit SettingsBenchProgram(bool withActions = true) {
        static int argc = 1;
        static char name[] = "skaf_settings_bench";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!ZRHotKeyHandlerApplication::instance())
            new ZRHotKeyHandlerApplication(argc, argv);
        RunLoop::main().useManualClock();
        desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
        Platform::setCurrent(&desktop);
        defaults = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")),
                                                  &desktop.systemPreferences());
        // A stored palette layout, so the sidebar holds the benchmark's actions only.
        defaults->setObject(QVariantMap(), QStringLiteral("Palette"));
        program.emplace(*defaults, desktop);
        ZRMainController& controller = program->controller();
        auto area = std::make_unique<ZRSettingsController>(program->settingsContext());
        settings = area.get();
        controller.addArea(std::move(area));
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        if (withActions)
            addActions();
    }
    ~SettingsBenchProgram() {
        program.reset();
        Platform::setCurrent(nullptr);
    }

    void addActions() {
        std::vector<std::shared_ptr<ZRAction>> folders;
        for (int f = 0; f < FolderCount; ++f) {
            auto folderAction = ZRAction::actionWithType(ZRActionTypeFolder);
            folderAction->setName(QStringLiteral("Folder %1").arg(f));
            std::vector<std::shared_ptr<ZRAction>> members;
            for (int m = 0; m < MembersPerFolder; ++m) {
                auto member = ZRAction::actionWithType(m % 2 ? ZRActionTypeCenter : ZRActionTypeHalf);
                member->setName(QStringLiteral("Action %1.%2").arg(f).arg(m));
                members.push_back(std::move(member));
            }
            folderAction->setChildren(members);
            folderAction->setExpanded(f % 2 == 0);
            folders.push_back(std::move(folderAction));
        }
        settings->sidebar().addActions(folders, nullptr, std::nullopt, false);
        settings->preferencesWindow()->resize(WindowSize);
    }

    QTemporaryDir folder;
    SimDesktop desktop;
    // The settings the program is handed; they go after it.
    std::unique_ptr<UserDefaults> defaults;
    ZRSettingsController* settings = nullptr;
};
