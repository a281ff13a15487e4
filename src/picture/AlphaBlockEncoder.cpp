#include "AlphaBlockEncoder.h"

#include <algorithm>

#include "Float4.h"

namespace tavrel::detail {
namespace {

struct AlphaChoice {
    int a0 = 0, a1 = 0;
    int error = -1;
};

int AlphaError(const int* alpha, int a0, int a1, int* idx = nullptr) {
    int values[8];
    AlphaPalette(a0, a1, values);
    int total = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 1 << 30, best_k = 0;
        for (int k = 0; k < 8; ++k) {
            const int d = alpha[i] - values[k];
            if (d * d < best) {
                best = d * d;
                best_k = k;
            }
        }
        total += best;
        if (idx) idx[i] = best_k;
    }
    return total;
}

// The same total error, four pixels at a time.
int AlphaErrorOnly(const float* alpha, int a0, int a1) {
    int values[8];
    AlphaPalette(a0, a1, values);
    Float4 total = Float4::Splat(0);
    for (int q = 0; q < 16; q += 4) {
        const Float4 a = Float4::Load(alpha + q);
        Float4 best = Float4::Splat(1e9f);
        for (int k = 0; k < 8; ++k) {
            const Float4 d = a - Float4::Splat(static_cast<float>(values[k]));
            best = Min(d * d, best);
        }
        total = total + best;
    }
    return static_cast<int>(Sum(total));
}

void Consider(const float* alpha, int a0, int a1, AlphaChoice& best) {
    const int e = AlphaErrorOnly(alpha, a0, a1);
    if (best.error < 0 || e < best.error) best = {a0, a1, e};
}

}  // namespace

void AlphaPalette(int a0, int a1, int* v) {
    v[0] = a0;
    v[1] = a1;
    if (a0 > a1) {
        for (int k = 1; k <= 6; ++k) v[k + 1] = ((7 - k) * a0 + k * a1 + 3) / 7;
    } else {
        for (int k = 1; k <= 4; ++k) v[k + 1] = ((5 - k) * a0 + k * a1 + 2) / 5;
        v[6] = 0;
        v[7] = 255;
    }
}

void EncodeAlphaBlock(const std::uint8_t* bgra, EncodeQuality quality, std::uint8_t* out) {
    int alpha[16];
    alignas(16) float alpha4[16];
    int lo = 255, hi = 0;    // over all pixels
    int lo6 = 255, hi6 = 0;  // over the pixels that are neither 0 nor 255
    for (int i = 0; i < 16; ++i) {
        alpha[i] = bgra[4 * i + 3];
        alpha4[i] = static_cast<float>(alpha[i]);
        lo = std::min(lo, alpha[i]);
        hi = std::max(hi, alpha[i]);
        if (alpha[i] != 0 && alpha[i] != 255) {
            lo6 = std::min(lo6, alpha[i]);
            hi6 = std::max(hi6, alpha[i]);
        }
    }
    const int reach = quality == EncodeQuality::Fast ? 1 : 3;
    AlphaChoice best;
    if (lo == hi) {
        best = {lo, lo, 0};
    } else {
        // Eight-value mode: endpoints near the extremes, alpha 0 the larger.
        for (int a0 = std::max(hi - reach, 1); a0 <= std::min(hi + 1, 255); ++a0) {
            for (int a1 = std::max(lo - 1, 0); a1 <= std::min(lo + reach, a0 - 1); ++a1) {
                Consider(alpha4, a0, a1, best);
            }
        }
        // Six-value mode: 0 and 255 come free, the endpoints span what lies between.
        if (lo6 > hi6) {
            Consider(alpha4, 0, 0, best);
        } else {
            for (int a0 = std::max(lo6 - 1, 0); a0 <= std::min(lo6 + reach, hi6); ++a0) {
                for (int a1 = std::max(hi6 - reach, a0); a1 <= std::min(hi6 + 1, 255); ++a1) {
                    Consider(alpha4, a0, a1, best);
                }
            }
        }
    }
    int idx[16];
    AlphaError(alpha, best.a0, best.a1, idx);
    out[0] = static_cast<std::uint8_t>(best.a0);
    out[1] = static_cast<std::uint8_t>(best.a1);
    for (int half = 0; half < 2; ++half) {
        std::uint32_t bits = 0;
        for (int n = 0; n < 8; ++n)
            bits |= static_cast<std::uint32_t>(idx[8 * half + n]) << (3 * n);
        out[2 + 3 * half] = static_cast<std::uint8_t>(bits);
        out[3 + 3 * half] = static_cast<std::uint8_t>(bits >> 8);
        out[4 + 3 * half] = static_cast<std::uint8_t>(bits >> 16);
    }
}

}  // namespace tavrel::detail
