#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "help-browser/ZRHelpManager.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "keyboard-control/ZRKeyboardController.h"
#include "log-reader/ILRIntegratedLogReader.h"
#include "log-reader/ILRLogReaderFlags.h"
#include "mouse-control/ZRDropZoneManager.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/GlobalHotKeys.h"
#include "platform/Platform.h"
#include "platform/PlatformLog.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SessionBus.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDemoDesktop.h"
#include "platform/sim/SimDesktop.h"
#include "settings/ZRSettingsController.h"
#include "shell/ZRAboutPanelManager.h"
#include "shell/ZRActionFileImport.h"
#include "shell/ZRMainController.h"
#include "shell/ZRSingleInstance.h"
#include "toolkit/ZRFindPasteboard.h"
#include "toolkit/ZRLog.h"
#include "toolkit/ZRSystemLog.h"
#include "window-access/WindowAccessDefaults.h"
#include "window-access/WindowObserver.h"
#ifdef SKAF_HAS_X11
#include "platform/x11/X11Platform.h"
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <malloc.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// Files are offered only once they are imported.
const std::string usage =
    std::string("Usage: skaf [--platform x11|sim]") + (ZRActionFileImport::Available ? " [FILE...]" : "") +
    "\nMoves, resizes and arranges the windows of other applications." +
    (ZRActionFileImport::Available ? " Files of exported actions given\n"
                                     "here are imported; when Skaf already runs with the same settings, "
                                     "on any display, they\nare handed to it."
                                   : "") +
    "\n\n"
    "  --platform x11   act on the windows of the current X display (the default when DISPLAY is set)\n"
    "  --platform sim   act on a simulated desktop, for trying Skaf without touching real windows\n"
    "  --help           show this text\n"
    "  --version        show the version\n";

// Seconds a display has to answer a connection before it counts as not answering.
constexpr double DisplayAnswerSeconds = 5;
// Seconds the workers have at quit to finish with the desktop.
constexpr double QuitWorkerSeconds = 3;

struct Options {
    std::string platform;
    bool help = false;
    bool version = false;
    std::string error;
    std::vector<std::string> files;
};

// Our own options are taken out before Qt sees the arguments: Qt reads "--platform" as the name of
// its own display plugin.
Options takeOptions(int& argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            options.version = true;
        } else if (std::strcmp(arg, "--platform") == 0) {
            if (i + 1 >= argc) {
                options.error = "--platform needs a value: x11 or sim";
                break;
            }
            options.platform = argv[++i];
        } else if (std::strncmp(arg, "--platform=", 11) == 0) {
            options.platform = arg + 11;
        } else if (std::strcmp(arg, "--") == 0) {
            // Whatever follows is a file, also one whose name begins with a dash.
            for (++i; i < argc; ++i)
                options.files.emplace_back(argv[i]);
        } else if (arg[0] != '-') {
            options.files.emplace_back(arg);
        } else {
            options.error = std::string("unknown option \"") + arg + "\"";
            break;
        }
    }
    if (options.error.empty() && !options.platform.empty() && options.platform != "x11" &&
        options.platform != "sim")
        options.error = "unknown platform \"" + options.platform + "\": use x11 or sim";
    // Qt sees only the program's name: every argument is ours, and one we do not know is an error.
    argc = 1;
    return options;
}

// Where a running program is, as a later start on the display tells it: " on display :1".
QString placeText(const std::optional<QString>& runningDisplay, const QString& display) {
    if (!runningDisplay)
        return {};
    if (*runningDisplay == display)
        return QStringLiteral(" on this display");
    if (runningDisplay->isEmpty())
        return QStringLiteral(" without a display");
    return QStringLiteral(" on display %1").arg(*runningDisplay);
}

#ifndef SKAF_HAS_X11
class X11PlatformPreparation {};
#endif

std::unique_ptr<Platform> makePlatform(const std::string& name, QString* error,
                                       std::unique_ptr<X11PlatformPreparation> x11Preparation) {
    if (name == "sim")
        return makeDemoDesktop();
#ifdef SKAF_HAS_X11
    return createX11Platform(error, std::move(x11Preparation));
#else
    *error = QStringLiteral("this build has no X11 backend; use --platform sim");
    return nullptr;
#endif
}

// Quitting ends within this time even when the desktop stopped answering (its X server stopped): past it,
// the program removes its lock and socket and ends. Everything here is safe in a signal handler.
constexpr unsigned QuitDeadlineSeconds = 8;
constexpr std::size_t MaximumPathBytes = 4096;
// The lock, socket and place files of the single instance.
char quitDeadlineFiles[3][MaximumPathBytes] = {};
volatile std::sig_atomic_t quitDeadlineArmed = 0;

void missQuitDeadline(int) {
    constexpr char message[] = "skaf: quitting did not finish in time; ending now\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, sizeof message - 1);
    // The lock, which comes first, goes last: a program that takes it over never loses its files to ours.
    for (std::size_t i = std::size(quitDeadlineFiles); i-- > 0;)
        if (*quitDeadlineFiles[i])
            ::unlink(quitDeadlineFiles[i]);
    ::_exit(1);
}

void armQuitDeadline() {
    if (quitDeadlineArmed)
        return;
    quitDeadlineArmed = 1;
    ::alarm(QuitDeadlineSeconds);
}

void setQuitDeadlineFiles(const QStringList& paths) {
    for (std::size_t i = 0; i < std::size(quitDeadlineFiles); ++i) {
        const QByteArray path =
            i < std::size_t(paths.size()) ? QFile::encodeName(paths[qsizetype(i)]) : QByteArray();
        if (std::size_t(path.size()) < MaximumPathBytes)
            std::memcpy(quitDeadlineFiles[i], path.constData(), std::size_t(path.size()) + 1);
    }
}

// SIGINT, SIGTERM and SIGHUP (its terminal closed) end the event loop, so the program quits as it does from
// its menu: the actions are saved and the desktop's settings put back. The handler only writes to a socket
// the loop watches, and starts the quit's deadline.
int signalSockets[2] = {-1, -1};

void handleQuitSignal(int) {
    const int savedErrno = errno;
    armQuitDeadline();
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
    errno = savedErrno;
}

std::unique_ptr<QSocketNotifier> quitOnSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalSockets[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = handleQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    action.sa_handler = missQuitDeadline;
    sigaction(SIGALRM, &action, nullptr);
    return notifier;
}

} // namespace

int main(int argc, char** argv) {
    // Large buffers (a later start's request, pictures) are given back to the system when freed. The C
    // library otherwise raises this bound to the largest buffer freed so far, and the next ones of that
    // size stay in the heap, resident, long after they are gone: a flood of megabyte requests left
    // megabytes behind for good.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    Options options = takeOptions(argc, argv);
    if (options.help) {
        std::fputs(usage.c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("skaf %s\n", SKAF_VERSION);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "skaf: %s\n%s", options.error.c_str(), usage.c_str());
        return 2;
    }
    if (!options.files.empty() && !ZRActionFileImport::Available) {
        std::fprintf(stderr, "skaf: %s\n", ZRActionFileImport::UnavailableMessage);
        return ZRActionFileImport::UnavailableExitStatus;
    }
    bool hasDisplay = std::getenv("DISPLAY") && *std::getenv("DISPLAY");
    std::unique_ptr<X11PlatformPreparation> x11Preparation;
    if (options.platform.empty())
        options.platform = hasDisplay ? "x11" : "sim";
#ifdef SKAF_HAS_X11
    // Asked before the toolkit connects, which would wait for good on a display that never answers.
    if (hasDisplay) {
        // The backend connects now and reads the desktop while the application makes its own connection.
        if (options.platform == "x11")
            x11Preparation = X11PlatformPreparation::begin();
        if (const auto problem = x11Preparation ? x11Preparation->displayProblem(DisplayAnswerSeconds)
                                                : x11DisplayProblem(DisplayAnswerSeconds)) {
            if (options.platform == "x11") {
                std::fprintf(stderr, "skaf: %s\n", qPrintable(*problem));
                // A connect that never answered still waits on a thread of its own, inside the X libraries:
                // their exit handlers must not free what it holds. Nothing of the program exists yet.
                std::fflush(stderr);
                std::_Exit(1);
            }
            hasDisplay = false;
        }
    }
#endif
    // Our own windows go on the display, or off screen without one. A display that does not answer would
    // make Qt abort; it falls back to off screen instead. The programs we start get the environment as it
    // was.
    const bool choosesWindowSystem = !std::getenv("QT_QPA_PLATFORM");
    if (hasDisplay)
        SessionBus::avoidAutolaunch();
    if (choosesWindowSystem)
        setenv("QT_QPA_PLATFORM", hasDisplay ? "xcb;offscreen" : "offscreen", 1);

    // The main controller's load hook runs before anything else of the program.
    ZRMainController::load();
    ZRHotKeyHandlerApplication application(argc, argv);
    if (choosesWindowSystem)
        unsetenv("QT_QPA_PLATFORM");
    QApplication::setApplicationName(QStringLiteral("Skaf"));
    QApplication::setApplicationVersion(QStringLiteral(SKAF_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    ZRInstallPlatformLogSink();

    // From here on a signal quits as the menu's "Quit" does, also while the program is still starting: the
    // loop ends as soon as it runs. Before the lock is taken, so that a signal never ends a program that
    // holds it without its quit, which removes it.
    const auto signalNotifier = quitOnSignals();

    QStringList files;
    for (const std::string& file : options.files)
        files.append(QString::fromLocal8Bit(file.c_str()));
    // Trying Skaf on the simulated desktop keeps its settings and actions apart from those of the real one.
    QString settingsPath = UserDefaults::defaultFilePath();
    if (options.platform == "sim")
        settingsPath =
            QFileInfo(settingsPath).dir().filePath(QStringLiteral("Settings (Simulated Desktop).plist"));
    // One program per settings file, on whichever display: a later start hands its files to the running one
    // and ends.
    const QString display = qEnvironmentVariable("DISPLAY");
    ZRSingleInstance instance(ZRSingleInstance::nameForSettingsFile(settingsPath), display);
    switch (instance.claim(files)) {
    case ZRSingleInstance::Role::First:
        setQuitDeadlineFiles(instance.filePaths());
        break;
    case ZRSingleInstance::Role::HandedOver:
        if (files.isEmpty())
            std::printf("Skaf is already running%s.\n",
                        qPrintable(placeText(instance.runningPlace(), display)));
        return 0;
    case ZRSingleInstance::Role::TooManyFiles:
        std::fprintf(stderr, "skaf: Skaf already runs%s; the files are too many to hand over at once\n",
                     qPrintable(placeText(instance.runningPlace(), display)));
        return 1;
    case ZRSingleInstance::Role::Unreachable:
        std::fprintf(stderr, "skaf: Skaf already runs%s but does not answer\n",
                     qPrintable(placeText(instance.runningPlace(), display)));
        return 1;
    }

    QString error;
    std::unique_ptr<Platform> platform = makePlatform(options.platform, &error, std::move(x11Preparation));
    if (!platform) {
        std::fprintf(stderr, "skaf: %s\n", qPrintable(error));
        return 1;
    }
    // The long-lived parts are made here, each handed what it works with; the shared accessors answer these
    // same objects to the parts that reach them so. They go in the reverse order, all before the desktop.
    Platform::setCurrent(platform.get());
    // The settings are read once the desktop is there: its preferences are their global domain.
    auto settings = std::make_unique<UserDefaults>(settingsPath, &platform->systemPreferences());
    UserDefaults& defaults = *settings;
    defaults.load();
    const Connection debugLogging = WindowAccessDefaults::followDebugLogSetting(defaults);
    const Connection hotKeys = application.listenToDesktop(*platform, defaults);
    // The log reader takes the program's lines from here on, once the desktop and the settings it reads are
    // there.
    ZRSetLogReaderFactory(ILRIntegratedLogReader::logReaderFactory(
        {platform->processes(), defaults, RunLoop::main(), DispatchQueue::global(QueuePriority::Default),
         NotificationCenter::defaultCenter(), ZRSystemLog::shared(), ZRFindPasteboard::shared(),
         ILRLogReaderFlags::shared()}));
    platformLog(QStringLiteral("running on the %1 desktop").arg(platform->name()));

    int status = 0;
    {
        // The desktop's own window features that mouse control turns off while it acts, and the settings
        // window offers.
        ZRSystemWindowSettings systemWindowSettings(defaults, *platform);
        const ZRSystemWindowSettings::Installation installedSystemWindowSettings(systemWindowSettings);
        const auto windowSettings = [&systemWindowSettings]() -> ZRSystemWindowSettings& {
            return systemWindowSettings;
        };
        // The one focus window that mouse control, the settings window and the grids draw through, made when
        // first used.
        ZRFocusWindow::Installation focusWindows(defaults, RunLoop::main(), platform->screens());
        const auto focusWindow = [&focusWindows]() -> ZRFocusWindow& { return focusWindows.focusWindow(); };
        // Empty until the launch loads it, after the settings have their defaults and older keys moved.
        ZRActionManager store(defaults, platform->globalHotKeys(), RunLoop::main(),
                              NotificationCenter::defaultCenter());
        const ZRActionManager::Installation installedStore(store);
        ZRMainController controller(store, defaults, *platform, RunLoop::main(),
                                    ZRWindowObserver::defaultObserver());
        application.setHotKeyHandler(&controller);
        // No hot key reaches the controller once it is going.
        const Connection handlingHotKeys([&application] { application.setHotKeyHandler(nullptr); });
        // The areas above the shell join here, in this order: mouse control, the settings window, keyboard
        // control.
        auto mouseControl = std::make_unique<ZRMouseController>(ZRMouseControlContext{
            *platform, defaults, RunLoop::main(), DispatchQueue::global(QueuePriority::High),
            NotificationCenter::defaultCenter(), ZRWindowObserver::defaultObserver(), focusWindow,
            windowSettings, [&store]() -> ZRActionManager& { return store; },
            [&controller]() -> ZRMainController& { return controller; }});
        controller.actions().setDropZones(&mouseControl->ownDropZones());
        // A palette item's action closes the palette.
        controller.actions().setPalette(mouseControl.get());
        controller.addArea(std::move(mouseControl));
        auto settings = std::make_unique<ZRSettingsController>(ZRSettingsContext{
            controller, store, defaults, *platform, RunLoop::main(), NotificationCenter::defaultCenter(),
            focusWindow, ZRAboutPanelManager::aboutPanelManager(), windowSettings});
        ZRHelpManager::makeHelpManagerOnFirstUse({defaults, RunLoop::main(),
                                                  DispatchQueue::global(QueuePriority::Default),
                                                  ZRFindPasteboard::shared()});
        settings->setHelpHandler([](QObject* sender) { ZRHelpManager::helpManager().help(sender); });
        controller.addArea(std::move(settings));
        controller.addArea(std::make_unique<ZRKeyboardController>(
            controller, store,
            ZRKeyboardControlContext{*platform, defaults, RunLoop::main(), focusWindow,
                                     ZRWindowObserver::defaultObserver()}));
        controller.openFiles(files);
        QObject::connect(&instance, &ZRSingleInstance::filesReceived, &controller,
                         [&controller](const QStringList& files) {
                             if (files.isEmpty())
                                 controller.applicationShouldHandleReopen();
                             else
                                 controller.openFiles(files);
                         });
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();

        status = QApplication::exec();
        armQuitDeadline();
        // The loop also ends without the menu's "Quit" (a signal, the end of the session): nothing is asked.
        controller.applicationShouldTerminate(false);
    }
    // A failure is logged; there is no one left to tell.
    (void)defaults.save();
    // Workers may still be reading the desktop and the settings (a layout capture): both go once they are
    // done, and stay for them until the process ends when they are not.
    if (!Platform::shutDown(std::move(platform), QuitWorkerSeconds))
        (void)settings.release();
    return status;
}
