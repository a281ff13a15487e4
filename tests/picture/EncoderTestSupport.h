#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <random>

#include "format/Bytes.h"
#include "picture/Picture.h"

// Small reference decoders and pictures for the encoder tests, written independently of the
// encoder: the common BC1 rule (bit replication) and the tool's display rule
// ((x * 255) >> 5 and >> 6), both with the four-colour palette.
namespace tavrel::test {

enum class Widening { Standard, Tool };

// Blue, green, red of the four palette colours of an 8-byte colour block.
inline std::array<std::array<int, 3>, 4> ColourPalette(const std::uint8_t* block, Widening w) {
    auto widen = [w](int x, int bits) {
        if (w == Widening::Tool) return (x * 255) >> bits;
        return bits == 5 ? (x << 3) | (x >> 2) : (x << 2) | (x >> 4);
    };
    std::array<std::array<int, 3>, 4> p{};
    for (int e = 0; e < 2; ++e) {
        const int c = LoadU16(block + 2 * e);
        p[e] = {widen(c & 31, 5), widen((c >> 5) & 63, 6), widen(c >> 11, 5)};
    }
    for (int ch = 0; ch < 3; ++ch) {
        p[2][ch] = (2 * p[0][ch] + p[1][ch] + 1) / 3;
        p[3][ch] = (p[0][ch] + 2 * p[1][ch] + 1) / 3;
    }
    return p;
}

// Decodes consecutive colour blocks (`stride` bytes apart, colour half at `offset`) into
// blue, green, red of a width x height picture (alpha left as it is).
inline void DecodeColour(const Bytes& data, std::size_t stride, std::size_t offset, Picture& out,
                         Widening w) {
    const int columns = (out.width + 3) / 4;
    for (int by = 0; by < (out.height + 3) / 4; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            const std::uint8_t* block = data.data() + (by * columns + bx) * stride + offset;
            const auto pal = ColourPalette(block, w);
            const std::uint32_t idx = LoadU32(block + 4);
            for (int i = 0; i < 16; ++i) {
                const int x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x >= out.width || y >= out.height) continue;
                for (int ch = 0; ch < 3; ++ch) {
                    out.row(y)[x * 4 + ch] =
                        static_cast<std::uint8_t>(pal[(idx >> (2 * i)) & 3][ch]);
                }
            }
        }
    }
}

// The 16 alpha values of an 8-byte alpha block.
inline std::array<int, 16> DecodeAlphaBlock(const std::uint8_t* block) {
    const int a0 = block[0], a1 = block[1];
    int v[8] = {a0, a1};
    if (a0 > a1) {
        for (int k = 1; k <= 6; ++k) v[k + 1] = ((7 - k) * a0 + k * a1 + 3) / 7;
    } else {
        for (int k = 1; k <= 4; ++k) v[k + 1] = ((5 - k) * a0 + k * a1 + 2) / 5;
        v[6] = 0;
        v[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    std::array<int, 16> out{};
    for (int i = 0; i < 16; ++i) out[i] = v[(bits >> (3 * i)) & 7];
    return out;
}

// Writes the alpha halves of consecutive 16-byte blocks into the alpha of `out`.
inline void DecodeAlpha(const Bytes& data, Picture& out) {
    const int columns = (out.width + 3) / 4;
    for (int by = 0; by < (out.height + 3) / 4; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            const auto alpha = DecodeAlphaBlock(data.data() + (by * columns + bx) * 16);
            for (int i = 0; i < 16; ++i) {
                const int x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < out.width && y < out.height) {
                    out.row(y)[x * 4 + 3] = static_cast<std::uint8_t>(alpha[i]);
                }
            }
        }
    }
}

// PSNR over blue, green and red of two pictures of the same size.
inline double ColourPsnr(const Picture& a, const Picture& b) {
    double sq = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        if (i % 4 == 3) continue;
        const double d = double(a.pixels[i]) - double(b.pixels[i]);
        sq += d * d;
    }
    const double samples = double(a.width) * a.height * 3;
    return sq == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * samples / sq);
}

// Smooth colours: slow gradients and gentle waves, alpha a soft ramp.
inline Picture SmoothPicture(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = p.row(y) + x * 4;
            px[0] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.05 + y * 0.02));
            px[1] = static_cast<std::uint8_t>((x * 255) / std::max(1, w - 1));
            px[2] = static_cast<std::uint8_t>(128 + 120 * std::cos(y * 0.04));
            px[3] = static_cast<std::uint8_t>((x + y) * 255 / std::max(1, w + h - 2));
        }
    }
    return p;
}

inline Picture NoisePicture(int w, int h, unsigned seed) {
    Picture p(w, h);
    std::mt19937 rng(seed);
    for (auto& b : p.pixels) b = static_cast<std::uint8_t>(rng());
    return p;
}

inline Picture SolidPicture(int w, int h, std::uint8_t b, std::uint8_t g, std::uint8_t r,
                            std::uint8_t a = 255) {
    Picture p(w, h);
    for (int i = 0; i < w * h; ++i) {
        p.pixels[4 * i] = b;
        p.pixels[4 * i + 1] = g;
        p.pixels[4 * i + 2] = r;
        p.pixels[4 * i + 3] = a;
    }
    return p;
}

}  // namespace tavrel::test
