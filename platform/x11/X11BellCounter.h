#pragma once

#include <QString>
#include <cstdint>
#include <memory>

class X11Connection;

// Counts the bells rung on the display, by any client, from its opening on: the keyboard extension tells
// every client that asks of each one. For tests of the backend and of the whole program.
class X11BellCounter {
public:
    // Null with a reason when the display or its keyboard extension is missing.
    static std::unique_ptr<X11BellCounter> open(QString* error);
    ~X11BellCounter();

    // The bells the server had rung when it answered.
    int count();

private:
    X11BellCounter();

    std::unique_ptr<X11Connection> m_connection;
    std::uint8_t m_eventBase = 0;
    int m_count = 0;
};
