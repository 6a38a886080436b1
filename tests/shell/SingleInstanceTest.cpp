#include "ShellTestSupport.h"

#include "shell/ZRSingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
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
    ZRSingleInstance first(name);
    ASSERT_EQ(first.claim({}), ZRSingleInstance::Role::First);

    ZRSingleInstance later(name);
    EXPECT_EQ(later.claim({QStringLiteral("/tmp/a.skaf"), QStringLiteral("relative.skaf")}),
              ZRSingleInstance::Role::HandedOver);
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
    // Programs of other displays do not meet.
    EXPECT_NE(ZRSingleInstance::nameForDisplay(QStringLiteral("x11"), QStringLiteral(":0")),
              ZRSingleInstance::nameForDisplay(QStringLiteral("x11"), QStringLiteral(":1")));
}
