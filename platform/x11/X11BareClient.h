#pragma once

#include "platform/Geometry.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class X11Connection;

// The least a client must do and wait for, on a connection of its own, for the floors that the
// benchmarks measure the backend against: no reads, no checks, only the request and its event.
class X11BareClient {
public:
    static std::unique_ptr<X11BareClient> open(QString* error);
    ~X11BareClient();

    // Raw pointer motion of the root, as the event stream selects it.
    bool listenToRawMotion();
    // Waits for the next raw motion; false when none comes within the time.
    bool waitForRawMotion(int timeoutMilliseconds);

    // One _NET_MOVERESIZE_WINDOW per window (frame top left in root coordinates, client size; an
    // empty size moves only), all sent at once, then waits until each client has had a ConfigureNotify; false
    // on time-out.
    bool moveResize(const std::vector<std::pair<std::uint32_t, Rect>>& requests, int timeoutMilliseconds);

    // Makes that many small windows for the window manager to manage, at once, and maps them: the crowd
    // that a busy desktop puts beside the window a test acts on. They live as long as the client.
    bool mapWindows(int count);

private:
    X11BareClient();
    std::unique_ptr<X11Connection> m_connection;
    std::vector<std::uint32_t> m_watched;
};
