#include "ShellTestSupport.h"

#include "actions/ZRAction.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"

#include <QDir>
#include <QFile>

namespace {

const QString StoreKey = QString::fromUtf16(ZRCustomControlsUserDefaultName);

// The action records the settings file holds, as a later start reads it.
QVariantList storedRecords(const QString& path) {
    const auto file = PropertyList::readFile(path);
    return file.value.toMap().value(StoreKey).toList();
}

std::shared_ptr<ZRAction> addCenterAction(const QString& name) {
    auto action = ZRAction::actionWithType(ZRActionTypeCenter);
    action->setName(name);
    ZRActionManager::actionManager().insertAction(action);
    return action;
}

} // namespace

TEST_F(ShellTest, QuitSavesTheActionsAndTheNextStartFindsThem) {
    QStringList calls;
    pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
    ZRMainController& controller = launch();
    addCenterAction(QStringLiteral("Middle"));
    calls.clear();

    EXPECT_EQ(controller.applicationShouldTerminate(), ZRMainController::TerminateReply::TerminateNow);
    EXPECT_EQ(alerts->quitQuestions, 1);
    // The areas' quit steps come after the store is on disk.
    EXPECT_EQ(calls, QStringList{QStringLiteral("applicationWillTerminate")});
    ASSERT_EQ(storedRecords(settingsPath()).size(), 1);
    // Asked again (the event loop ends after the first answer), it neither asks nor runs the steps twice.
    EXPECT_EQ(controller.applicationShouldTerminate(), ZRMainController::TerminateReply::TerminateNow);
    EXPECT_EQ(alerts->quitQuestions, 1);
    EXPECT_EQ(calls.size(), 1);

    restart();
    launch();
    const auto& actions = ZRActionManager::actionManager().topLevelActions();
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(actions.front()->actionType(), ZRActionTypeCenter);
    EXPECT_EQ(actions.front()->userDefinedName(), QStringLiteral("Middle"));
}

TEST_F(ShellTest, QuittingAsksUnlessTheSettingSaysNot) {
    const struct {
        bool withoutConfirmation;
        bool userQuits;
        bool asked;
        ZRMainController::TerminateReply reply;
    } cases[] = {
        {false, true, true, ZRMainController::TerminateReply::TerminateNow},
        {false, false, true, ZRMainController::TerminateReply::TerminateCancel},
        {true, false, false, ZRMainController::TerminateReply::TerminateNow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.withoutConfirmation << c.userQuits);
        freshStart();
        settings().setBool(c.withoutConfirmation, QStringLiteral("Quit Without Confirmation"));
        QStringList calls;
        pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
        ZRMainController& controller = launch();
        addCenterAction(QStringLiteral("Unsaved"));
        alerts->quits = c.userQuits;
        calls.clear();
        EXPECT_EQ(controller.applicationShouldTerminate(), c.reply);
        EXPECT_EQ(alerts->quitQuestions, c.asked ? 1 : 0);
        const bool quits = c.reply == ZRMainController::TerminateReply::TerminateNow;
        EXPECT_EQ(controller.isTerminating(), quits);
        EXPECT_EQ(calls.contains(QStringLiteral("applicationWillTerminate")), quits);
        EXPECT_EQ(storedRecords(settingsPath()).size(), quits ? 1 : 0);
    }
    // When the session ends nobody is asked.
    freshStart();
    ZRMainController& controller = launch();
    EXPECT_EQ(controller.applicationShouldTerminate(false), ZRMainController::TerminateReply::TerminateNow);
    EXPECT_EQ(alerts->quitQuestions, 0);
}

TEST_F(ShellTest, ActionsThatCannotBeSavedAtQuitAreReportedAndTheSavedOnesKept) {
    settings().setBool(true, QStringLiteral("Quit Without Confirmation"));
    ZRMainController& controller = launch();
    addCenterAction(QStringLiteral("Saved"));
    ASSERT_TRUE(ZRActionManager::actionManager().save());
    addCenterAction(QStringLiteral("Not Saved"));

    // The user stays: the program keeps running with both actions.
    alerts->quitsAfterFailedSave = false;
    AtomicFileTesting::failNextWriteAt(AtomicFileTesting::FailAt::Renaming);
    EXPECT_EQ(controller.applicationShouldTerminate(), ZRMainController::TerminateReply::TerminateCancel);
    EXPECT_EQ(alerts->saveFailures, 1);
    EXPECT_FALSE(controller.isTerminating());
    EXPECT_EQ(storedRecords(settingsPath()).size(), 1);

    // The user quits anyway: what was saved before is still there for the next start.
    alerts->quitsAfterFailedSave = true;
    AtomicFileTesting::failNextWriteAt(AtomicFileTesting::FailAt::Writing);
    EXPECT_EQ(controller.applicationShouldTerminate(), ZRMainController::TerminateReply::TerminateNow);
    EXPECT_EQ(alerts->saveFailures, 2);
    const QVariantList stored = storedRecords(settingsPath());
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_EQ(stored.back().toMap().value(QStringLiteral("Title")), QStringLiteral("Saved"));
    EXPECT_TRUE(logged(QStringLiteral("cannot save the custom actions at quit")));
}

TEST_F(ShellTest, ACorruptSettingsFileIsSetAsideAndTheProgramStarts) {
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?><plist><dict><key>Custom Controls (4001)</key><array><dict>");
    }
    program.reset();
    ASSERT_EQ(openSettings(), UserDefaults::LoadResult::SetAside);
    const QString setAside = settings().setAsidePath();
    ASSERT_FALSE(setAside.isEmpty());

    ZRMainController& controller = launch();
    EXPECT_TRUE(controller.hasFinishedLaunching());
    EXPECT_TRUE(ZRActionManager::actionManager().topLevelActions().empty());
    addCenterAction(QStringLiteral("Fresh"));
    settings().setBool(true, QStringLiteral("Quit Without Confirmation"));
    EXPECT_EQ(controller.applicationShouldTerminate(), ZRMainController::TerminateReply::TerminateNow);
    EXPECT_EQ(storedRecords(settingsPath()).size(), 1);
    // The broken file is kept beside the new one, untouched.
    QFile kept(setAside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll().startsWith("<?xml version=\"1.0\"?><plist><dict><key>Custom Controls"));
}

TEST_F(ShellTest, ResigningActiveSavesTheActions) {
    ZRMainController& controller = launch();
    addCenterAction(QStringLiteral("Kept"));
    EXPECT_TRUE(storedRecords(settingsPath()).isEmpty());
    controller.applicationWillResignActive();
    EXPECT_EQ(storedRecords(settingsPath()).size(), 1);
}
