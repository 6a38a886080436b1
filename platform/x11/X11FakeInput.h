#pragma once

#include "platform/Geometry.h"
#include "platform/Keys.h"
#include "platform/OverlayWindows.h"

#include <QString>
#include <cstdint>
#include <memory>

class X11Connection;
class X11Keyboard;

// Pointer and key input made up through XTest on a connection of its own, as if a device had
// produced it. For tests and benchmarks of the backend.
class X11FakeInput {
public:
    // Null with a reason when the display or its XTest extension is missing.
    static std::unique_ptr<X11FakeInput> open(QString* error);
    ~X11FakeInput();

    // Each call returns once the server has carried out the input.
    bool movePointer(Point rootPoint);
    // By so many pixels from where the pointer is, as a hand on a mouse moves it.
    bool movePointerBy(int dx, int dy);
    bool button(int button, bool down);
    // The virtual key's key on this keyboard; false when it has none.
    bool key(KeyCode virtualKey, bool down);

    // Whether this client, another than the program, could take the keyboard now: it grabs it on the
    // root and lets it go at once.
    GrabStatus tryKeyboardGrab();
    // The same for the pointer.
    GrabStatus tryPointerGrab();

private:
    X11FakeInput();
    bool send(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0, std::uint32_t root = 0);

    std::unique_ptr<X11Connection> m_connection;
    std::unique_ptr<X11Keyboard> m_keyboard;
};
