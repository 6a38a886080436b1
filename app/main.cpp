#include "platform/Platform.h"
#include "platform/PlatformLog.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDemoDesktop.h"
#include "platform/sim/SimDesktop.h"
#ifdef SKAF_HAS_X11
#include "platform/x11/X11Platform.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <QApplication>
#include <string>
#include <vector>

namespace {

constexpr const char* usage =
    "Usage: skaf [--platform x11|sim]\n"
    "Moves, resizes and arranges the windows of other applications.\n\n"
    "  --platform x11   act on the windows of the current X display (the default when DISPLAY is set)\n"
    "  --platform sim   act on a simulated desktop, for trying Skaf without touching real windows\n"
    "  --help           show this text\n"
    "  --version        show the version\n";

struct Options {
    std::string platform;
    bool help = false;
    bool version = false;
    std::string error;
};

// Our own options are taken out before Qt sees the arguments: Qt reads "--platform" as the name of
// its own display plugin.
Options takeOptions(int& argc, char** argv) {
    Options options;
    std::vector<char*> rest{argv[0]};
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
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (options.error.empty() && !options.platform.empty() && options.platform != "x11" && options.platform != "sim")
        options.error = "unknown platform \"" + options.platform + "\": use x11 or sim";
    argc = static_cast<int>(rest.size());
    for (int i = 0; i < argc; ++i)
        argv[i] = rest[static_cast<std::size_t>(i)];
    return options;
}

std::unique_ptr<Platform> makePlatform(const std::string& name, QString* error) {
    if (name == "sim")
        return makeDemoDesktop();
#ifdef SKAF_HAS_X11
    return createX11Platform(error);
#else
    *error = QStringLiteral("this build has no X11 backend; use --platform sim");
    return nullptr;
#endif
}

} // namespace

int main(int argc, char** argv) {
    Options options = takeOptions(argc, argv);
    if (options.help) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("skaf %s\n", SKAF_VERSION);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "skaf: %s\n%s", options.error.c_str(), usage);
        return 2;
    }
    const bool hasDisplay = std::getenv("DISPLAY") && *std::getenv("DISPLAY");
    if (options.platform.empty())
        options.platform = hasDisplay ? "x11" : "sim";
    // The simulated desktop needs no display; our own windows then draw off screen.
    if (!hasDisplay && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Skaf"));
    QApplication::setApplicationVersion(QStringLiteral(SKAF_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    QString error;
    std::unique_ptr<Platform> platform = makePlatform(options.platform, &error);
    if (!platform) {
        std::fprintf(stderr, "skaf: %s\n", qPrintable(error));
        return 1;
    }
    Platform::setCurrent(platform.get());
    UserDefaults::standard().load();
    platformLog(QStringLiteral("running on the %1 desktop").arg(platform->name()));

    const int status = QApplication::exec();
    UserDefaults::standard().save();
    Platform::setCurrent(nullptr);
    return status;
}
