#include "ui/ButtonLook.h"

#include <algorithm>
#include <cmath>

namespace {
struct Rgb {
    double r, g, b;
};

Rgb ToRgb(COLORREF colour) { return {double(GetRValue(colour)), double(GetGValue(colour)), double(GetBValue(colour))}; }

Rgb Mix(const Rgb& a, const Rgb& b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgb Scale(const Rgb& c, double factor) { return {c.r * factor, c.g * factor, c.b * factor}; }

uint32_t Pack(const Rgb& c)
{
    const auto channel = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

// Signed distance from (x, y) to the rounded rectangle centred at (cx, cy) with half sizes (hx, hy).
double RoundedRectDistance(double x, double y, double cx, double cy, double hx, double hy, double radius)
{
    const double qx = std::abs(x - cx) - (hx - radius);
    const double qy = std::abs(y - cy) - (hy - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}
}  // namespace

ButtonLook NormalButtonLook(COLORREF face)
{
    ButtonLook look;
    look.face = face;
    look.ring = face;
    return look;
}

ButtonLook FocusedButtonLook()
{
    ButtonLook look;
    look.cornerSlice = 6;
    look.radius = 6.0;
    look.ringFraction = 0.3;
    look.focused = true;
    look.ring = kButtonFocusRing;
    return look;
}

ButtonLook HoverButtonLook(bool enabled)
{
    ButtonLook look = FocusedButtonLook();
    look.ring = enabled ? kButtonHoverRing : kButtonFace;
    return look;
}

std::vector<uint32_t> RenderButtonPixels(int width, int height, const ButtonLook& look, COLORREF background)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0)));
    if (width <= 0 || height <= 0) {
        return pixels;
    }
    const Rgb back = ToRgb(background);
    const Rgb face = ToRgb(look.face);
    // Without a ring the edge is a slightly darker face, so the shape stays visible on any footer.
    const Rgb edge = look.focused ? ToRgb(look.ring) : Scale(face, 0.78);
    const double hx = width / 2.0 - kButtonEdgeWidth / 2.0;
    const double hy = height / 2.0 - kButtonEdgeWidth / 2.0;
    const double radius = std::min({look.radius, hx, hy});
    const double band = look.focused ? kButtonEdgeWidth * (1.0 + look.ringFraction * 2.5) : 1.0;
    for (int y = 0; y < height; ++y) {
        // Light from above: a touch brighter at the top, a touch darker at the bottom.
        const double shade = 1.06 - 0.1 * (y + 0.5) / height;
        const Rgb inner = Scale(face, shade);
        for (int x = 0; x < width; ++x) {
            const double d = RoundedRectDistance(x + 0.5, y + 0.5, width / 2.0, height / 2.0, hx, hy, radius);
            const double coverage = std::clamp(0.5 - d, 0.0, 1.0);
            const double ringWeight = std::clamp(d + band + 0.5, 0.0, 1.0);
            const Rgb shape = Mix(inner, edge, ringWeight);
            pixels[static_cast<size_t>(y) * width + x] = Pack(Mix(back, shape, coverage));
        }
    }
    return pixels;
}
