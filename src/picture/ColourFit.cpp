#include "ColourFit.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace tavrel::detail {
namespace {

struct Vec3 {
    float r = 0, g = 0, b = 0;
};

// Weight of colour 0 in the palette entry of each index.
constexpr float kWeight0[4] = {1.0f, 0.0f, 2.0f / 3.0f, 1.0f / 3.0f};

struct NearestGrid {
    std::array<std::uint8_t, 256> five{};
    std::array<std::uint8_t, 256> six{};
};

// For each 8-bit value the 5- and 6-bit values whose widened form is closest.
const NearestGrid& Grid() {
    static const NearestGrid grid = [] {
        NearestGrid g;
        for (int v = 0; v < 256; ++v) {
            int best5 = 0, best6 = 0;
            for (int q = 0; q < 64; ++q) {
                if (q < 32 && std::abs(Widen5(q) - v) < std::abs(Widen5(best5) - v)) best5 = q;
                if (std::abs(Widen6(q) - v) < std::abs(Widen6(best6) - v)) best6 = q;
            }
            g.five[v] = static_cast<std::uint8_t>(best5);
            g.six[v] = static_cast<std::uint8_t>(best6);
        }
        return g;
    }();
    return grid;
}

int ToByte(float v) {
    v = std::clamp(v, 0.0f, 255.0f);
    return static_cast<int>(v + 0.5f);
}

Colour565 Quantise(const Vec3& v) {
    const NearestGrid& grid = Grid();
    return {grid.five[ToByte(v.r)], grid.six[ToByte(v.g)], grid.five[ToByte(v.b)]};
}

EndpointPair565 Quantise(const Vec3& e0, const Vec3& e1) { return {Quantise(e0), Quantise(e1)}; }

float NearestIndices(const BlockPixels& px, const Palette& pal, int* idx) {
    alignas(32) float best[16];
    for (int i = 0; i < 16; ++i) {
        const float dr = px.r[i] - pal.r[0], dg = px.g[i] - pal.g[0], db = px.b[i] - pal.b[0];
        best[i] = dr * dr + dg * dg + db * db;
        idx[i] = 0;
    }
    for (int k = 1; k < 4; ++k) {
        const float pr = pal.r[k], pg = pal.g[k], pb = pal.b[k];
        for (int i = 0; i < 16; ++i) {
            const float dr = px.r[i] - pr, dg = px.g[i] - pg, db = px.b[i] - pb;
            const float d = dr * dr + dg * dg + db * db;
            const bool closer = d < best[i];
            best[i] = closer ? d : best[i];
            idx[i] = closer ? k : idx[i];
        }
    }
    float sum = 0;
    for (int i = 0; i < 16; ++i) sum += best[i];
    return sum;
}

// Principal axis of the block's colours through their mean (covariance matrix, power
// iteration); the endpoints are the extreme projections onto it.
void PrincipalEndpoints(const BlockPixels& px, Vec3& e0, Vec3& e1) {
    Vec3 mean;
    for (int i = 0; i < 16; ++i) {
        mean.r += px.r[i];
        mean.g += px.g[i];
        mean.b += px.b[i];
    }
    mean.r /= 16;
    mean.g /= 16;
    mean.b /= 16;
    float rr = 0, rg = 0, rb = 0, gg = 0, gb = 0, bb = 0;
    for (int i = 0; i < 16; ++i) {
        const float r = px.r[i] - mean.r, g = px.g[i] - mean.g, b = px.b[i] - mean.b;
        rr += r * r;
        rg += r * g;
        rb += r * b;
        gg += g * g;
        gb += g * b;
        bb += b * b;
    }
    Vec3 axis{rr + rg + rb, rg + gg + gb, rb + gb + bb};
    for (int step = 0; step < 4; ++step) {
        const float m = std::max({std::abs(axis.r), std::abs(axis.g), std::abs(axis.b)});
        if (m <= 0.0f) break;
        const Vec3 v{axis.r / m, axis.g / m, axis.b / m};
        axis = {rr * v.r + rg * v.g + rb * v.b, rg * v.r + gg * v.g + gb * v.b,
                rb * v.r + gb * v.g + bb * v.b};
    }
    float len2 = axis.r * axis.r + axis.g * axis.g + axis.b * axis.b;
    if (len2 < 1e-12f) {
        axis = {1, 1, 1};
        len2 = 3;
    }
    float lo = 0, hi = 0;
    for (int i = 0; i < 16; ++i) {
        const float t = (px.r[i] - mean.r) * axis.r + (px.g[i] - mean.g) * axis.g +
                        (px.b[i] - mean.b) * axis.b;
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    lo /= len2;
    hi /= len2;
    e0 = {mean.r + axis.r * hi, mean.g + axis.g * hi, mean.b + axis.b * hi};
    e1 = {mean.r + axis.r * lo, mean.g + axis.g * lo, mean.b + axis.b * lo};
}

// Indices by the position of each pixel's projection on the segment e0-e1, as if the
// palette were exactly a third apart.
void ProjectedIndices(const BlockPixels& px, const Vec3& e0, const Vec3& e1, int* idx) {
    constexpr int kIndexOfStep[4] = {0, 2, 3, 1};
    const Vec3 d{e1.r - e0.r, e1.g - e0.g, e1.b - e0.b};
    const float len2 = d.r * d.r + d.g * d.g + d.b * d.b;
    const float scale = len2 > 1e-6f ? 3.0f / len2 : 0.0f;
    for (int i = 0; i < 16; ++i) {
        const float t =
            ((px.r[i] - e0.r) * d.r + (px.g[i] - e0.g) * d.g + (px.b[i] - e0.b) * d.b) * scale;
        const int step = static_cast<int>(std::clamp(t, 0.0f, 3.0f) + 0.5f);
        idx[i] = kIndexOfStep[step];
    }
}

// Endpoints that minimise the squared error for fixed indices (2x2 normal equations, the
// same for each channel). False when the indices do not determine both endpoints.
bool LeastSquaresEndpoints(const BlockPixels& px, const int* idx, Vec3& e0, Vec3& e1) {
    float aa = 0, ab = 0, bb = 0;
    Vec3 x0, x1;
    for (int i = 0; i < 16; ++i) {
        const float w = kWeight0[idx[i]];
        const float v = 1.0f - w;
        aa += w * w;
        ab += w * v;
        bb += v * v;
        x0.r += w * px.r[i];
        x0.g += w * px.g[i];
        x0.b += w * px.b[i];
        x1.r += v * px.r[i];
        x1.g += v * px.g[i];
        x1.b += v * px.b[i];
    }
    const float det = aa * bb - ab * ab;
    if (det < 1e-3f) return false;
    const float inv = 1.0f / det;
    e0 = {(bb * x0.r - ab * x1.r) * inv, (bb * x0.g - ab * x1.g) * inv,
          (bb * x0.b - ab * x1.b) * inv};
    e1 = {(aa * x1.r - ab * x0.r) * inv, (aa * x1.g - ab * x0.g) * inv,
          (aa * x1.b - ab * x0.b) * inv};
    return true;
}

// Steepest descent over single steps of one channel of one endpoint on the 5:6:5 grid,
// each candidate judged by its exact error.
void RefineOnGrid(const BlockPixels& px, EndpointPair565& ep, float& error, int rounds) {
    for (int round = 0; round < rounds && error > 0; ++round) {
        EndpointPair565 best = ep;
        float best_error = error;
        for (int end = 0; end < 2; ++end) {
            for (int channel = 0; channel < 3; ++channel) {
                for (int delta = -1; delta <= 1; delta += 2) {
                    EndpointPair565 cand = ep;
                    Colour565& c = end == 0 ? cand.c0 : cand.c1;
                    int& value = channel == 0 ? c.r : channel == 1 ? c.g : c.b;
                    const int top = channel == 1 ? 63 : 31;
                    value += delta;
                    if (value < 0 || value > top) continue;
                    const float e = PaletteError(px, MakePalette(cand));
                    if (e < best_error) {
                        best_error = e;
                        best = cand;
                    }
                }
            }
        }
        if (!(best_error < error)) break;
        ep = best;
        error = best_error;
    }
}

struct SearchEffort {
    int refits;  // rounds of exact assignment and least-squares refit on the grid
    int grid_rounds;
};

EndpointPair565 FitFast(const BlockPixels& px) {
    Vec3 e0, e1;
    PrincipalEndpoints(px, e0, e1);
    int idx[16];
    for (int i = 0; i < 2; ++i) {
        ProjectedIndices(px, e0, e1, idx);
        if (!LeastSquaresEndpoints(px, idx, e0, e1)) break;
    }
    return Quantise(e0, e1);
}

EndpointPair565 FitSearched(const BlockPixels& px, const SearchEffort& effort) {
    Vec3 e0, e1;
    PrincipalEndpoints(px, e0, e1);
    EndpointPair565 best = Quantise(e0, e1);
    float best_error = PaletteError(px, MakePalette(best));
    int idx[16];
    for (int i = 0; i < effort.refits && best_error > 0; ++i) {
        NearestIndices(px, MakePalette(best), idx);
        if (!LeastSquaresEndpoints(px, idx, e0, e1)) break;
        const EndpointPair565 cand = Quantise(e0, e1);
        const float e = PaletteError(px, MakePalette(cand));
        if (!(e < best_error)) break;
        best = cand;
        best_error = e;
    }
    RefineOnGrid(px, best, best_error, effort.grid_rounds);
    return best;
}

}  // namespace

BlockPixels LoadBlockPixels(const std::uint8_t* bgra) {
    BlockPixels px;
    for (int i = 0; i < 16; ++i) {
        px.b[i] = bgra[4 * i];
        px.g[i] = bgra[4 * i + 1];
        px.r[i] = bgra[4 * i + 2];
    }
    return px;
}

Palette MakePalette(const EndpointPair565& ep) {
    const int r0 = Widen5(ep.c0.r), g0 = Widen6(ep.c0.g), b0 = Widen5(ep.c0.b);
    const int r1 = Widen5(ep.c1.r), g1 = Widen6(ep.c1.g), b1 = Widen5(ep.c1.b);
    Palette p;
    const int r[4] = {r0, r1, Third(r0, r1), Third(r1, r0)};
    const int g[4] = {g0, g1, Third(g0, g1), Third(g1, g0)};
    const int b[4] = {b0, b1, Third(b0, b1), Third(b1, b0)};
    for (int k = 0; k < 4; ++k) {
        p.r[k] = static_cast<float>(r[k]);
        p.g[k] = static_cast<float>(g[k]);
        p.b[k] = static_cast<float>(b[k]);
    }
    return p;
}

float PaletteError(const BlockPixels& px, const Palette& pal) {
    alignas(32) float best[16];
    for (int i = 0; i < 16; ++i) {
        const float dr = px.r[i] - pal.r[0], dg = px.g[i] - pal.g[0], db = px.b[i] - pal.b[0];
        best[i] = dr * dr + dg * dg + db * db;
    }
    for (int k = 1; k < 4; ++k) {
        const float pr = pal.r[k], pg = pal.g[k], pb = pal.b[k];
        for (int i = 0; i < 16; ++i) {
            const float dr = px.r[i] - pr, dg = px.g[i] - pg, db = px.b[i] - pb;
            const float d = dr * dr + dg * dg + db * db;
            best[i] = d < best[i] ? d : best[i];
        }
    }
    float sum = 0;
    for (int i = 0; i < 16; ++i) sum += best[i];
    return sum;
}

float AssignIndices(const BlockPixels& px, const Palette& palette, std::uint32_t* indices) {
    int idx[16];
    const float error = NearestIndices(px, palette, idx);
    std::uint32_t packed = 0;
    for (int i = 0; i < 16; ++i) packed |= static_cast<std::uint32_t>(idx[i]) << (2 * i);
    *indices = packed;
    return error;
}

EndpointPair565 FitEndpoints(const BlockPixels& px, EncodeQuality quality) {
    switch (quality) {
        case EncodeQuality::Fast: return FitFast(px);
        case EncodeQuality::Default: return FitSearched(px, {3, 8});
        case EncodeQuality::Best: return FitSearched(px, {6, 32});
    }
    return FitSearched(px, {3, 8});
}

}  // namespace tavrel::detail
