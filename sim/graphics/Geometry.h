#pragma once
// CoreGraphics' value types, in points, with their runtime encodings so that
// methods may take and answer them.

#include "sim/runtime/Encoding.h"

#include <string>

namespace gfx {

struct CGPoint {
    double x = 0, y = 0;
    bool operator==(const CGPoint&) const = default;
};
struct CGSize {
    double width = 0, height = 0;
    bool operator==(const CGSize&) const = default;
};
struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    bool contains(CGPoint p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    bool intersects(const CGRect& o) const {
        return minX() < o.maxX() && o.minX() < maxX() && minY() < o.maxY() && o.minY() < maxY();
    }
};

inline CGRect CGRectMake(double x, double y, double w, double h) { return CGRect{{x, y}, {w, h}}; }

// PHImageManagerMaximumSize: ask for the image at its full size.
inline constexpr CGSize kMaximumSize{-1, -1};

} // namespace gfx

namespace rt {
template <> struct Encode<gfx::CGPoint> {
    static std::string code() { return "{CGPoint=dd}"; }
};
template <> struct Encode<gfx::CGSize> {
    static std::string code() { return "{CGSize=dd}"; }
};
template <> struct Encode<gfx::CGRect> {
    static std::string code() { return "{CGRect={CGPoint=dd}{CGSize=dd}}"; }
};
} // namespace rt
