#pragma once

#include <QString>
#include <algorithm>
#include <cmath>

// Plain value types for screen geometry. Whether a value is in Quartz coordinates (origin at the top
// left of the primary screen, y down) or Cocoa coordinates (origin at its bottom left, y up) is told
// by the name of the variable or function that holds it; these types do not know.

struct Point {
    double x = 0;
    double y = 0;

    constexpr Point() = default;
    constexpr Point(double px, double py) : x(px), y(py) {}

    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;

    constexpr Size() = default;
    constexpr Size(double w, double h) : width(w), height(h) {}

    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}

    double x() const { return origin.x; }
    double y() const { return origin.y; }
    double width() const { return size.width; }
    double height() const { return size.height; }

    // Rectangles with a negative size are read as their standardized form, as the platform did.
    double minX() const { return std::min(origin.x, origin.x + size.width); }
    double maxX() const { return std::max(origin.x, origin.x + size.width); }
    double midX() const { return origin.x + size.width / 2; }
    double minY() const { return std::min(origin.y, origin.y + size.height); }
    double maxY() const { return std::max(origin.y, origin.y + size.height); }
    double midY() const { return origin.y + size.height / 2; }

    bool isEmpty() const { return !(size.width > 0) || !(size.height > 0); }
    bool isZero() const { return *this == Rect(); }
    bool isFinite() const {
        return std::isfinite(origin.x) && std::isfinite(origin.y) && std::isfinite(size.width) &&
               std::isfinite(size.height);
    }

    Rect standardized() const { return {minX(), minY(), maxX() - minX(), maxY() - minY()}; }

    // Half-open on the far edges, like the platform's point-in-rect test.
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    bool contains(const Rect& r) const {
        return !r.isEmpty() && !isEmpty() && r.minX() >= minX() && r.maxX() <= maxX() && r.minY() >= minY() &&
               r.maxY() <= maxY();
    }
    bool intersects(const Rect& r) const { return !intersected(r).isEmpty(); }

    // The empty intersection is the zero rectangle.
    Rect intersected(const Rect& r) const {
        const double x0 = std::max(minX(), r.minX());
        const double y0 = std::max(minY(), r.minY());
        const double x1 = std::min(maxX(), r.maxX());
        const double y1 = std::min(maxY(), r.maxY());
        if (x1 <= x0 || y1 <= y0)
            return {};
        return {x0, y0, x1 - x0, y1 - y0};
    }
    Rect united(const Rect& r) const {
        if (isEmpty())
            return r;
        if (r.isEmpty())
            return *this;
        const double x0 = std::min(minX(), r.minX());
        const double y0 = std::min(minY(), r.minY());
        return {x0, y0, std::max(maxX(), r.maxX()) - x0, std::max(maxY(), r.maxY()) - y0};
    }
    Rect insetBy(double dx, double dy) const {
        return {origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy};
    }
    Rect offsetBy(double dx, double dy) const {
        return {origin.x + dx, origin.y + dy, size.width, size.height};
    }
    double area() const { return isEmpty() ? 0 : size.width * size.height; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// Each value equal to the other's within the tolerance.
inline bool rectsAreNearlyEqual(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance &&
           std::abs(a.width() - b.width()) <= tolerance && std::abs(a.height() - b.height()) <= tolerance;
}

// The text form used in stored records: "{{x, y}, {w, h}}".
QString stringFromRect(const Rect& rect);
QString stringFromPoint(const Point& point);
QString stringFromSize(const Size& size);
// Parses the text form; numbers are read in order, so "{{1,2},{3,4}}" and "1 2 3 4" both read.
// Missing numbers read as 0, and text with non-finite numbers gives the zero rectangle.
Rect rectFromString(const QString& text);
Size sizeFromString(const QString& text);
