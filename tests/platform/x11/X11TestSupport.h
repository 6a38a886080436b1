#pragma once

#include "platform/Geometry.h"

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

class QProcess;

// Readable values in the messages of failed expectations.
inline void PrintTo(const Point& point, std::ostream* os) {
    *os << stringFromPoint(point).toStdString();
}
inline void PrintTo(const Size& size, std::ostream* os) {
    *os << stringFromSize(size).toStdString();
}
inline void PrintTo(const Rect& rect, std::ostream* os) {
    *os << stringFromRect(rect).toStdString();
}

// The private display of the X11 tests (written by the fixture), the Qt application that reads
// events, and independent readers of the server's state: the X utilities, run as child processes.
namespace X11Test {

QByteArray run(const QString& program, const QStringList& arguments, int* exitCode = nullptr);
// Processes Qt events until the condition holds; false after the time-out.
bool waitUntil(const std::function<bool()>& condition, int timeoutMilliseconds = 5000);
void processEvents(int milliseconds = 20);

// Root coordinates of a window's inside as xwininfo reports them.
std::optional<Rect> xwininfoGeometry(std::uint32_t window);
// The frame as the window manager draws it: the client grown by _NET_FRAME_EXTENTS.
std::optional<Rect> independentFrame(std::uint32_t window);
// A frame's origin, none without a frame: a window that is gone fails a test instead of crashing it.
inline std::optional<Point> originOf(const std::optional<Rect>& frame) {
    return frame ? std::optional<Point>(frame->origin) : std::nullopt;
}
// The 32-bit values of a property as xprop prints them; empty when it is missing.
std::vector<long> xpropValues(std::uint32_t window, const QString& property);
QString xpropText(std::uint32_t window, const QString& property);
// Sets a property of 32-bit values ("1, 2, 3") with xprop, as another client would.
bool setCardinals(std::uint32_t window, const QString& property, const QString& values);
// What xwininfo says of a window, whether it is mapped and shown, and the root's _NET_ACTIVE_WINDOW (0 for
// none).
QString xwininfoText(std::uint32_t window);
bool isViewable(std::uint32_t window);
std::uint32_t activeWindow();
// Visible client windows whose WM_CLASS instance is the name, found with xdotool.
std::vector<std::uint32_t> windowsNamed(const QString& instanceName);

// A client application of the tests; ended when destroyed.
class Client {
public:
    // Starts an X toolkit program under a unique instance name (-name) at the geometry and waits
    // until the window manager has framed its window; null when it does not appear.
    static std::unique_ptr<Client> start(const QString& program, const QString& geometry);
    ~Client();

    pid_t pid() const;
    std::uint32_t window() const { return m_window; }
    const QString& name() const { return m_name; }

private:
    Client() = default;
    std::unique_ptr<QProcess> m_process;
    std::uint32_t m_window = 0;
    QString m_name;
};

// Monitors made with RandR for a test, taken away again however the test ends. Xvfb tells its clients of
// no change of monitors; announceChange makes RandR tell them, as a monitor plugged in would.
class Monitors {
public:
    ~Monitors();
    // A geometry in pixels and millimetres ("800/200x1000/250+0+0"), the outputs ("screen" or "none"); a
    // leading "*" of the name makes the monitor primary.
    bool add(const QString& name, const QString& geometry, const QString& outputs);
    void removeAll();
    // Sets the output primary and unsets it again: the server sends its screen and output change
    // notices. It leaves no output primary.
    static bool announceChange();

private:
    QStringList m_names;
};

// A compositing manager (xcompmgr) on the test display while it lives; the display has none otherwise.
// It takes a moment to claim the screen after start returns. Null when it cannot start.
class Compositor {
public:
    static std::unique_ptr<Compositor> start();
    ~Compositor();

private:
    Compositor() = default;
    std::unique_ptr<QProcess> m_process;
};

} // namespace X11Test
