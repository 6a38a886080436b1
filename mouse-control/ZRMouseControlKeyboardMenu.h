#pragma once

// The keyboard menu, as far as mouse control closes it: drop zones take its place.
class ZRMouseControlKeyboardMenu {
public:
    virtual ~ZRMouseControlKeyboardMenu() = default;
    virtual void close() = 0;
};
