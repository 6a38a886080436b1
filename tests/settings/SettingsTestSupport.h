#pragma once

#include "DesktopTest.h"
#include "TestApplication.h"
#include "TestProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSettingsPanels.h"
#include "settings/ZRSidebarController.h"
#include "settings/ZRSourceList.h"
#include "settings/ZRSourceListModel.h"
#include "shell/ZRMainController.h"

#include <QDir>
#include <QImage>
#include <QStringList>
#include <memory>
#include <vector>

// Answers the open and save panels as the test says, at once.
class ScriptedPanels : public ZRSettingsPanels {
public:
    void chooseFilesToImport(QWidget*, PathsHandler handler) override { handler(importPaths); }
    void chooseExportFile(QWidget*, const QString& suggestedName, PathHandler handler) override {
        suggestedNames.append(suggestedName);
        handler(exportPath);
    }
    void chooseFolder(QWidget*, PathHandler handler) override { handler(folder); }
    void confirmDeletion(QWidget*, const QString& names, AnswerHandler handler) override {
        deletionQuestions.append(names);
        handler(confirmsDeletion);
    }

    QStringList importPaths;
    QString exportPath;
    QString folder;
    QStringList suggestedNames;
    bool confirmsDeletion = true;
    QStringList deletionQuestions;
};

// Every test: the program launched on a simulated desktop with the settings area, the window built, the
// beeps counted and the panels scripted. The window opens at launch unless the test says otherwise first.
class SettingsTest : public DesktopTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Launches the program with the settings area.
    void launch();
    // New actions at the top level of the sidebar, one per name, each a move-and-resize action.
    std::vector<std::shared_ptr<ZRAction>> addActions(const QStringList& names);
    // A folder of the actions, added at the top level.
    std::shared_ptr<ZRAction> addFolder(const QString& name, const QStringList& members,
                                        bool expanded = true);
    static std::shared_ptr<ZRAction> namedAction(const QString& name,
                                                 ZRActionType type = ZRActionTypeMoveAndResize);

    // The rows the outline shows, top to bottom, each indented by two spaces per level.
    QStringList rows() const;
    QStringList selectedTitles() const;
    ZRSourceListItemRef row(const QString& title) const;
    QModelIndex indexOf(const QString& title) const;
    QStringList storeTitles() const;
    void select(const QStringList& titles);

    // The picture of a window, saved under build/screenshots.
    static void saveScreenshot(const QImage& image, const QString& name);

    ZRSettingsController& settings() const { return *m_settings; }
    // The action store of the launched program.
    ZRActionManager& store() const { return m_settings->store(); }
    // The settings store the program under test is handed.
    UserDefaults& defaults() const { return DesktopTest::settings(); }
    ZRSidebarController& sidebar() const { return m_settings->sidebar(); }
    ZRSourceList& sourceList() const { return *m_settings->sourceList(); }

    // The program's main controller, made with its store on the settings there are when first asked for.
    ZRMainController& controller() {
        if (!program)
            program.emplace(defaults(), desktop);
        return program->controller();
    }

    std::optional<TestProgram> program;
    ScriptedPanels* panels = nullptr;
    int beeps = 0;
    bool launchesOnSetUp = true;
    // A first launch seeds the palette with examples, which join the sidebar; tests of other things start
    // with a stored palette layout instead, unless they say otherwise before launching.
    bool seedsPalette = false;

private:
    ZRSettingsController* m_settings = nullptr;
};
