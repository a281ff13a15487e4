#include "demo/DemoPictures.h"

#include <algorithm>
#include <cmath>

namespace tavrel::demo {
namespace {

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

Color Mix(const Color& x, const Color& y, float t) {
    t = Clamp01(t);
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

// Paints `top` over `base` with the given coverage (straight alpha).
Color Over(const Color& base, const Color& top, float coverage) {
    const float a = Clamp01(top.a * coverage);
    const float out_a = a + base.a * (1 - a);
    if (out_a <= 0) return {0, 0, 0, 0};
    auto ch = [&](float t, float b) { return (t * a + b * base.a * (1 - a)) / out_a; };
    return {ch(top.r, base.r), ch(top.g, base.g), ch(top.b, base.b), out_a};
}

Color Hsv(float h, float s, float v, float a = 1) {
    h = h - std::floor(h);
    const float k[3] = {5, 3, 1};
    float rgb[3];
    for (int i = 0; i < 3; ++i) {
        const float t = std::fmod(k[i] + h * 6, 6.0f);
        rgb[i] = v - v * s * std::max(0.0f, std::min({t, 4 - t, 1.0f}));
    }
    return {rgb[0], rgb[1], rgb[2], a};
}

// A small deterministic sequence of numbers in [0, 1) for layouts.
class Sequence {
public:
    explicit Sequence(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    float Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<float>(state_ >> 8) / static_cast<float>(1u << 24);
    }

private:
    std::uint32_t state_;
};

// Coverage of an ellipse at (x, y), with a one-pixel soft edge. Coordinates in pixels.
float Ellipse(float x, float y, float cx, float cy, float rx, float ry) {
    const float dx = (x - cx) / rx, dy = (y - cy) / ry;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float signed_px = (d - 1) * std::min(rx, ry);
    return Clamp01(0.5f - signed_px);
}

struct Canvas {
    int width, height;
    float unit;  // the shorter side, so shapes keep their proportions on non-square pictures
};

Color GradientAt(const Canvas& c, float x, float y, std::uint32_t seed) {
    const float hue = (seed % 12) / 12.0f;
    const float t = (x / c.width + y / c.height) * 0.5f;
    Color col = Mix(Hsv(hue, 0.55f, 0.95f), Hsv(hue + 0.15f, 0.75f, 0.45f), t);
    const float sun =
        Ellipse(x, y, c.width * 0.72f, c.height * 0.3f, c.unit * 0.16f, c.unit * 0.16f);
    const float gx = (x - c.width * 0.72f) / c.unit, gy = (y - c.height * 0.3f) / c.unit;
    const float glow = std::exp(-(gx * gx + gy * gy) * 12);
    col = Over(col, Color{1.0f, 0.93f, 0.7f, 1}, glow * 0.5f);
    return Over(col, Color{1.0f, 0.97f, 0.85f, 1}, sun);
}

Color PortraitAt(const Canvas& c, float x, float y, std::uint32_t seed) {
    const float w = c.width, h = c.height, u = c.unit;
    const float hue = (seed % 7) / 7.0f;
    Color col = Mix(Hsv(hue + 0.5f, 0.35f, 0.9f), Hsv(hue + 0.55f, 0.6f, 0.5f), y / h);
    const Color cloth = Hsv(hue, 0.6f, 0.6f);
    const Color skin = Mix(Color{0.98f, 0.84f, 0.7f}, Color{0.62f, 0.42f, 0.3f}, (seed % 5) / 4.0f);
    const Color hair =
        Mix(Color{0.15f, 0.1f, 0.07f}, Color{0.85f, 0.65f, 0.3f}, ((seed / 5) % 4) / 3.0f);
    const float cx = w * 0.5f;
    col = Over(col, cloth, Ellipse(x, y, cx, h * 1.05f, u * 0.42f, u * 0.3f));
    col = Over(col, Mix(skin, Color{0, 0, 0}, 0.15f),
               Ellipse(x, y, cx, h * 0.72f, u * 0.08f, u * 0.14f));
    col = Over(col, hair, Ellipse(x, y, cx, h * 0.4f, u * 0.25f, u * 0.28f));
    col = Over(col, skin, Ellipse(x, y, cx, h * 0.46f, u * 0.2f, u * 0.25f));
    col = Over(col, hair, Ellipse(x, y, cx, h * 0.27f, u * 0.2f, u * 0.09f));
    const Color eye{0.12f, 0.12f, 0.18f};
    for (float side : {-1.0f, 1.0f}) {
        const float ex = cx + side * u * 0.08f;
        col = Over(col, Color{1, 1, 1}, Ellipse(x, y, ex, h * 0.44f, u * 0.04f, u * 0.025f));
        col = Over(col, eye, Ellipse(x, y, ex, h * 0.44f, u * 0.02f, u * 0.02f));
        col = Over(col, Color{0.95f, 0.45f, 0.45f, 0.35f},
                   Ellipse(x, y, cx + side * u * 0.12f, h * 0.53f, u * 0.04f, u * 0.03f));
    }
    // A smile: the lower half of a thin ring.
    const float ring = Ellipse(x, y, cx, h * 0.55f, u * 0.08f, u * 0.05f) -
                       Ellipse(x, y, cx, h * 0.545f, u * 0.075f, u * 0.042f);
    if (y > h * 0.56f) col = Over(col, Color{0.6f, 0.2f, 0.2f}, Clamp01(ring));
    return col;
}

float Terrain(float x, float y, std::uint32_t seed) {
    Sequence s(seed);
    float v = 0;
    float amp = 0.5f, freq = 1.1f;
    for (int i = 0; i < 4; ++i) {
        const float px = s.Next() * 6.28f, py = s.Next() * 6.28f;
        v += amp * std::sin(x * freq * 3.1f + px + std::sin(y * freq * 1.7f + py)) *
             std::cos(y * freq * 2.9f + py + 0.5f * std::sin(x * freq * 2.3f));
        amp *= 0.45f;
        freq *= 2.2f;
    }
    const float dx = x - 0.5f, dy = y - 0.5f;
    return v + 0.45f - 2.2f * (dx * dx + dy * dy);  // an island: land towards the middle
}

Color MapAt(const Canvas& c, float x, float y, std::uint32_t seed) {
    const float fx = x / c.width, fy = y / c.height;
    const float t = Terrain(fx, fy, seed);
    const struct {
        float level;
        Color color;
    } bands[] = {
        {-0.6f, {0.08f, 0.2f, 0.45f}}, {0.0f, {0.2f, 0.45f, 0.75f}}, {0.05f, {0.9f, 0.85f, 0.6f}},
        {0.2f, {0.35f, 0.65f, 0.3f}},  {0.5f, {0.2f, 0.45f, 0.2f}},  {0.75f, {0.55f, 0.5f, 0.45f}},
        {1.0f, {0.97f, 0.97f, 1.0f}},
    };
    Color col = bands[0].color;
    for (std::size_t i = 1; i < std::size(bands); ++i) {
        const float lo = bands[i - 1].level, hi = bands[i].level;
        if (t > lo) col = Mix(bands[i - 1].color, bands[i].color, (t - lo) / (hi - lo));
    }
    // Grid lines every eighth of the map.
    const float gx = std::fabs(std::fmod(fx * 8 + 0.5f, 1.0f) - 0.5f) * c.width / 8;
    const float gy = std::fabs(std::fmod(fy * 8 + 0.5f, 1.0f) - 0.5f) * c.height / 8;
    const float line = Clamp01(1.0f - std::min(gx, gy));
    return Over(col, Color{1, 1, 1, 0.25f}, line);
}

Color IconAt(const Canvas& c, float x, float y, std::uint32_t seed) {
    const float cx = c.width * 0.5f, cy = c.height * 0.5f, r = c.unit * 0.44f;
    const float dx = (x - cx) / r, dy = (y - cy) / r;
    float signed_px = 0;  // distance to the outline in pixels, negative inside
    switch (seed % 4) {
        case 0:  // disc
            signed_px = (std::sqrt(dx * dx + dy * dy) - 1) * r;
            break;
        case 1:  // diamond
            signed_px = (std::fabs(dx) + std::fabs(dy) - 1) * r * 0.7071f;
            break;
        case 2: {  // five-pointed star
            const float angle = std::atan2(dy, dx) + 1.5708f;
            const float spike = 0.72f + 0.28f * std::cos(5 * angle);
            signed_px = (std::sqrt(dx * dx + dy * dy) - spike) * r * 0.6f;
            break;
        }
        default:  // rounded square
            signed_px =
                (std::pow(std::pow(std::fabs(dx), 4.0f) + std::pow(std::fabs(dy), 4.0f), 0.25f) -
                 0.9f) *
                r;
            break;
    }
    const float fill = Clamp01(0.5f - signed_px);
    const float rim = Clamp01(0.5f - std::fabs(signed_px + std::max(1.0f, r * 0.06f)));
    const float hue = (seed % 9) / 9.0f;
    Color col = Mix(Hsv(hue, 0.5f, 1.0f), Hsv(hue, 0.9f, 0.65f), (y - cy + r) / (2 * r));
    col = Mix(col, Hsv(hue, 0.9f, 0.3f), rim);
    col.a = fill;
    return col;
}

Color ShapesAt(const Canvas& c, float x, float y, std::uint32_t seed) {
    Color col =
        Mix(Hsv(seed * 0.13f, 0.25f, 0.98f), Hsv(seed * 0.13f + 0.3f, 0.4f, 0.75f), y / c.height);
    Sequence s(seed);
    for (int i = 0; i < 6; ++i) {
        const float px = s.Next() * c.width, py = s.Next() * c.height;
        const float pr = (0.12f + 0.25f * s.Next()) * c.unit;
        col = Over(col, Hsv(s.Next(), 0.7f, 0.9f, 0.55f), Ellipse(x, y, px, py, pr, pr));
    }
    return col;
}

std::uint8_t Channel(float v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255)); }

}  // namespace

Picture MakePicture(PictureKind kind, int width, int height, std::uint32_t seed) {
    Picture picture(width, height);
    const Canvas canvas{width, height, static_cast<float>(std::min(width, height))};
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.row(y);
        for (int x = 0; x < width; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            Color col;
            switch (kind) {
                case PictureKind::Gradient:
                    col = GradientAt(canvas, px, py, seed);
                    break;
                case PictureKind::Portrait:
                    col = PortraitAt(canvas, px, py, seed);
                    break;
                case PictureKind::Map:
                    col = MapAt(canvas, px, py, seed);
                    break;
                case PictureKind::Icon:
                    col = IconAt(canvas, px, py, seed);
                    break;
                case PictureKind::Shapes:
                    col = ShapesAt(canvas, px, py, seed);
                    break;
            }
            std::uint8_t* p = row + x * 4;
            p[0] = Channel(col.b);
            p[1] = Channel(col.g);
            p[2] = Channel(col.r);
            p[3] = Channel(col.a);
        }
    }
    return picture;
}

}  // namespace tavrel::demo
