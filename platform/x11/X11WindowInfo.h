#pragma once

#include "platform/Geometry.h"

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// Sides of a frame or a strut, in pixels.
struct X11Extents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;

    friend bool operator==(const X11Extents&, const X11Extents&) = default;
};

// The sizes a window accepts (WM_NORMAL_HINTS), for its client area.
struct X11SizeHints {
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0; // 0: no maximum
    int maxHeight = 0;
    int baseWidth = 0;
    int baseHeight = 0;
    int widthIncrement = 1;
    int heightIncrement = 1;

    // Whether the window manager can give the window another size.
    bool isResizable() const;
    // The client size a window manager that honours the hints makes of the requested one.
    Size constrained(Size requested) const;
};

// A strut as _NET_WM_STRUT_PARTIAL gives it: four widths from the root's edges, each with the
// range along that edge it covers.
struct X11Strut {
    int left = 0, right = 0, top = 0, bottom = 0;
    int leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    int topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;

    // From the twelve values of _NET_WM_STRUT_PARTIAL, or the four of _NET_WM_STRUT (full length).
    static X11Strut fromValues(const std::vector<std::uint32_t>& values, int rootWidth, int rootHeight);
    friend bool operator==(const X11Strut&, const X11Strut&) = default;
};

// A monitor (in root coordinates) less the struts that reach into it.
Rect usableArea(const Rect& monitor, const std::vector<X11Strut>& struts, int rootWidth, int rootHeight);

// Properties of a client window, fetched together and kept until one of them changes.
namespace X11Property {
enum : unsigned {
    Pid = 1u << 0,
    Class = 1u << 1,
    Title = 1u << 2,
    Type = 1u << 3,
    State = 1u << 4,
    AllowedActions = 1u << 5,
    NormalHints = 1u << 6,
    Opacity = 1u << 7,
    Struts = 1u << 8,
    All = (1u << 9) - 1,
};
}

struct X11WindowInfo {
    std::uint32_t window = 0;
    unsigned fetched = 0;    // X11Property bits read so far
    unsigned generation = 0; // changes seen, so that a read that raced one is not kept
    bool exists = true;      // false once the server said BadWindow

    pid_t pid = 0;
    QByteArray instanceName;
    QByteArray className;
    QString title;
    std::vector<std::uint32_t> types;
    std::vector<std::uint32_t> states;
    std::vector<std::uint32_t> allowedActions;
    X11SizeHints hints;
    double opacity = 1.0;
    std::vector<std::uint32_t> strutValues; // of _NET_WM_STRUT_PARTIAL, else of _NET_WM_STRUT

    bool hasStrut() const { return strutValues.size() >= 4; }

    bool has(std::uint32_t atom, const std::vector<std::uint32_t>& list) const;
};
