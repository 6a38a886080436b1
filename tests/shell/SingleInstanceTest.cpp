#include "ShellTestSupport.h"

#include "shell/ZRSingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

namespace {

// Runs the event loop until the files arrive or a second has passed.
std::optional<QStringList> waitForFiles(ZRSingleInstance& first) {
    std::optional<QStringList> received;
    QObject::connect(&first, &ZRSingleInstance::filesReceived, &first,
                     [&](const QStringList& files) { received = files; });
    QDeadlineTimer deadline(1000);
    while (!received && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return received;
}

} // namespace

TEST_F(ShellTest, ALaterStartHandsItsFilesToTheFirstAndQuits) {
    const QString name = QStringLiteral("skaf-test-") + QUuid::createUuid().toString(QUuid::Id128);
    ZRSingleInstance first(name, QStringLiteral(":7"));
    ASSERT_EQ(first.claim({}), ZRSingleInstance::Role::First);

    // From another display: it hears where the first runs.
    ZRSingleInstance later(name, QStringLiteral(":8"));
    EXPECT_EQ(later.claim({QStringLiteral("/tmp/a.skaf"), QStringLiteral("relative.skaf")}),
              ZRSingleInstance::Role::HandedOver);
    EXPECT_EQ(later.runningPlace(), QStringLiteral(":7"));
    const auto files = waitForFiles(first);
    ASSERT_TRUE(files);
    EXPECT_EQ(*files, (QStringList{QStringLiteral("/tmp/a.skaf"),
                                   QDir::current().absoluteFilePath(QStringLiteral("relative.skaf"))}));

    // Started again without files: the first hears of it with none.
    ZRSingleInstance again(name);
    EXPECT_EQ(again.claim({}), ZRSingleInstance::Role::HandedOver);
    const auto none = waitForFiles(first);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
}

TEST_F(ShellTest, TheNextStartAfterTheFirstEndedRunsTheProgram) {
    const QString name = QStringLiteral("skaf-test-") + QUuid::createUuid().toString(QUuid::Id128);
    {
        ZRSingleInstance first(name);
        ASSERT_EQ(first.claim({}), ZRSingleInstance::Role::First);
    }
    ZRSingleInstance next(name);
    EXPECT_EQ(next.claim({}), ZRSingleInstance::Role::First);
}

// Two programs that kept one file's actions each would save over each other's: they meet whichever path
// names the file, and only programs of other files go their own ways.
TEST_F(ShellTest, ProgramsOfOneSettingsFileMeetWhicheverPathNamesIt) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("config/Skaf")));
    ASSERT_TRUE(
        QFile::link(home.filePath(QStringLiteral("config")), home.filePath(QStringLiteral("linked"))));
    const auto name = [&](const QString& path) {
        return ZRSingleInstance::nameForSettingsFile(home.filePath(path));
    };
    const QString settings = name(QStringLiteral("config/Skaf/Settings.plist"));
    EXPECT_EQ(name(QStringLiteral("linked/Skaf/Settings.plist")), settings);
    EXPECT_EQ(name(QStringLiteral("config/Skaf/../Skaf/Settings.plist")), settings);
    EXPECT_NE(name(QStringLiteral("config/Skaf/Settings (Simulated Desktop).plist")), settings);
    EXPECT_NE(name(QStringLiteral("other/Skaf/Settings.plist")), settings);
    EXPECT_EQ(name(QStringLiteral("other/Skaf/Settings.plist")),
              name(QStringLiteral("other/Skaf/Settings.plist")));
}
