// The whole program as a user meets it on an X display, beside the smallest programs that could do the same
// jobs; each pair alternates in one loop, so both meet the same load, and the ratios of one run are printed:
//   - start to a working hot key (stealth mode): the program, an xcb program that grabs the key and moves the
//     active window with one request, and a Qt widgets program that does the same once its application is
//     made (the floor of any Qt program);
//   - resident memory after that start, and that of a Qt widgets window that says hello;
//   - the keyboard menu's hot key to the menu mapped at its full size, and how often it changes its size or
//     makes a new window after the map, beside an xcb program that maps a window made at its size; the same
//     counts for the keyboard controls' panel;
//   - an action's hot key to the moved xterm frame, beside one _NET_MOVERESIZE_WINDOW and xdotool windowmove,
//     and the program's round trips to the X server from the key to its first request to the window manager
//     (counted by a library preloaded into it);
//   - CPU per 1,000 pointer motions at 500 Hz while the hover keys move an xterm, without them, and for an
//     xcb program that moves the xterm after every motion.
// Keys and the pointer are XTest input; the windows are watched from a connection of our own. Run without a
// display, it starts a private Xvfb with openbox for itself.
#include "bench/PrivateDisplay.h"
#include "platform/Keys.h"
#include "platform/x11/X11FakeInput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int StartRounds = 12;
constexpr int MenuRounds = 40;
constexpr int HoverRounds = 4;
constexpr int HoverMotions = 1000;
constexpr auto HoverMotionInterval = std::chrono::microseconds(2000); // 500 Hz
// Pointer motions go this far one way, then back, so the xterm stays on the screen.
constexpr int HoverLeg = 250;
constexpr auto StartTimeout = milliseconds(5000);
// A hot key is pressed this often while the program starts.
constexpr auto PressInterval = milliseconds(1);
// How long a started program is left to settle before its memory is read, and a mapped menu is watched for
// changes of size.
constexpr auto SettleTime = milliseconds(400);
constexpr auto MenuWatchTime = milliseconds(200);
constexpr int TinyMenuWidth = 352;
constexpr int TinyMenuHeight = 244;
// The xterm's place before every round.
constexpr int XtermX = 400;
constexpr int XtermY = 300;
// The program's hot keys: Control-Shift-F5 (the left half) and Control-Shift-F6 (the keyboard menu).
constexpr ModifierFlags HotKeyFlags = ModifierFlag::Control | ModifierFlag::Shift;
constexpr std::uint16_t HotKeyMask = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
constexpr KeyCode ActionKey = Key::F5;
constexpr KeyCode MenuKey = Key::F6;
constexpr KeyCode PanelKey = Key::F8;
// The tiny menu has a hot key of its own: two grabs of one key cannot be.
constexpr KeyCode TinyMenuKey = Key::F7;
constexpr std::uint32_t KeysymF5 = 0xffc2, KeysymF7 = 0xffc4, KeysymEscape = 0xff1b;

const char* const ProgramSettings = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>Custom Controls (4001)</key><array>
    <dict><key>Action</key><integer>12</integer><key>Move Direction</key><integer>9</integer>
      <key>Hot Key</key><dict><key>Key Code</key><integer>%1</integer>
      <key>Modifier Flags</key><integer>%3</integer></dict></dict>
    <dict><key>Action</key><integer>12</integer><key>Move Direction</key><integer>5</integer></dict>
    <dict><key>Action</key><integer>12</integer><key>Move Direction</key><integer>1</integer></dict>
    <dict><key>Action</key><integer>12</integer><key>Move Direction</key><integer>3</integer></dict>
    <dict><key>Action</key><integer>11</integer></dict>
    <dict><key>Action</key><integer>21</integer></dict>
  </array>
  <key>Keyboard Menu</key><dict><key>Key Code</key><integer>%2</integer>
    <key>Modifier Flags</key><integer>%3</integer></dict>
  <key>Keyboard Controls</key><dict><key>Key Code</key><integer>%4</integer>
    <key>Modifier Flags</key><integer>%3</integer></dict>
  <key>Hover</key><true/>
  <key>Hover Stickiness: Edges</key><false/>
  <key>Hover Stickiness: Centers</key><false/>
  <key>Hover Stickiness: Original Size</key><false/>
  <key>Stealth Mode</key><true/><key>Show Intro Popover</key><false/><key>Palette</key><dict/>
  <key>Quit Without Confirmation</key><true/>
</dict></plist>)";

double inMilliseconds(Clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

// Values of one row, in its unit, for percentiles: rows that alternate in one loop are compared by their
// medians, which shared machines disturb less than means.
class Row {
public:
    void add(double value) { m_values.push_back(value); }
    double percentile(double fraction) const {
        if (m_values.empty())
            return 0;
        std::vector<double> sorted = m_values;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, std::size_t(fraction * double(sorted.size())))];
    }
    double p50() const { return percentile(0.5); }
    void print(const std::string& name, const std::string& command) const {
        std::printf("%-66s p50 %8.2f  p95 %8.2f  (%zu)  [%s]\n", name.c_str(), p50(), percentile(0.95),
                    m_values.size(), command.c_str());
    }

private:
    std::vector<double> m_values;
};

// --- Processes

pid_t spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return 0;
    return pid;
}

// Asked to end, and killed when it takes longer than a few seconds.
void stop(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + milliseconds(8000);
    while (Clock::now() < deadline) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(milliseconds(5));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// CPU time of the process from the scheduler's nanosecond counts: of every thread, and of its main thread
// alone, with the times that thread went to sleep (each sleep is one wake to come).
struct CpuCount {
    double seconds = 0;
    double mainSeconds = 0;
    long mainSleeps = 0;
};
CpuCount cpuCount(pid_t pid) {
    CpuCount count;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const double seconds = file.readLine().split(' ').value(0).toDouble() * 1e-9;
        count.seconds += seconds;
        if (task.toInt() != pid)
            continue;
        count.mainSeconds = seconds;
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                count.mainSleeps = line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return count;
}

// A value in kB of /proc/PID/status or smaps_rollup, as megabytes.
double procMegabytes(pid_t pid, const char* file, const QByteArray& field) {
    QFile status(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// --- The display, watched from a connection of our own

class Watcher {
public:
    bool open() {
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c))
            return false;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        m_moveResize = atom("_NET_MOVERESIZE_WINDOW");
        m_active = atom("_NET_ACTIVE_WINDOW");
        xcb_flush(m_c);
        return true;
    }
    ~Watcher() {
        if (m_c)
            xcb_disconnect(m_c);
    }

    // The key code of a keysym on this keyboard; 0 for none.
    xcb_keycode_t keycode(std::uint32_t keysym) {
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        auto* reply = xcb_get_keyboard_mapping_reply(
            m_c,
            xcb_get_keyboard_mapping(m_c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
            nullptr);
        xcb_keycode_t found = 0;
        if (reply) {
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
            const int count = xcb_get_keyboard_mapping_keysyms_length(reply);
            for (int i = 0; i < count && !found; ++i)
                if (syms[i] == keysym)
                    found = xcb_keycode_t(setup->min_keycode + i / reply->keysyms_per_keycode);
        }
        std::free(reply);
        return found;
    }

    // The root child that holds the window (its frame under a window manager).
    xcb_window_t topLevel(xcb_window_t window) {
        for (;;) {
            auto* tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, window), nullptr);
            if (!tree)
                return window;
            const xcb_window_t parent = tree->parent;
            std::free(tree);
            if (parent == m_root || parent == XCB_NONE)
                return window;
            window = parent;
        }
    }

    // Puts the xterm where every round starts, makes it the active window, and waits for both. The frame
    // window need not lie where its visible frame was put: marco and metacity draw invisible borders
    // outside it, 10 px a side, so the frame is back once it is on the right side again, as a move is
    // seen once it is on the left.
    void resetWindow(xcb_window_t client, xcb_window_t frame) {
        sendRootMessage(m_moveResize, client, {1u | 0x300u | (2u << 12), XtermX, XtermY, 0, 0});
        sendRootMessage(m_active, client, {2u, XCB_CURRENT_TIME, 0, 0, 0});
        xcb_flush(m_c);
        waitFor(milliseconds(1000), [&](const xcb_generic_event_t* event) {
            return isConfigureOf(event, frame) && !isMovedLeft(event, frame);
        });
        std::this_thread::sleep_for(milliseconds(50));
        drain();
    }

    // One _NET_MOVERESIZE_WINDOW of the client's frame to the place, as the smallest outside client moves it.
    void moveResize(xcb_window_t client, std::uint32_t x, std::uint32_t y) {
        sendRootMessage(m_moveResize, client, {1u | 0x300u | (2u << 12), x, y, 0, 0});
        xcb_flush(m_c);
    }

    // Reads events until one matches or the time is up; answers whether one matched.
    template <class Predicate> bool waitFor(Clock::duration timeout, Predicate matches) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_c)) {
                const bool match = matches(event);
                std::free(event);
                if (match)
                    return true;
            }
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            pollfd descriptor{xcb_get_file_descriptor(m_c), POLLIN, 0};
            ::poll(&descriptor, 1, int(std::min<long long>(left, 1000)));
        }
    }
    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_c))
            std::free(event);
    }

    static bool isConfigureOf(const xcb_generic_event_t* event, xcb_window_t window) {
        return (event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY &&
               reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window == window;
    }
    static int frameX(const xcb_generic_event_t* event) {
        return reinterpret_cast<const xcb_configure_notify_event_t*>(event)->x;
    }
    // The frame's ConfigureNotify of a move from where a round starts to the left edge.
    static bool isMovedLeft(const xcb_generic_event_t* event, xcb_window_t frame) {
        return isConfigureOf(event, frame) && frameX(event) < XtermX / 2;
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }
    void sendRootMessage(xcb_atom_t type, xcb_window_t window, std::array<std::uint32_t, 5> data) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = type;
        std::copy(data.begin(), data.end(), message.data.data32);
        xcb_send_event(m_c, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    }

    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_moveResize = XCB_ATOM_NONE;
    xcb_atom_t m_active = XCB_ATOM_NONE;
};

// --- The run

struct Setup {
    std::unique_ptr<PrivateDisplay> display;
    QTemporaryDir home;
    QString runtimeFolder;
    std::unique_ptr<X11FakeInput> input;
    Watcher watcher;
    pid_t xterm = 0;
    xcb_window_t client = XCB_NONE;
    xcb_window_t frame = XCB_NONE;
    xcb_keycode_t f5 = 0, f7 = 0, escape = 0;
    std::map<std::string, Row> rows;
    std::map<std::string, std::string> commands;

    ~Setup() {
        for (const KeyCode key :
             {Key::Control, Key::Shift, Key::Option, ActionKey, MenuKey, TinyMenuKey, PanelKey})
            if (input)
                input->key(key, false);
        stop(xterm);
        if (!runtimeFolder.isEmpty())
            QDir(runtimeFolder).removeRecursively();
    }

    std::vector<std::string> skaf() const { return {SKAF_PROGRAM, "--platform", "x11"}; }
    QString roundTripLog() const { return home.filePath(QStringLiteral("round-trips")); }
    // The program with the counter of its round trips preloaded.
    std::vector<std::string> countedSkaf() const {
        return {"/usr/bin/env",
                "LD_PRELOAD=" SKAF_ROUND_TRIP_COUNTER,
                "SKAF_ROUND_TRIP_LOG=" + roundTripLog().toStdString(),
                SKAF_PROGRAM,
                "--platform",
                "x11"};
    }
    // The count of the last press, once the program has written it.
    std::optional<int> lastRoundTrips() const {
        QFile log(roundTripLog());
        if (!log.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
        bool ok = false;
        const int count = lines.back().toInt(&ok);
        return ok ? std::optional<int>(count) : std::nullopt;
    }
    std::vector<std::string> tinyGrabber() const {
        return {SKAF_TINY_GRABBER, std::to_string(f5), std::to_string(HotKeyMask)};
    }
    std::vector<std::string> qtGrabber() const {
        return {SKAF_QT_HELLO, "--grab", std::to_string(f5), std::to_string(HotKeyMask)};
    }
    std::vector<std::string> tinyMap() const {
        return {SKAF_TINY_MAP,
                std::to_string(f7),
                std::to_string(HotKeyMask),
                std::to_string(escape),
                std::to_string(TinyMenuWidth),
                std::to_string(TinyMenuHeight)};
    }
    std::vector<std::string> tinyFollower() const { return {SKAF_TINY_FOLLOWER, std::to_string(client)}; }

    void add(const std::string& row, const std::vector<std::string>& command, double value) {
        rows[row].add(value);
        std::string line;
        for (const std::string& part : command)
            line +=
                (line.empty() ? "" : " ") + QFileInfo(QString::fromStdString(part)).fileName().toStdString();
        commands[row] = line;
    }

    void press(KeyCode key) {
        input->key(Key::Control, true);
        input->key(Key::Shift, true);
        input->key(key, true);
        input->key(key, false);
        input->key(Key::Shift, false);
        input->key(Key::Control, false);
    }

    bool prepare() {
        if (!PrivateDisplay::startWhereThereIsNone(display, QStringLiteral(SKAF_X11_DISPLAY_SCRIPT)))
            return false;
        QString error;
        input = X11FakeInput::open(&error);
        if (!input || !watcher.open()) {
            std::fprintf(stderr, "cannot use the display: %s\n", qPrintable(error));
            return false;
        }
        f5 = watcher.keycode(KeysymF5);
        f7 = watcher.keycode(KeysymF7);
        escape = watcher.keycode(KeysymEscape);
        // The program's files in a home of their own; its runtime folder in memory, as a desktop's is.
        const QString shm = QStringLiteral("/dev/shm");
        runtimeFolder = (QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
                        QStringLiteral("/skaf-program-bench-%1").arg(QCoreApplication::applicationPid());
        QDir().mkpath(runtimeFolder);
        QFile::setPermissions(runtimeFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.toLocal8Bit());
        QDir().mkpath(home.filePath(QStringLiteral("config/Skaf")));
        QFile settings(home.filePath(QStringLiteral("config/Skaf/Settings.plist")));
        if (!settings.open(QIODevice::WriteOnly))
            return false;
        settings.write(QString::fromLatin1(ProgramSettings)
                           .arg(ActionKey)
                           .arg(MenuKey)
                           .arg(qint64(HotKeyFlags))
                           .arg(PanelKey)
                           .toUtf8());
        settings.close();

        const QString title = QStringLiteral("skaf-program-bench-%1").arg(QCoreApplication::applicationPid());
        // An xterm that runs nothing: the keys pressed before a hot key is grabbed land there harmlessly.
        xterm = spawn({"/usr/bin/xterm", "-geometry", "40x10+400+300", "-T", title.toStdString(), "-e",
                       "sleep", "100000"});
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"), title});
        search.waitForFinished(10000);
        client = xcb_window_t(search.readAllStandardOutput().trimmed().split('\n').value(0).toULong());
        if (!client) {
            std::fprintf(stderr, "the xterm did not appear\n");
            return false;
        }
        std::this_thread::sleep_for(milliseconds(300));
        frame = watcher.topLevel(client);
        return true;
    }
};

Setup* setup = nullptr;

// Starts the program and presses the hot key every millisecond until the xterm moves; the seconds from the
// start to the move, or nothing. The program is left running.
std::optional<double> startUntilHotKeyWorks(Setup& s, const std::vector<std::string>& command, pid_t* pid) {
    s.watcher.resetWindow(s.client, s.frame);
    const auto started = Clock::now();
    *pid = spawn(command);
    if (!*pid)
        return std::nullopt;
    while (Clock::now() - started < StartTimeout) {
        s.press(ActionKey);
        if (s.watcher.waitFor(PressInterval, [&](const xcb_generic_event_t* event) {
                return Watcher::isMovedLeft(event, s.frame);
            }))
            return inMilliseconds(Clock::now() - started);
    }
    return std::nullopt;
}

// The resident and proportional memory of a program settled after its start, as two rows named for it.
void addMemory(Setup& s, const std::string& name, const std::vector<std::string>& command, pid_t pid) {
    std::this_thread::sleep_for(SettleTime);
    s.add("resident memory, MB: " + name, command, procMegabytes(pid, "status", "VmRSS:"));
    s.add("proportional memory, MB: " + name, command, procMegabytes(pid, "smaps_rollup", "Pss:"));
}

void BM_StartToWorkingHotKey(benchmark::State& state) {
    Setup& s = *setup;
    const std::pair<std::string, std::vector<std::string>> programs[] = {
        {"start to working hot key, ms: skaf (stealth mode)", s.skaf()},
        {"start to working hot key, ms: tiny xcb grabber", s.tinyGrabber()},
        {"start to working hot key, ms: Qt widgets grabber", s.qtGrabber()},
    };
    for (auto _ : state) {
        for (int round = 0; round < StartRounds; ++round) {
            for (const auto& [row, command] : programs) {
                pid_t pid = 0;
                const auto elapsed = startUntilHotKeyWorks(s, command, &pid);
                if (elapsed)
                    s.add(row, command, *elapsed);
                else
                    state.SkipWithError((row + ": the hot key never worked").c_str());
                if (command == s.skaf() && elapsed)
                    addMemory(s, "skaf (stealth mode)", command, pid);
                stop(pid);
            }
            // The window that says hello, for its memory once it shows.
            const auto hello = std::vector<std::string>{SKAF_QT_HELLO};
            const pid_t pid = spawn(hello);
            s.watcher.waitFor(StartTimeout, [](const xcb_generic_event_t* event) {
                return (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            });
            addMemory(s, "Qt widgets hello-world", hello, pid);
            stop(pid);
        }
    }
}
BENCHMARK(BM_StartToWorkingHotKey)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

struct MenuOpening {
    double mapped = 0;
    double fullSize = 0;
    int configuresAfterMap = 0;
    int windowsMade = 0;
};

// Presses the menu's hot key and watches the first window mapped after it; Escape closes it again.
std::optional<MenuOpening> openMenu(Setup& s, KeyCode hotKey) {
    s.watcher.drain();
    MenuOpening opening;
    xcb_window_t menu = XCB_NONE;
    const auto pressed = Clock::now();
    s.press(hotKey);
    const bool mapped = s.watcher.waitFor(milliseconds(2000), [&](const xcb_generic_event_t* event) {
        const auto type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY)
            ++opening.windowsMade;
        if (type != XCB_MAP_NOTIFY)
            return false;
        menu = reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
        return true;
    });
    if (!mapped)
        return std::nullopt;
    opening.mapped = opening.fullSize = inMilliseconds(Clock::now() - pressed);
    // Overlays that come with the first (the panel's focus outline) are watched as well.
    std::vector<xcb_window_t> mappedWindows{menu};
    s.watcher.waitFor(MenuWatchTime, [&](const xcb_generic_event_t* event) {
        const auto type = event->response_type & 0x7f;
        if (type == XCB_MAP_NOTIFY)
            mappedWindows.push_back(reinterpret_cast<const xcb_map_notify_event_t*>(event)->window);
        if (type == XCB_CREATE_NOTIFY)
            ++opening.windowsMade;
        for (const xcb_window_t window : mappedWindows) {
            if (Watcher::isConfigureOf(event, window)) {
                ++opening.configuresAfterMap;
                if (window == menu)
                    opening.fullSize = inMilliseconds(Clock::now() - pressed);
            }
        }
        return false;
    });
    s.input->key(Key::Escape, true);
    s.input->key(Key::Escape, false);
    s.watcher.waitFor(milliseconds(2000), [&](const xcb_generic_event_t* event) {
        return (event->response_type & 0x7f) == XCB_UNMAP_NOTIFY &&
               reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window == menu;
    });
    return opening;
}

void BM_KeyboardMenuHotKeyToFullSize(benchmark::State& state) {
    Setup& s = *setup;
    pid_t skaf = 0;
    if (!startUntilHotKeyWorks(s, s.skaf(), &skaf)) {
        stop(skaf);
        state.SkipWithError("skaf did not start");
        return;
    }
    const pid_t tiny = spawn(s.tinyMap());
    std::this_thread::sleep_for(SettleTime);
    int configures = 0, windows = 0, openings = 0;
    for (auto _ : state) {
        for (int round = 0; round < MenuRounds; ++round) {
            if (const auto opening = openMenu(s, MenuKey)) {
                s.add("keyboard menu, ms: hot key to mapped, skaf", s.skaf(), opening->mapped);
                s.add("keyboard menu, ms: hot key to full size, skaf", s.skaf(), opening->fullSize);
                configures += opening->configuresAfterMap;
                windows += opening->windowsMade;
                ++openings;
            }
            if (const auto opening = openMenu(s, TinyMenuKey))
                s.add("keyboard menu, ms: hot key to full size, tiny override-redirect map", s.tinyMap(),
                      opening->fullSize);
        }
    }
    if (openings)
        std::printf(
            "\nkeyboard menu, skaf: %.2f ConfigureNotify after the map per opening (goal: at most 1), "
            "%.2f new X windows per opening\n",
            double(configures) / openings, double(windows) / openings);
    configures = windows = openings = 0;
    for (int round = 0; round < MenuRounds; ++round) {
        if (const auto opening = openMenu(s, PanelKey)) {
            s.add("keyboard controls panel, ms: hot key to mapped, skaf", s.skaf(), opening->mapped);
            configures += opening->configuresAfterMap;
            windows += opening->windowsMade;
            ++openings;
        }
    }
    if (openings)
        std::printf(
            "keyboard controls panel, skaf: %.2f ConfigureNotify after the map per opening, %.2f new X "
            "windows per opening (%d openings)\n",
            double(configures) / openings, double(windows) / openings, openings);
    stop(tiny);
    stop(skaf);
}
BENCHMARK(BM_KeyboardMenuHotKeyToFullSize)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Moves the pointer over the xterm at 500 Hz, with the hover keys held or not; the CPU the process took
// meanwhile, per 1,000 motions, and how its main thread took part.
CpuCount hoverCpu(Setup& s, pid_t pid, bool holdKeys) {
    s.watcher.resetWindow(s.client, s.frame);
    Point pointer(XtermX + 100, XtermY + 50);
    s.input->movePointer(pointer);
    if (holdKeys) {
        s.input->key(Key::Control, true);
        s.input->key(Key::Option, true);
    }
    std::this_thread::sleep_for(milliseconds(100));
    const CpuCount before = cpuCount(pid);
    auto next = Clock::now();
    for (int i = 0; i < HoverMotions; ++i) {
        pointer.x += (i / HoverLeg) % 2 == 0 ? 1 : -1;
        s.input->movePointer(pointer);
        next += HoverMotionInterval;
        std::this_thread::sleep_until(next);
    }
    std::this_thread::sleep_for(milliseconds(100));
    const CpuCount after = cpuCount(pid);
    if (holdKeys) {
        s.input->key(Key::Option, false);
        s.input->key(Key::Control, false);
    }
    s.watcher.drain();
    constexpr double PerThousandMilliseconds = 1e3 * 1000.0 / HoverMotions;
    return {(after.seconds - before.seconds) * PerThousandMilliseconds,
            (after.mainSeconds - before.mainSeconds) * PerThousandMilliseconds,
            after.mainSleeps - before.mainSleeps};
}

void BM_HoverCpuPerThousandMotions(benchmark::State& state) {
    Setup& s = *setup;
    pid_t skaf = 0;
    if (!startUntilHotKeyWorks(s, s.skaf(), &skaf)) {
        stop(skaf);
        state.SkipWithError("skaf did not start");
        return;
    }
    std::this_thread::sleep_for(SettleTime);
    for (auto _ : state) {
        for (int round = 0; round < HoverRounds; ++round) {
            const CpuCount held = hoverCpu(s, skaf, true);
            s.add("hover CPU per 1,000 motions, ms: skaf, hover keys held", s.skaf(), held.seconds);
            s.add("hover CPU per 1,000 motions, ms: skaf main thread, keys held", s.skaf(), held.mainSeconds);
            s.add("hover main-thread wakes per motion: skaf, hover keys held", s.skaf(),
                  double(held.mainSleeps) / HoverMotions);
            s.add("hover CPU per 1,000 motions, ms: skaf, no keys held", s.skaf(),
                  hoverCpu(s, skaf, false).seconds);
            const pid_t follower = spawn(s.tinyFollower());
            std::this_thread::sleep_for(milliseconds(200));
            s.add("hover CPU per 1,000 motions, ms: tiny xcb follower", s.tinyFollower(),
                  hoverCpu(s, follower, false).seconds);
            stop(follower);
        }
    }
    stop(skaf);
}
BENCHMARK(BM_HoverCpuPerThousandMotions)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the hot key of an action (its modifiers already held, as a hand holds them) to the window manager's
// ConfigureNotify of the moved xterm frame, beside the same move asked by one _NET_MOVERESIZE_WINDOW of an
// outside client (the floor of any program) and by xdotool windowmove; each round alternates the three.
void BM_HotKeyToMovedFrame(benchmark::State& state) {
    Setup& s = *setup;
    pid_t skaf = 0;
    if (!startUntilHotKeyWorks(s, s.countedSkaf(), &skaf)) {
        state.SkipWithError("the program's hot key did not work");
        stop(skaf);
        return;
    }
    const auto moved = [&](Clock::time_point started) -> std::optional<double> {
        if (!s.watcher.waitFor(milliseconds(2000), [&](const xcb_generic_event_t* event) {
                return Watcher::isMovedLeft(event, s.frame);
            }))
            return std::nullopt;
        return inMilliseconds(Clock::now() - started);
    };
    const std::string id = std::to_string(s.client);
    const std::vector<std::string> xdotool{"/usr/bin/xdotool", "windowmove", id, "0", "0"};
    // The smallest hot-key program, on a key of its own: the floor of any program that a key press reaches.
    const std::vector<std::string> tiny{SKAF_TINY_GRABBER, std::to_string(s.f7), std::to_string(HotKeyMask)};
    const pid_t tinyGrabber = spawn(tiny);
    std::this_thread::sleep_for(SettleTime);
    for (auto _ : state) {
        s.watcher.resetWindow(s.client, s.frame);
        s.input->key(Key::Control, true);
        s.input->key(Key::Shift, true);
        std::this_thread::sleep_for(milliseconds(20));
        s.watcher.drain();
        auto started = Clock::now();
        QFile::remove(s.roundTripLog());
        s.input->key(ActionKey, true);
        const auto ours = moved(started);
        s.input->key(ActionKey, false);
        s.input->key(Key::Shift, false);
        s.input->key(Key::Control, false);
        if (ours) {
            s.add("hot key to moved frame, ms: skaf", s.skaf(), *ours);
            if (const auto trips = s.lastRoundTrips())
                s.add("round trips from the hot key to the first request: skaf", s.skaf(), *trips);
        }

        s.watcher.resetWindow(s.client, s.frame);
        started = Clock::now();
        s.watcher.moveResize(s.client, 0, XtermY);
        if (const auto floor = moved(started))
            s.add("hot key to moved frame, ms: one _NET_MOVERESIZE_WINDOW", {"_NET_MOVERESIZE_WINDOW"},
                  *floor);

        s.watcher.resetWindow(s.client, s.frame);
        started = Clock::now();
        const pid_t tool = spawn(xdotool);
        if (const auto peer = moved(started))
            s.add("hot key to moved frame, ms: xdotool windowmove", xdotool, *peer);
        ::waitpid(tool, nullptr, 0);

        s.watcher.resetWindow(s.client, s.frame);
        s.input->key(Key::Control, true);
        s.input->key(Key::Shift, true);
        std::this_thread::sleep_for(milliseconds(20));
        s.watcher.drain();
        started = Clock::now();
        s.input->key(TinyMenuKey, true);
        const auto floor = moved(started);
        s.input->key(TinyMenuKey, false);
        s.input->key(Key::Shift, false);
        s.input->key(Key::Control, false);
        if (floor)
            s.add("hot key to moved frame, ms: tiny xcb grabber", tiny, *floor);
    }
    stop(tinyGrabber);
    stop(skaf);
}
BENCHMARK(BM_HotKeyToMovedFrame)->Iterations(60)->Unit(benchmark::kMillisecond)->UseRealTime();

void printRatio(const std::string& a, const std::string& b, const char* goal) {
    const auto x = setup->rows.find(a);
    const auto y = setup->rows.find(b);
    if (x == setup->rows.end() || y == setup->rows.end() || y->second.p50() <= 0)
        return;
    std::printf("%s / %s, p50: %.2fx (goal: %s)\n", a.c_str(), b.c_str(), x->second.p50() / y->second.p50(),
                goal);
}

void printResults() {
    std::printf("\n");
    for (const auto& [name, row] : setup->rows)
        row.print(name, setup->commands[name]);
    std::printf("\n");
    printRatio("start to working hot key, ms: skaf (stealth mode)",
               "start to working hot key, ms: tiny xcb grabber", "at most 3x, and at most 30 ms");
    printRatio("start to working hot key, ms: skaf (stealth mode)",
               "start to working hot key, ms: Qt widgets grabber", "none: the floor of a Qt program");
    printRatio("resident memory, MB: skaf (stealth mode)", "resident memory, MB: Qt widgets hello-world",
               "at most 1.3x");
    printRatio("proportional memory, MB: skaf (stealth mode)",
               "proportional memory, MB: Qt widgets hello-world", "none");
    printRatio("keyboard menu, ms: hot key to full size, skaf",
               "keyboard menu, ms: hot key to full size, tiny override-redirect map", "at most 2x");
    printRatio("hot key to moved frame, ms: skaf", "hot key to moved frame, ms: one _NET_MOVERESIZE_WINDOW",
               "at most 2x");
    printRatio("hot key to moved frame, ms: xdotool windowmove", "hot key to moved frame, ms: skaf",
               "at least 8x");
    printRatio("hot key to moved frame, ms: skaf", "hot key to moved frame, ms: tiny xcb grabber",
               "none: the floor of a hot-key program");
    printRatio("hot key to moved frame, ms: xdotool windowmove",
               "hot key to moved frame, ms: tiny xcb grabber",
               "none: the most any hot-key program reaches here");
    if (const auto trips = setup->rows.find("round trips from the hot key to the first request: skaf");
        trips != setup->rows.end())
        std::printf("round trips from the hot key to the first request, skaf: p50 %.0f, p95 %.0f, most %.0f "
                    "(goal: at most 2)\n",
                    trips->second.p50(), trips->second.percentile(0.95), trips->second.percentile(1.0));
    printRatio("hover CPU per 1,000 motions, ms: skaf, hover keys held",
               "hover CPU per 1,000 motions, ms: tiny xcb follower", "at most 3x");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Children that end while we wait on them are reaped by stop(); those the run leaves are ours alone.
    std::signal(SIGPIPE, SIG_IGN);
    Setup s;
    setup = &s;
    if (!s.prepare())
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    printResults();
    benchmark::Shutdown();
    return 0;
}
