#include "ShellTestSupport.h"

#include "shell/ZRLaterStartListener.h"
#include "shell/ZRSingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

    // More than the first takes at once: it is not sent, rather than refused unheard.
    ZRSingleInstance crowd(name);
    EXPECT_EQ(crowd.claim(QStringList(40000, QStringLiteral("/a/path/long/enough/to/pass/the/limit.skaf"))),
              ZRSingleInstance::Role::TooManyFiles);

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

namespace {

// A client of the socket, as any process of the user could be: connected, sending what it is told, and
// holding on until it is let go.
class RawClient {
public:
    explicit RawClient(const QString& path) : m_descriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()) + 1);
        connected = ::connect(m_descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { hangUp(); }
    // Sends, letting the listener read meanwhile; false once it hung up.
    bool send(const QByteArray& bytes) {
        for (qsizetype sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(m_descriptor, bytes.constData() + sent, std::size_t(bytes.size() - sent),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN)
                return false;
            sent += std::max<ssize_t>(n, 0);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        return true;
    }
    void hangUp() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = -1;
    }

    bool connected = false;

private:
    int m_descriptor;
};

void processEventsFor(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

// Another process of the user may hold connections open, flood them or use up our descriptors: a later
// start still gets through, what is held stays bounded, and it is logged once, not per connection.
TEST_F(ShellTest, LaterStartsGetThroughWhateverHoldsTheSocket) {
    QTemporaryDir runtime;
    const QString path = runtime.filePath(QStringLiteral("later.socket"));
    QList<QByteArray> requests;
    ZRLaterStartListener listener(path, [&](const QByteArray& request) { requests.append(request); });
    ASSERT_TRUE(listener.listen());
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
    const auto lastRequestArrives = [&](const QByteArray& request) {
        RawClient later(path);
        EXPECT_TRUE(later.connected && later.send(request));
        later.hangUp();
        QDeadlineTimer deadline(2000);
        while (!deadline.hasExpired() && (requests.isEmpty() || requests.back() != request))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return !requests.isEmpty() && requests.back() == request;
    };

    // Idle connections, many more than it holds.
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 40; ++i) {
        idle.push_back(std::make_unique<RawClient>(path));
        processEventsFor(2);
    }
    processEventsFor(50);
    EXPECT_LE(listener.connectionCount(), ZRLaterStartListener::MaximumConnections);
    EXPECT_TRUE(lastRequestArrives(QByteArrayLiteral("/after/idle.skaf")));

    // A request larger than a list of files is refused; the next one is heard.
    {
        RawClient flood(path);
        EXPECT_FALSE(flood.send(QByteArray(4 * ZRLaterStartListener::MaximumRequestBytes, 'x')));
    }
    EXPECT_TRUE(lastRequestArrives(QByteArrayLiteral("/after/flood.skaf")));

    // No descriptor left to take a connection with: it is taken and closed all the same, and the socket
    // keeps listening.
    idle.clear();
    processEventsFor(50);
    std::vector<std::unique_ptr<RawClient>> pending;
    for (int i = 0; i < 5; ++i)
        pending.push_back(std::make_unique<RawClient>(path));
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit lowered{rlim_t(QDir(QStringLiteral("/proc/self/fd")).count()), limit.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    processEventsFor(100);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    EXPECT_TRUE(listener.isListening());
    pending.clear();
    EXPECT_TRUE(lastRequestArrives(QByteArrayLiteral("/after/exhaustion.skaf")));

    processEventsFor(1200);
    EXPECT_TRUE(logged(QStringLiteral("later starts: dropped ")));
    EXPECT_TRUE(logged(QStringLiteral("refused 1 requests larger than")));
    EXPECT_TRUE(logged(QStringLiteral("connections for want of file descriptors")));
    EXPECT_LE(log->lines().filter(QStringLiteral("later starts: ")).size(), 3);
}
