#include "ColourFit.h"

#include <algorithm>

#include "ClusterFit.h"
#include "Float4.h"

namespace tavrel::detail {
namespace {

int ToByte(float v) { return static_cast<int>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

Colour565 Quantise(const Vec3& v) {
    return {Nearest5(ToByte(v.r)), Nearest6(ToByte(v.g)), Nearest5(ToByte(v.b))};
}

EndpointPair565 Quantise(const Vec3& e0, const Vec3& e1) { return {Quantise(e0), Quantise(e1)}; }

// Weighted squared distance of four pixels to palette colour k.
inline Float4 Distance(const Float4& r, const Float4& g, const Float4& b, const Palette& pal,
                       int k) {
    const Float4 dr = r - Float4::Splat(pal.r[k]);
    const Float4 dg = g - Float4::Splat(pal.g[k]);
    const Float4 db = b - Float4::Splat(pal.b[k]);
    return dr * dr * Float4::Splat(kWeightR) + dg * dg * Float4::Splat(kWeightG) +
           db * db * Float4::Splat(kWeightB);
}

// Each pixel's nearest palette step (0..3, as a float) and the total squared error.
float NearestSteps(const BlockPixels& px, const Palette& pal, float* steps) {
    Float4 total = Float4::Splat(0);
    for (int q = 0; q < 16; q += 4) {
        const Float4 r = Float4::Load(px.r + q), g = Float4::Load(px.g + q),
                     b = Float4::Load(px.b + q);
        Float4 best = Distance(r, g, b, pal, 0);
        Float4 step = Float4::Splat(0);
        for (int k = 1; k < 4; ++k) {
            const Float4 d = Distance(r, g, b, pal, k);
            step = SelectLess(d, best, Float4::Splat(static_cast<float>(k)), step);
            best = Min(d, best);
        }
        total = total + best;
        step.Store(steps + q);
    }
    return Sum(total);
}

// Steps by the position of each pixel's projection on the segment e0-e1, as if the palette
// lay exactly in thirds.
void ProjectedSteps(const BlockPixels& px, const Vec3& e0, const Vec3& e1, float* steps) {
    const Vec3 d{e1.r - e0.r, e1.g - e0.g, e1.b - e0.b};
    const float len2 = d.r * d.r + d.g * d.g + d.b * d.b;
    const float scale = len2 > 1e-6f ? 3.0f / len2 : 0.0f;
    const Float4 dr = Float4::Splat(d.r * scale), dg = Float4::Splat(d.g * scale),
                 db = Float4::Splat(d.b * scale);
    const Float4 r0 = Float4::Splat(e0.r), g0 = Float4::Splat(e0.g), b0 = Float4::Splat(e0.b);
    const Float4 zero = Float4::Splat(0), three = Float4::Splat(3);
    for (int q = 0; q < 16; q += 4) {
        const Float4 t = (Float4::Load(px.r + q) - r0) * dr + (Float4::Load(px.g + q) - g0) * dg +
                         (Float4::Load(px.b + q) - b0) * db;
        RoundNonNegative(Min(Max(t, zero), three)).Store(steps + q);
    }
}

// Endpoints that minimise the squared error for fixed steps (2x2 normal equations, the same
// for each channel). False when the steps do not determine both endpoints.
bool LeastSquaresEndpoints(const BlockPixels& px, const float* steps, Vec3& e0, Vec3& e1) {
    const Float4 third = Float4::Splat(1.0f / 3.0f), one = Float4::Splat(1);
    Float4 aa = Float4::Splat(0), ab = aa, bb = aa, x0r = aa, x0g = aa, x0b = aa, x1r = aa,
           x1g = aa, x1b = aa;
    for (int q = 0; q < 16; q += 4) {
        const Float4 v = Float4::Load(steps + q) * third;  // weight of colour 1
        const Float4 w = one - v;
        const Float4 r = Float4::Load(px.r + q), g = Float4::Load(px.g + q),
                     b = Float4::Load(px.b + q);
        aa = aa + w * w;
        ab = ab + w * v;
        bb = bb + v * v;
        x0r = x0r + w * r;
        x0g = x0g + w * g;
        x0b = x0b + w * b;
        x1r = x1r + v * r;
        x1g = x1g + v * g;
        x1b = x1b + v * b;
    }
    const float a = Sum(aa), c = Sum(ab), d = Sum(bb);
    const float det = a * d - c * c;
    if (det < 1e-3f) return false;
    const float inv = 1.0f / det;
    const Vec3 s0{Sum(x0r), Sum(x0g), Sum(x0b)}, s1{Sum(x1r), Sum(x1g), Sum(x1b)};
    e0 = {(d * s0.r - c * s1.r) * inv, (d * s0.g - c * s1.g) * inv, (d * s0.b - c * s1.b) * inv};
    e1 = {(a * s1.r - c * s0.r) * inv, (a * s1.g - c * s0.g) * inv, (a * s1.b - c * s0.b) * inv};
    return true;
}

// One move on the grid: a step of one channel of colour 0 (d0) and of colour 1 (d1).
struct GridMove {
    int channel, d0, d1;
};

// Single steps of one endpoint, and steps of both endpoints together, the same way (shift)
// or opposite ways (stretch).
constexpr GridMove kMoves[] = {
    {0, 1, 0}, {0, -1, 0},  {0, 0, 1},  {0, 0, -1}, {1, 1, 0}, {1, -1, 0},  {1, 0, 1},  {1, 0, -1},
    {2, 1, 0}, {2, -1, 0},  {2, 0, 1},  {2, 0, -1}, {0, 1, 1}, {0, -1, -1}, {0, 1, -1}, {0, -1, 1},
    {1, 1, 1}, {1, -1, -1}, {1, 1, -1}, {1, -1, 1}, {2, 1, 1}, {2, -1, -1}, {2, 1, -1}, {2, -1, 1},
};

bool Apply(const GridMove& m, EndpointPair565& ep) {
    int* v0 = m.channel == 0 ? &ep.c0.r : m.channel == 1 ? &ep.c0.g : &ep.c0.b;
    int* v1 = m.channel == 0 ? &ep.c1.r : m.channel == 1 ? &ep.c1.g : &ep.c1.b;
    const int top = m.channel == 1 ? 63 : 31;
    *v0 += m.d0;
    *v1 += m.d1;
    return *v0 >= 0 && *v0 <= top && *v1 >= 0 && *v1 <= top;
}

// Steepest descent over moves on the 5:6:5 grid, each candidate judged by its exact error.
void RefineOnGrid(const BlockPixels& px, EndpointPair565& ep, float& error, int rounds) {
    for (int round = 0; round < rounds && error > 0; ++round) {
        EndpointPair565 best = ep;
        float best_error = error;
        for (const GridMove& move : kMoves) {
            EndpointPair565 cand = ep;
            if (!Apply(move, cand)) continue;
            const float e = PaletteError(px, MakePalette(cand));
            if (e < best_error) {
                best_error = e;
                best = cand;
            }
        }
        if (!(best_error < error)) break;
        ep = best;
        error = best_error;
    }
}

// Rounds of exact assignment and least-squares refit on the grid, while they help.
void RefitOnGrid(const BlockPixels& px, EndpointPair565& ep, float& error, int rounds) {
    float steps[16];
    for (int i = 0; i < rounds && error > 0; ++i) {
        Vec3 e0, e1;
        NearestSteps(px, MakePalette(ep), steps);
        if (!LeastSquaresEndpoints(px, steps, e0, e1)) break;
        const EndpointPair565 cand = Quantise(e0, e1);
        const float e = PaletteError(px, MakePalette(cand));
        if (!(e < error)) break;
        ep = cand;
        error = e;
    }
}

EndpointPair565 FitFast(const BlockPixels& px) {
    const ColourAxis axis = PrincipalAxis(px);
    Vec3 e0, e1;
    AxisExtremes(px, axis, e0, e1);
    alignas(16) float steps[16];
    for (int i = 0; i < 2; ++i) {
        ProjectedSteps(px, e0, e1, steps);
        if (!LeastSquaresEndpoints(px, steps, e0, e1)) break;
    }
    return Quantise(e0, e1);
}

struct SearchEffort {
    float reach;      // of the cluster fit's judgement on the grid
    int candidates;   // best splits of the cluster fit taken further
    int refits;       // rounds of RefitOnGrid
    int grid_rounds;  // rounds of RefineOnGrid
};

// Cluster fit on the principal axis; each of its best splits is moved to the grid, refitted
// and refined there, and the one with the least exact error wins.
EndpointPair565 FitClusters(const BlockPixels& px, const SearchEffort& effort) {
    const ColourAxis axis = PrincipalAxis(px);
    Vec3 e0[kMaxClusterCandidates], e1[kMaxClusterCandidates];
    int found = ClusterFitEndpoints(px, axis, effort.reach, effort.candidates, e0, e1);
    if (found == 0) {
        AxisExtremes(px, axis, e0[0], e1[0]);
        found = 1;
    }
    EndpointPair565 best{};
    float best_error = -1;
    for (int c = 0; c < found; ++c) {
        EndpointPair565 ep = Quantise(e0[c], e1[c]);
        float error = PaletteError(px, MakePalette(ep));
        RefitOnGrid(px, ep, error, effort.refits);
        RefineOnGrid(px, ep, error, effort.grid_rounds);
        if (best_error < 0 || error < best_error) {
            best = ep;
            best_error = error;
        }
    }
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
    const int r[4] = {r0, Third(r0, r1), Third(r1, r0), r1};
    const int g[4] = {g0, Third(g0, g1), Third(g1, g0), g1};
    const int b[4] = {b0, Third(b0, b1), Third(b1, b0), b1};
    Palette p;
    for (int k = 0; k < 4; ++k) {
        p.r[k] = static_cast<float>(r[k]);
        p.g[k] = static_cast<float>(g[k]);
        p.b[k] = static_cast<float>(b[k]);
    }
    return p;
}

float PaletteError(const BlockPixels& px, const Palette& pal) {
    Float4 total = Float4::Splat(0);
    for (int q = 0; q < 16; q += 4) {
        const Float4 r = Float4::Load(px.r + q), g = Float4::Load(px.g + q),
                     b = Float4::Load(px.b + q);
        Float4 best = Distance(r, g, b, pal, 0);
        for (int k = 1; k < 4; ++k) best = Min(Distance(r, g, b, pal, k), best);
        total = total + best;
    }
    return Sum(total);
}

float AssignIndices(const BlockPixels& px, const Palette& palette, std::uint32_t* indices) {
    alignas(16) float steps[16];
    const float error = NearestSteps(px, palette, steps);
    std::uint32_t packed = 0;
    for (int i = 0; i < 16; ++i) {
        packed |= static_cast<std::uint32_t>(kIndexOfStep[static_cast<int>(steps[i])]) << (2 * i);
    }
    *indices = packed;
    return error;
}

constexpr SearchEffort kDefaultEffort{0.01f, 2, 2, 4};
constexpr SearchEffort kBestEffort{0.2f, 4, 4, 16};

EndpointPair565 FitEndpoints(const BlockPixels& px, EncodeQuality quality) {
    switch (quality) {
        case EncodeQuality::Fast:
            return FitFast(px);
        case EncodeQuality::Default:
            return FitClusters(px, kDefaultEffort);
        case EncodeQuality::Best:
            return FitClusters(px, kBestEffort);
    }
    return FitClusters(px, kDefaultEffort);
}

}  // namespace tavrel::detail
