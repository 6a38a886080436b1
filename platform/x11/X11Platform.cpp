#include "platform/x11/X11Platform.h"

#include "platform/foundation/QtProcesses.h"
#include "platform/x11/X11Accessibility.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11EventStream.h"
#include "platform/x11/X11GlobalHotKeys.h"
#include "platform/x11/X11InputState.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11OverlayWindows.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11SystemPreferences.h"
#include "platform/x11/X11WindowServer.h"
#include "platform/x11/X11Workspace.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <xcb/xcb.h>

namespace {
// The title-bar layout, in openbox's letters, for window managers that do not tell theirs.
const QString TitleBarLayoutKey = QStringLiteral("Title Bar Button Layout");

QString notAnsweringText(const QString& display) {
    return QStringLiteral("the X display %1 does not answer").arg(display);
}

} // namespace

struct X11PlatformPreparation::State {
    std::mutex mutex;
    std::condition_variable changed;
    // The display has answered the connection, or refused it.
    bool answered = false;
    bool finished = false;
    QString error;
    std::shared_ptr<X11Desktop> desktop;
    std::shared_ptr<X11Keyboard> keyboard;
    std::unique_ptr<X11Screens> screens;
    std::thread thread;
};

namespace {

// The parts of the backend that read the display and make no Qt object, on whichever thread asks.
void makeDisplayParts(X11PlatformPreparation::State& state) {
    QString reason;
    auto connection = X11Connection::open({}, &reason);
    {
        std::lock_guard lock(state.mutex);
        state.answered = true;
        state.error = reason;
        state.finished = connection == nullptr;
    }
    state.changed.notify_all();
    if (!connection)
        return;
    auto desktop = std::make_shared<X11Desktop>(std::move(connection));
    auto keyboard = std::make_shared<X11Keyboard>(desktop->connection(), true);
    std::unique_ptr<X11Screens> screens;
    if (keyboard->isValid())
        screens = std::make_unique<X11Screens>(desktop);
    {
        std::lock_guard lock(state.mutex);
        state.desktop = std::move(desktop);
        state.keyboard = std::move(keyboard);
        state.screens = std::move(screens);
        state.finished = true;
    }
    state.changed.notify_all();
}

} // namespace

std::unique_ptr<X11PlatformPreparation> X11PlatformPreparation::begin() {
    // Qt takes the first thread that asks for its thread object for the main thread, and the calling thread
    // is about to make the application: it asks before ours can.
    QThread::currentThread();
    std::unique_ptr<X11PlatformPreparation> preparation(new X11PlatformPreparation);
    preparation->m_state = std::make_shared<State>();
    preparation->m_state->thread = std::thread([state = preparation->m_state] { makeDisplayParts(*state); });
    return preparation;
}

X11PlatformPreparation::~X11PlatformPreparation() {
    if (!m_state || !m_state->thread.joinable())
        return;
    bool answered = false;
    {
        std::lock_guard lock(m_state->mutex);
        answered = m_state->answered;
    }
    // A connect that never answered waits inside the X libraries for good; the program is about to end.
    if (answered)
        m_state->thread.join();
    else
        m_state->thread.detach();
}

std::optional<QString> X11PlatformPreparation::displayProblem(double seconds) {
    std::unique_lock lock(m_state->mutex);
    if (!m_state->changed.wait_for(lock, std::chrono::duration<double>(seconds),
                                   [&] { return m_state->answered; }))
        return notAnsweringText(qEnvironmentVariable("DISPLAY"));
    if (m_state->finished && !m_state->desktop)
        return m_state->error;
    return std::nullopt;
}

std::unique_ptr<Platform> X11Platform::create(QString* error,
                                              std::unique_ptr<X11PlatformPreparation> preparation) {
    auto* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        if (error)
            *error = QStringLiteral("the x11 backend needs a qt application on the calling thread");
        return nullptr;
    }
    X11PlatformPreparation::State made;
    X11PlatformPreparation::State* state = &made;
    if (preparation) {
        state = preparation->m_state.get();
        std::unique_lock lock(state->mutex);
        state->changed.wait(lock, [&] { return state->finished; });
    } else {
        makeDisplayParts(made);
    }
    if (!state->desktop) {
        if (error)
            *error = state->error;
        return nullptr;
    }
    if (!state->keyboard->isValid()) {
        if (error)
            *error = QStringLiteral("cannot read the keyboard of the x display");
        return nullptr;
    }
    if (!state->desktop->connection().startReading()) {
        if (error)
            *error = QStringLiteral("cannot read events of the x display");
        return nullptr;
    }
    std::unique_ptr<X11Platform> platform(new X11Platform);
    platform->m_desktop = std::move(state->desktop);
    platform->m_keyboard = std::move(state->keyboard);
    platform->m_screens = std::move(state->screens);
    platform->m_preferences = std::make_unique<X11SystemPreferences>();
    platform->m_desktop->setFallbackTitleLayout(
        platform->m_preferences->value(SystemPreferences::GlobalDomain, TitleBarLayoutKey).toString());
    platform->m_accessibility = std::make_unique<X11Accessibility>(platform->m_desktop);
    platform->m_windowServer = std::make_unique<X11WindowServer>(platform->m_desktop);
    platform->m_inputState = std::make_unique<X11InputState>(platform->m_desktop, platform->m_keyboard);
    platform->m_workspace = std::make_unique<X11Workspace>(platform->m_desktop, *platform->m_preferences);
    platform->m_eventStream = std::make_unique<X11EventStream>(platform->m_desktop);
    platform->m_globalHotKeys = std::make_unique<X11GlobalHotKeys>(platform->m_desktop, platform->m_keyboard);
    platform->m_processes = std::make_unique<QtProcesses>();
    platform->m_overlayWindows = std::make_unique<X11OverlayWindows>();
    // The toolkit's accessibility bridge asks for the session bus on the main thread when the event loop
    // first runs, and waits there for the connection: connected ahead on a thread of its own, the bus holds
    // up no hot key pressed during the start. Only a bus named in the environment: without one, the bus
    // library would start a bus of its own that outlives us.
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        platform->m_sessionBusConnect = std::jthread([] { QDBusConnection::sessionBus(); });
    return platform;
}

X11Platform::~X11Platform() = default;

Accessibility& X11Platform::accessibility() {
    return *m_accessibility;
}
WindowServer& X11Platform::windowServer() {
    return *m_windowServer;
}
Screens& X11Platform::screens() {
    return *m_screens;
}
InputState& X11Platform::inputState() {
    return *m_inputState;
}
Workspace& X11Platform::workspace() {
    return *m_workspace;
}
EventStream& X11Platform::eventStream() {
    return *m_eventStream;
}
GlobalHotKeys& X11Platform::globalHotKeys() {
    return *m_globalHotKeys;
}
SystemPreferences& X11Platform::systemPreferences() {
    return *m_preferences;
}
Processes& X11Platform::processes() {
    return *m_processes;
}

OverlayWindows& X11Platform::overlayWindows() {
    return *m_overlayWindows;
}

std::unique_ptr<Platform> createX11Platform(QString* error,
                                            std::unique_ptr<X11PlatformPreparation> preparation) {
    return X11Platform::create(error, std::move(preparation));
}

std::optional<QString> x11DisplayProblem(double seconds) {
    struct Attempt {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        bool connected = false;
    };
    const QByteArray display = qgetenv("DISPLAY");
    auto attempt = std::make_shared<Attempt>();
    // The connect runs apart, so that it can be given up on; one that never returns is left behind
    // with the process that is about to end.
    std::thread([attempt, display] {
        int screen = 0;
        xcb_connection_t* connection =
            xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screen);
        const bool connected = connection && !xcb_connection_has_error(connection);
        if (connection)
            xcb_disconnect(connection);
        std::lock_guard lock(attempt->mutex);
        attempt->done = true;
        attempt->connected = connected;
        attempt->finished.notify_all();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    const QString name = QString::fromLocal8Bit(display);
    if (!attempt->finished.wait_for(lock, std::chrono::duration<double>(seconds),
                                    [&] { return attempt->done; }))
        return notAnsweringText(name);
    if (!attempt->connected)
        return QStringLiteral("cannot connect to the X display %1").arg(name);
    return std::nullopt;
}
