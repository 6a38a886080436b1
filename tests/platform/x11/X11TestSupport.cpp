#include "X11TestSupport.h"

#include "TestDisplay.h"

#include "hotkeys/ZRHotKeyHandlerApplication.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <utility>

namespace X11Test {
namespace {

// Points DISPLAY at the fixture's display and makes the program's application object, showing its
// windows there, before any test runs.
class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        TestDisplay::use(QStringLiteral(SKAF_X11_DISPLAY_STATE));
        static int argc = 1;
        static char name[] = "skaf_x11_tests";
        static char* argv[] = {name, nullptr};
        m_application = std::make_unique<ZRHotKeyHandlerApplication>(argc, argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    std::unique_ptr<ZRHotKeyHandlerApplication> m_application;
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new Environment);

} // namespace

QByteArray run(const QString& program, const QStringList& arguments, int* exitCode) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

namespace {
// Runs the event loop as the program does, blocking between events, for a while.
void spin(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

void processEvents(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        spin(5);
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMilliseconds) {
    QDeadlineTimer deadline(timeoutMilliseconds);
    while (true) {
        spin(5);
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
    }
}

std::optional<Rect> xwininfoGeometry(std::uint32_t window) {
    const QString text =
        QString::fromUtf8(run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)}));
    auto value = [&](const char* label) -> std::optional<double> {
        const QRegularExpression pattern(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(label)));
        const auto match = pattern.match(text);
        if (!match.hasMatch())
            return std::nullopt;
        return match.captured(1).toDouble();
    };
    const auto x = value("Absolute upper-left X");
    const auto y = value("Absolute upper-left Y");
    const auto width = value("Width");
    const auto height = value("Height");
    if (!x || !y || !width || !height)
        return std::nullopt;
    return Rect(*x, *y, *width, *height);
}

std::optional<Rect> independentFrame(std::uint32_t window) {
    const auto client = xwininfoGeometry(window);
    const auto extents = xpropValues(window, QStringLiteral("_NET_FRAME_EXTENTS"));
    if (!client || extents.size() != 4)
        return std::nullopt;
    return Rect(client->x() - extents[0], client->y() - extents[2], client->width() + extents[0] + extents[1],
                client->height() + extents[2] + extents[3]);
}

std::vector<long> xpropValues(std::uint32_t window, const QString& property) {
    const QString text = xpropText(window, property);
    // Numbers follow "=", windows follow "window id #".
    int equals = text.indexOf(QLatin1Char('='));
    if (equals < 0)
        equals = text.indexOf(QLatin1Char('#'));
    if (equals < 0)
        return {};
    std::vector<long> values;
    for (const QString& part : text.mid(equals + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const long value = part.trimmed().toLong(&ok, 0);
        if (ok)
            values.push_back(value);
    }
    return values;
}

QString xpropText(std::uint32_t window, const QString& property) {
    QStringList arguments;
    if (window)
        arguments << QStringLiteral("-id") << QString::number(window);
    else
        arguments << QStringLiteral("-root");
    arguments << property;
    return QString::fromUtf8(run(QStringLiteral("xprop"), arguments)).trimmed();
}

bool setCardinals(std::uint32_t window, const QString& property, const QString& values) {
    int exitCode = -1;
    run(QStringLiteral("xprop"),
        {QStringLiteral("-id"), QString::number(window), QStringLiteral("-f"), property,
         QStringLiteral("32c"), QStringLiteral("-set"), property, values},
        &exitCode);
    return exitCode == 0;
}

QString xwininfoText(std::uint32_t window) {
    return QString::fromUtf8(
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)}));
}

bool isViewable(std::uint32_t window) {
    return xwininfoText(window).contains(QStringLiteral("IsViewable"));
}

std::uint32_t activeWindow() {
    const auto values = xpropValues(0, QStringLiteral("_NET_ACTIVE_WINDOW"));
    return values.empty() ? 0 : static_cast<std::uint32_t>(values.front());
}

std::vector<std::uint32_t> windowsNamed(const QString& instanceName) {
    const QString text =
        QString::fromUtf8(run(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--classname"), QStringLiteral("^%1$").arg(instanceName)}));
    std::vector<std::uint32_t> windows;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        windows.push_back(line.trimmed().toUInt());
    return windows;
}

std::unique_ptr<Client> Client::start(const QString& program, const QString& geometry) {
    static int counter = 0;
    std::unique_ptr<Client> client(new Client);
    client->m_name = QStringLiteral("skaftest%1x%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    client->m_process = std::make_unique<QProcess>();
    client->m_process->start(
        program, {QStringLiteral("-name"), client->m_name, QStringLiteral("-geometry"), geometry});
    if (!client->m_process->waitForStarted(5000))
        return nullptr;
    // Managed means framed: the window manager has announced the frame extents.
    const bool appeared = waitUntil(
        [&] {
            for (std::uint32_t window : windowsNamed(client->m_name))
                if (!xpropValues(window, QStringLiteral("_NET_FRAME_EXTENTS")).empty()) {
                    client->m_window = window;
                    return true;
                }
            return false;
        },
        10000);
    return appeared ? std::move(client) : nullptr;
}

Monitors::~Monitors() {
    removeAll();
}

bool Monitors::add(const QString& name, const QString& geometry, const QString& outputs) {
    int exitCode = -1;
    run(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), name, geometry, outputs}, &exitCode);
    // A leading "*" makes the monitor primary and is no part of its name.
    m_names.push_back(name.startsWith(QLatin1Char('*')) ? name.mid(1) : name);
    return exitCode == 0;
}

void Monitors::removeAll() {
    for (const QString& name : std::exchange(m_names, {}))
        run(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), name});
}

bool Monitors::announceChange() {
    int primary = -1;
    int none = -1;
    run(QStringLiteral("xrandr"),
        {QStringLiteral("--output"), QStringLiteral("screen"), QStringLiteral("--primary")}, &primary);
    run(QStringLiteral("xrandr"), {QStringLiteral("--noprimary")}, &none);
    return primary == 0 && none == 0;
}

std::unique_ptr<Compositor> Compositor::start() {
    std::unique_ptr<Compositor> compositor(new Compositor);
    compositor->m_process = std::make_unique<QProcess>();
    compositor->m_process->start(QStringLiteral("xcompmgr"), QStringList());
    if (!compositor->m_process->waitForStarted(5000))
        return nullptr;
    return compositor;
}

Compositor::~Compositor() {
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
}

Client::~Client() {
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

pid_t Client::pid() const {
    return static_cast<pid_t>(m_process->processId());
}

} // namespace X11Test
