#include "ClusterFit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Float4.h"

namespace tavrel::detail {
namespace {

// Weights of colour 0 in the four runs: 1, 2/3, 1/3, 0. For run lengths n0..n3 the normal
// equations of the least-squares fit have the matrix [aa ab; ab bb] with
//   aa = n0 + 4/9 n1 + 1/9 n2,  bb = n3 + 4/9 n2 + 1/9 n1,  ab = 2/9 (n1 + n2).
struct RunMatrix {
    float aa, ab, bb, det;
};

RunMatrix MatrixOf(int i, int j, int k) {
    const float n0 = static_cast<float>(i), n1 = static_cast<float>(j - i);
    const float n2 = static_cast<float>(k - j), n3 = static_cast<float>(16 - k);
    RunMatrix m;
    m.aa = n0 + n1 * (4.0f / 9.0f) + n2 * (1.0f / 9.0f);
    m.bb = n3 + n2 * (4.0f / 9.0f) + n1 * (1.0f / 9.0f);
    m.ab = (n1 + n2) * (2.0f / 9.0f);
    m.det = m.aa * m.bb - m.ab * m.ab;
    return m;
}

constexpr float kMinDet = 1e-3f;

// For every split (i <= j <= k: runs [0,i), [i,j), [j,k), [k,16)) the coefficients of the
// explained energy  q = (bb x0^2 - 2 ab x0 x1 + aa x1^2) / det  in x0 = sum of weighted
// colours, x1 = total - x0. For each (i, j) the k = j..16 entries form a run padded to a
// multiple of four with zero coefficients (q = 0 there).
struct SplitTable {
    std::vector<float> c00, c01, c11;  // bb/det, -2ab/det, aa/det
    std::vector<float> penalty;        // 0, or huge where the split fixes no endpoints
    std::vector<float> id;             // i * 289 + j * 17 + k, as a float
};

constexpr int PaddedRun(int j) { return (17 - j + 3) & ~3; }

constexpr std::size_t CountSlots() {
    std::size_t n = 0;
    for (int i = 0; i <= 16; ++i) {
        for (int j = i; j <= 16; ++j) n += static_cast<std::size_t>(PaddedRun(j));
    }
    return n;
}
constexpr std::size_t kSplitSlots = CountSlots();

const SplitTable& Splits() {
    static const SplitTable table = [] {
        SplitTable t;
        for (int i = 0; i <= 16; ++i) {
            for (int j = i; j <= 16; ++j) {
                for (int n = 0; n < PaddedRun(j); ++n) {
                    const int k = j + n;
                    float c00 = 0, c01 = 0, c11 = 0;
                    RunMatrix m{0, 0, 0, 0};
                    if (k <= 16) m = MatrixOf(i, j, k);
                    const bool valid = k <= 16 && m.det > kMinDet;
                    if (valid) {
                        c00 = m.bb / m.det;
                        c01 = -2.0f * m.ab / m.det;
                        c11 = m.aa / m.det;
                    }
                    t.c00.push_back(c00);
                    t.c01.push_back(c01);
                    t.c11.push_back(c11);
                    t.penalty.push_back(valid ? 0.0f : 1e30f);
                    t.id.push_back(static_cast<float>(i * 289 + j * 17 + std::min(k, 16)));
                }
            }
        }
        return t;
    }();
    return table;
}

struct Prefix {
    float r[20], g[20], b[20];
};

// Continuous error, less the sum of squared colours, of every split slot: -q, or huge for
// padding and for splits that fix no endpoints.
void ContinuousErrors(const Prefix& p, float* errors) {
    const SplitTable& splits = Splits();
    const Float4 third = Float4::Splat(1.0f / 3.0f);
    const Float4 wr = Float4::Splat(kWeightR), wg = Float4::Splat(kWeightG),
                 wb = Float4::Splat(kWeightB);
    const Float4 tr = Float4::Splat(p.r[16]), tg = Float4::Splat(p.g[16]),
                 tb = Float4::Splat(p.b[16]);
    std::size_t at = 0;
    for (int i = 0; i <= 16; ++i) {
        for (int j = i; j <= 16; ++j) {
            const Float4 ijr = Float4::Splat(p.r[i] + p.r[j]), ijg = Float4::Splat(p.g[i] + p.g[j]),
                         ijb = Float4::Splat(p.b[i] + p.b[j]);
            for (int k = j; k < j + PaddedRun(j); k += 4, at += 4) {
                // Weighted sum for colour 0: P[i] + 2/3 (P[j] - P[i]) + 1/3 (P[k] - P[j]).
                const Float4 xr = (ijr + Float4::LoadUnaligned(p.r + k)) * third;
                const Float4 xg = (ijg + Float4::LoadUnaligned(p.g + k)) * third;
                const Float4 xb = (ijb + Float4::LoadUnaligned(p.b + k)) * third;
                const Float4 yr = tr - xr, yg = tg - xg, yb = tb - xb;
                const Float4 q = Float4::LoadUnaligned(&splits.c00[at]) *
                                     (xr * xr * wr + xg * xg * wg + xb * xb * wb) +
                                 Float4::LoadUnaligned(&splits.c01[at]) *
                                     (xr * yr * wr + xg * yg * wg + xb * yb * wb) +
                                 Float4::LoadUnaligned(&splits.c11[at]) *
                                     (yr * yr * wr + yg * yg * wg + yb * yb * wb);
                (Float4::LoadUnaligned(&splits.penalty[at]) - q).Store(errors + at);
            }
        }
    }
}

// A channel of a least-squares endpoint moved to the nearest grid value, widened again.
float SnapChannel(float v, int bits) {
    const int byte = static_cast<int>(std::clamp(v, 0.0f, 255.0f) + 0.5f);
    return static_cast<float>(bits == 5 ? Widen5(Nearest5(byte)) : Widen6(Nearest6(byte)));
}

// Least-squares endpoints of a split.
void SplitEndpoints(const Prefix& p, int i, int j, int k, Vec3& e0, Vec3& e1) {
    const RunMatrix m = MatrixOf(i, j, k);
    const Vec3 x0{(p.r[i] + p.r[j] + p.r[k]) / 3, (p.g[i] + p.g[j] + p.g[k]) / 3,
                  (p.b[i] + p.b[j] + p.b[k]) / 3};
    const Vec3 x1{p.r[16] - x0.r, p.g[16] - x0.g, p.b[16] - x0.b};
    const float inv = 1.0f / m.det;
    e0 = {(m.bb * x0.r - m.ab * x1.r) * inv, (m.bb * x0.g - m.ab * x1.g) * inv,
          (m.bb * x0.b - m.ab * x1.b) * inv};
    e1 = {(m.aa * x1.r - m.ab * x0.r) * inv, (m.aa * x1.g - m.ab * x0.g) * inv,
          (m.aa * x1.b - m.ab * x0.b) * inv};
}

// Error, less the sum of squared colours, of a split once its least-squares endpoints are
// moved to the 5:6:5 grid (weights still fixed by the split). Never below its continuous
// error, since the least-squares endpoints are the best of all for those weights.
float SnappedError(const Prefix& p, int i, int j, int k) {
    Vec3 a, b;
    SplitEndpoints(p, i, j, k, a, b);
    a = {SnapChannel(a.r, 5), SnapChannel(a.g, 6), SnapChannel(a.b, 5)};
    b = {SnapChannel(b.r, 5), SnapChannel(b.g, 6), SnapChannel(b.b, 5)};
    const RunMatrix m = MatrixOf(i, j, k);
    const Vec3 x0{(p.r[i] + p.r[j] + p.r[k]) / 3, (p.g[i] + p.g[j] + p.g[k]) / 3,
                  (p.b[i] + p.b[j] + p.b[k]) / 3};
    const Vec3 x1{p.r[16] - x0.r, p.g[16] - x0.g, p.b[16] - x0.b};
    // Per channel: aa a^2 + bb b^2 + 2 (ab a b - a x0 - b x1), weighted.
    auto channel = [&m](float a, float b, float x0, float x1) {
        return m.aa * a * a + m.bb * b * b + 2 * (m.ab * a * b - a * x0 - b * x1);
    };
    return kWeightR * channel(a.r, b.r, x0.r, x1.r) + kWeightG * channel(a.g, b.g, x0.g, x1.g) +
           kWeightB * channel(a.b, b.b, x0.b, x1.b);
}

struct Split {
    int i, j, k;
};

Split SplitOf(float id) {
    const int n = static_cast<int>(id);
    return {n / 289, (n / 17) % 17, n % 17};
}

// Keeps the `capacity` best splits seen, best first.
class SplitShortlist {
public:
    explicit SplitShortlist(int capacity) : capacity_(capacity) {}
    // Splits with a snapped error at or above this cannot enter.
    float Bound() const { return count_ < capacity_ ? 3e38f : error_[count_ - 1]; }
    void Offer(const Split& split, float error) {
        if (!(error < Bound())) return;
        int at = count_ < capacity_ ? count_++ : count_ - 1;
        while (at > 0 && error < error_[at - 1]) {
            error_[at] = error_[at - 1];
            split_[at] = split_[at - 1];
            --at;
        }
        error_[at] = error;
        split_[at] = split;
    }
    int count() const { return count_; }
    const Split& operator[](int i) const { return split_[i]; }

private:
    int capacity_;
    int count_ = 0;
    float error_[kMaxClusterCandidates] = {};
    Split split_[kMaxClusterCandidates] = {};
};

// The best splits: by continuous error, or (reach > 0) by the error once on the grid. The
// snapped search takes the best continuous split first, then tries only the splits whose
// continuous error is within `reach` of the best and below the snapped error the shortlist
// asks for; the others cannot enter (a snapped error is never below the continuous one).
void BestSplits(const Prefix& p, float energy, float reach, SplitShortlist& list) {
    const SplitTable& splits = Splits();
    const std::size_t slots = splits.id.size();
    alignas(16) float errors[kSplitSlots];
    ContinuousErrors(p, errors);
    std::size_t first = 0;
    for (std::size_t s = 1; s < slots; ++s) {
        if (errors[s] < errors[first]) first = s;
    }
    if (!(errors[first] < 1e29f)) return;
    const Split best = SplitOf(splits.id[first]);
    if (reach <= 0) {
        list.Offer(best, errors[first]);
        return;
    }
    list.Offer(best, SnappedError(p, best.i, best.j, best.k));
    const float horizon = errors[first] + reach * (energy + errors[first]);
    for (std::size_t s = 0; s < slots; ++s) {
        if (!(errors[s] < list.Bound() && errors[s] <= horizon) || s == first) continue;
        const Split cand = SplitOf(splits.id[s]);
        list.Offer(cand, SnappedError(p, cand.i, cand.j, cand.k));
    }
}

}  // namespace

ColourAxis PrincipalAxis(const BlockPixels& px) {
    Float4 sr = Float4::Splat(0), sg = sr, sb = sr;
    for (int q = 0; q < 16; q += 4) {
        sr = sr + Float4::Load(px.r + q);
        sg = sg + Float4::Load(px.g + q);
        sb = sb + Float4::Load(px.b + q);
    }
    ColourAxis axis;
    axis.mean = {Sum(sr) / 16, Sum(sg) / 16, Sum(sb) / 16};
    const Float4 mr = Float4::Splat(axis.mean.r), mg = Float4::Splat(axis.mean.g),
                 mb = Float4::Splat(axis.mean.b);
    Float4 rr = Float4::Splat(0), rg = rr, rb = rr, gg = rr, gb = rr, bb = rr;
    for (int q = 0; q < 16; q += 4) {
        const Float4 r = Float4::Load(px.r + q) - mr;
        const Float4 g = Float4::Load(px.g + q) - mg;
        const Float4 b = Float4::Load(px.b + q) - mb;
        rr = rr + r * r;
        rg = rg + r * g;
        rb = rb + r * b;
        gg = gg + g * g;
        gb = gb + g * b;
        bb = bb + b * b;
    }
    const float crr = Sum(rr), crg = Sum(rg), crb = Sum(rb), cgg = Sum(gg), cgb = Sum(gb),
                cbb = Sum(bb);
    Vec3 d{crr + crg + crb, crg + cgg + cgb, crb + cgb + cbb};
    for (int step = 0; step < 4; ++step) {
        const float m = std::max({std::abs(d.r), std::abs(d.g), std::abs(d.b)});
        if (m <= 0.0f) break;
        const Vec3 v{d.r / m, d.g / m, d.b / m};
        d = {crr * v.r + crg * v.g + crb * v.b, crg * v.r + cgg * v.g + cgb * v.b,
             crb * v.r + cgb * v.g + cbb * v.b};
    }
    const float m = std::max({std::abs(d.r), std::abs(d.g), std::abs(d.b)});
    axis.direction = m > 1e-20f ? Vec3{d.r / m, d.g / m, d.b / m} : Vec3{1, 1, 1};
    return axis;
}

void AxisExtremes(const BlockPixels& px, const ColourAxis& axis, Vec3& e0, Vec3& e1) {
    const Vec3& d = axis.direction;
    const Float4 dr = Float4::Splat(d.r), dg = Float4::Splat(d.g), db = Float4::Splat(d.b);
    const Float4 mr = Float4::Splat(axis.mean.r), mg = Float4::Splat(axis.mean.g),
                 mb = Float4::Splat(axis.mean.b);
    Float4 lo = Float4::Splat(0), hi = lo;
    for (int q = 0; q < 16; q += 4) {
        const Float4 t = (Float4::Load(px.r + q) - mr) * dr + (Float4::Load(px.g + q) - mg) * dg +
                         (Float4::Load(px.b + q) - mb) * db;
        lo = Min(lo, t);
        hi = Max(hi, t);
    }
    alignas(16) float l[4], h[4];
    lo.Store(l);
    hi.Store(h);
    const float len2 = d.r * d.r + d.g * d.g + d.b * d.b;
    const float tlo = std::min({l[0], l[1], l[2], l[3]}) / len2;
    const float thi = std::max({h[0], h[1], h[2], h[3]}) / len2;
    e0 = {axis.mean.r + d.r * thi, axis.mean.g + d.g * thi, axis.mean.b + d.b * thi};
    e1 = {axis.mean.r + d.r * tlo, axis.mean.g + d.g * tlo, axis.mean.b + d.b * tlo};
}

int ClusterFitEndpoints(const BlockPixels& px, const ColourAxis& axis, float reach, int count,
                        Vec3* e0, Vec3* e1) {
    // Order the pixels along the axis.
    float t[16];
    int order[16];
    const Vec3& d = axis.direction;
    for (int n = 0; n < 16; ++n) {
        t[n] = px.r[n] * d.r + px.g[n] * d.g + px.b[n] * d.b;
        int at = n;
        while (at > 0 && t[order[at - 1]] > t[n]) {
            order[at] = order[at - 1];
            --at;
        }
        order[at] = n;
    }
    // Prefix sums of the ordered colours, padded for the four-wide reads.
    Prefix p;
    p.r[0] = p.g[0] = p.b[0] = 0;
    for (int n = 0; n < 16; ++n) {
        p.r[n + 1] = p.r[n] + px.r[order[n]];
        p.g[n + 1] = p.g[n] + px.g[order[n]];
        p.b[n + 1] = p.b[n] + px.b[order[n]];
    }
    for (int n = 17; n < 20; ++n) {
        p.r[n] = p.r[16];
        p.g[n] = p.g[16];
        p.b[n] = p.b[16];
    }
    float energy = 0;
    for (int n = 0; n < 16; ++n)
        energy += kWeightR * px.r[n] * px.r[n] + kWeightG * px.g[n] * px.g[n] +
                  kWeightB * px.b[n] * px.b[n];
    SplitShortlist list(std::clamp(count, 1, kMaxClusterCandidates));
    BestSplits(p, energy, reach, list);
    for (int c = 0; c < list.count(); ++c) {
        SplitEndpoints(p, list[c].i, list[c].j, list[c].k, e0[c], e1[c]);
    }
    return list.count();
}

}  // namespace tavrel::detail
