#include "ui/StateImagePixels.h"

#include <algorithm>
#include <cmath>

namespace {

struct TPoint {
    double X, Y;
};

double DistanceToSegment(TPoint p, TPoint a, TPoint b) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    double t = ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.X - (a.X + t * dx), p.Y - (a.Y + t * dy));
}

struct TColour {
    double R, G, B, A;
};

// Paints "over" what is there, in straight (not premultiplied) colour.
void Over(TColour& dst, const TColour& src) {
    const double a = src.A + dst.A * (1 - src.A);
    if (a <= 0) {
        dst = {0, 0, 0, 0};
        return;
    }
    dst.R = (src.R * src.A + dst.R * dst.A * (1 - src.A)) / a;
    dst.G = (src.G * src.A + dst.G * dst.A * (1 - src.A)) / a;
    dst.B = (src.B * src.A + dst.B * dst.A * (1 - src.A)) / a;
    dst.A = a;
}

// Colour of one sample point, in the 16-unit design square.
TColour Sample(int image, TPoint p) {
    TColour c{0, 0, 0, 0};
    if (image == 0) {
        const TPoint a{3.5, 8.5}, b{6.5, 11.5}, e{12.5, 4.0};
        if (std::min(DistanceToSegment(p, a, b), DistanceToSegment(p, b, e)) <= 1.2)
            c = {0, 0, 0, 1};
        return c;
    }
    if (std::hypot(p.X - 8.6, p.Y - 8.6) <= 6.6) Over(c, {128, 128, 128, 1});  // shadow
    if (std::hypot(p.X - 7.6, p.Y - 7.6) <= 6.6) Over(c, {220, 0, 0, 1});
    const TPoint a{5.0, 5.0}, b{10.2, 10.2}, d{5.0, 10.2}, e{10.2, 5.0};
    if (std::hypot(p.X - 7.6, p.Y - 7.6) <= 6.6 &&
        std::min(DistanceToSegment(p, a, b), DistanceToSegment(p, d, e)) <= 0.95)
        Over(c, {255, 255, 255, 1});
    return c;
}

}  // namespace

std::vector<std::uint32_t> StateImagePixels(int image, int size) {
    std::vector<std::uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
    if (size <= 0) return pixels;
    constexpr int kSamples = 4;  // per axis, for smooth edges at every size
    const double unit = 16.0 / size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    TPoint p{(x + (sx + 0.5) / kSamples) * unit, (y + (sy + 0.5) / kSamples) * unit};
                    TColour c = Sample(image, p);
                    r += c.R * c.A;
                    g += c.G * c.A;
                    b += c.B * c.A;
                    a += c.A;
                }
            const double n = kSamples * kSamples;
            auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
            pixels[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)] =
                byte(a / n * 255) << 24 | byte(r / n) << 16 | byte(g / n) << 8 | byte(b / n);
        }
    return pixels;
}
