#pragma once

// Plain value types for canvas and pixel coordinates. QPointF would do, but it compares fuzzily and
// asserts on a zero divisor, and box corners must survive exact round trips.
struct Point {
    double x = 0;
    double y = 0;
};

struct Size {
    double width = 0;
    double height = 0;
};

constexpr Point operator+(Point a, Point b) { return { a.x + b.x, a.y + b.y }; }
constexpr Point operator*(Point p, double k) { return { p.x * k, p.y * k }; }
constexpr Point operator/(Point p, double k) { return { p.x / k, p.y / k }; }
constexpr Size operator+(Size a, Size b) { return { a.width + b.width, a.height + b.height }; }
constexpr Size operator*(Size s, double k) { return { s.width * k, s.height * k }; }
constexpr Size operator/(Size s, double k) { return { s.width / k, s.height / k }; }
