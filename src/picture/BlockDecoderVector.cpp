#include "BlockDecoderVector.h"

// The block decoder's SSSE3 path. Each block builds its colour palette (16 bytes: four BGRA
// entries) and alpha palette with a handful of 16-bit lane operations, then every row of four
// pixels is one byte shuffle of the palette and one 16-byte store. The results are exactly
// those of the portable path: the divisions by 3, 5 and 7 are multiplications that give the
// same integer quotients over the whole range of their inputs.

#if defined(__x86_64__) || defined(__i386__)
#define TAVREL_VECTOR_DECODER 1
#endif

#if TAVREL_VECTOR_DECODER

#include <tmmintrin.h>

#include <array>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("ssse3"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("ssse3")
#endif

namespace tavrel::detail {
namespace {

using Mask = std::array<std::uint8_t, 16>;

// Shuffle masks of one row of 2-bit indices: pixel x takes the 4 bytes of entry
// (row >> 2x) & 3 of a 16-byte palette.
constexpr std::array<Mask, 256> MakeRowMasks() {
    std::array<Mask, 256> masks{};
    for (int row = 0; row < 256; ++row) {
        for (int x = 0; x < 4; ++x) {
            const int entry = (row >> (2 * x)) & 3;
            for (int k = 0; k < 4; ++k)
                masks[row][4 * x + k] = static_cast<std::uint8_t>(4 * entry + k);
        }
    }
    return masks;
}

alignas(16) constexpr std::array<Mask, 256> kRowMasks = MakeRowMasks();

// Alpha bytes of row y (bytes 4y .. 4y + 3 of the 16 alphas) into the alpha positions of four
// pixels; 0x80 clears the colour positions.
constexpr std::array<Mask, 4> MakeAlphaRowMasks() {
    std::array<Mask, 4> masks{};
    for (int y = 0; y < 4; ++y) {
        for (int i = 0; i < 16; ++i)
            masks[y][i] = i % 4 == 3 ? static_cast<std::uint8_t>(4 * y + i / 4) : 0x80;
    }
    return masks;
}

alignas(16) constexpr std::array<Mask, 4> kAlphaRowMasks = MakeAlphaRowMasks();

inline __m128i LoadMask(const Mask& m) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(m.data()));
}

inline __m128i Lanes(std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d, std::int16_t e,
                     std::int16_t f, std::int16_t g, std::int16_t h) {
    return _mm_setr_epi16(a, b, c, d, e, f, g, h);
}

// The four colours of a colour half (colour 0, colour 1, indices) as BGRA bytes, alpha 0.
inline __m128i ColourPalette(const std::uint8_t* c) {
    const std::uint32_t pair = LoadU16(c) | (std::uint32_t{LoadU16(c + 2)} << 16);
    __m128i v = _mm_cvtsi32_si128(static_cast<int>(pair));
    v = _mm_unpacklo_epi16(v, v);  // c0 c0 c1 c1
    v = _mm_unpacklo_epi32(v, v);  // c0 c0 c0 c0 c1 c1 c1 c1
    // Each field at the top of its lane: blue << 11, green << 10 (via << 5), red as stored.
    v = _mm_mullo_epi16(v, Lanes(2048, 32, 1, 0, 2048, 32, 1, 0));
    const auto f5 = static_cast<std::int16_t>(0xF800);
    const auto f6 = static_cast<std::int16_t>(0xFC00);
    v = _mm_and_si128(v, Lanes(f5, f6, f5, 0, f5, f6, f5, 0));
    // (field << (16 - bits)) * 255 >> 16 == (field * 255) >> bits
    const __m128i ends = _mm_mulhi_epu16(v, _mm_set1_epi16(255));
    // p2 = (2 p0 + p1 + 1) / 3 in lanes 0-3, p3 = (2 p1 + p0 + 1) / 3 in lanes 4-7;
    // x / 3 == (x * 0xAAAB) >> 17 for every 16-bit x.
    const __m128i swapped = _mm_shuffle_epi32(ends, _MM_SHUFFLE(1, 0, 3, 2));
    const __m128i sum =
        _mm_add_epi16(_mm_add_epi16(ends, ends), _mm_add_epi16(swapped, _mm_set1_epi16(1)));
    const __m128i thirds =
        _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(static_cast<std::int16_t>(0xAAAB))), 1);
    return _mm_packus_epi16(ends, thirds);
}

// Weights of the interpolated alpha palette, [0]: a0 <= a1 (5 steps, then 0 and 255),
// [1]: a0 > a1 (7 steps). Entry i = (w0[i] a0 + w1[i] a1 + bias) / d, with the division as a
// multiplication: x / 5 == (x * 13108) >> 16 and x / 7 == (x * 9363) >> 16 for x < 2048.
struct AlphaWeights {
    std::int16_t w0[8], w1[8], bias[8], reciprocal[8], fill[8];
};

alignas(16) constexpr AlphaWeights kAlphaWeights[2] = {
    {{5, 0, 4, 3, 2, 1, 0, 0},
     {0, 5, 1, 2, 3, 4, 0, 0},
     {2, 2, 2, 2, 2, 2, 2, 2},
     {13108, 13108, 13108, 13108, 13108, 13108, 13108, 13108},
     {0, 0, 0, 0, 0, 0, 0, 255}},
    {{7, 0, 6, 5, 4, 3, 2, 1},
     {0, 7, 1, 2, 3, 4, 5, 6},
     {3, 3, 3, 3, 3, 3, 3, 3},
     {9363, 9363, 9363, 9363, 9363, 9363, 9363, 9363},
     {0, 0, 0, 0, 0, 0, 0, 0}},
};

inline __m128i Load8(const std::int16_t* p) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(p));
}

// The 8 alpha values of an interpolated alpha half, in bytes 0-7.
inline __m128i AlphaPalette(const std::uint8_t* a) {
    const AlphaWeights& w = kAlphaWeights[a[0] > a[1] ? 1 : 0];
    const __m128i a0 = _mm_set1_epi16(a[0]);
    const __m128i a1 = _mm_set1_epi16(a[1]);
    __m128i x = _mm_add_epi16(_mm_mullo_epi16(a0, Load8(w.w0)), _mm_mullo_epi16(a1, Load8(w.w1)));
    x = _mm_mulhi_epu16(_mm_add_epi16(x, Load8(w.bias)), Load8(w.reciprocal));
    x = _mm_or_si128(x, Load8(w.fill));
    return _mm_packus_epi16(x, x);
}

// The 16 three-bit alpha indices of bytes 2-7 as bytes (pixel n = 4y + x in byte n). Lane n
// takes the two bytes holding bits 3n .. 3n + 2, shifts them to the top and down to 3 bits.
constexpr Mask MakeIndexBytes(int first) {
    Mask m{};
    for (int i = 0; i < 8; ++i) {
        const int byte = 2 + (3 * (first + i)) / 8;
        m[2 * i] = static_cast<std::uint8_t>(byte);
        m[2 * i + 1] = static_cast<std::uint8_t>(byte + 1);  // byte 8 reads as zero
    }
    return m;
}

alignas(16) constexpr Mask kIndexBytesLow = MakeIndexBytes(0);
alignas(16) constexpr Mask kIndexBytesHigh = MakeIndexBytes(8);

constexpr std::array<std::int16_t, 8> MakeIndexShifts(int first) {
    std::array<std::int16_t, 8> s{};
    for (int i = 0; i < 8; ++i) s[i] = static_cast<std::int16_t>(1 << (13 - (3 * (first + i)) % 8));
    return s;
}

alignas(16) constexpr std::array<std::int16_t, 8> kIndexShiftsLow = MakeIndexShifts(0);
alignas(16) constexpr std::array<std::int16_t, 8> kIndexShiftsHigh = MakeIndexShifts(8);

inline __m128i AlphaIndices(const std::uint8_t* a) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a));
    __m128i lo = _mm_shuffle_epi8(bytes, LoadMask(kIndexBytesLow));
    __m128i hi = _mm_shuffle_epi8(bytes, LoadMask(kIndexBytesHigh));
    lo = _mm_srli_epi16(_mm_mullo_epi16(lo, Load8(kIndexShiftsLow.data())), 13);
    hi = _mm_srli_epi16(_mm_mullo_epi16(hi, Load8(kIndexShiftsHigh.data())), 13);
    return _mm_packus_epi16(lo, hi);
}

// Table alpha: entry k of this "palette" is a pixel with colour 0 and alpha 0, 85, 170, 255.
inline __m128i TableAlphaPalette() {
    return _mm_setr_epi32(0, 85 << 24, static_cast<int>(170u << 24), static_cast<int>(255u << 24));
}

inline void StoreRow(std::uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

template <BlockKind K>
inline void DecodeBlock(const std::uint8_t* block, std::uint8_t* out, std::size_t stride) {
    const std::uint8_t* colour = K == BlockKind::Dxt1 ? block : block + 8;
    __m128i palette = ColourPalette(colour);
    if constexpr (K == BlockKind::Dxt1) {
        palette = _mm_or_si128(palette, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
        for (int y = 0; y < 4; ++y) {
            StoreRow(out + y * stride,
                     _mm_shuffle_epi8(palette, LoadMask(kRowMasks[colour[4 + y]])));
        }
    } else if constexpr (K == BlockKind::Table) {
        const __m128i alpha = TableAlphaPalette();
        for (int y = 0; y < 4; ++y) {
            const __m128i c = _mm_shuffle_epi8(palette, LoadMask(kRowMasks[colour[4 + y]]));
            const __m128i a = _mm_shuffle_epi8(alpha, LoadMask(kRowMasks[block[4 + y]]));
            StoreRow(out + y * stride, _mm_or_si128(c, a));
        }
    } else {
        const __m128i alphas = _mm_shuffle_epi8(AlphaPalette(block), AlphaIndices(block));
        for (int y = 0; y < 4; ++y) {
            const __m128i c = _mm_shuffle_epi8(palette, LoadMask(kRowMasks[colour[4 + y]]));
            const __m128i a = _mm_shuffle_epi8(alphas, LoadMask(kAlphaRowMasks[y]));
            StoreRow(out + y * stride, _mm_or_si128(c, a));
        }
    }
}

template <BlockKind K>
void DecodeAll(std::uint8_t* out, ByteView blocks, std::int32_t width, std::int32_t height) {
    if (width < 4 || height < 4 || out == nullptr) return;
    const std::size_t columns = static_cast<std::size_t>(width) / 4;
    const std::size_t rows = static_cast<std::size_t>(height) / 4;
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    std::size_t available = blocks.size() / BlockBytes(K);
    const std::uint8_t* block = blocks.data();
    for (std::size_t r = 0; r < rows && available > 0; ++r) {
        std::uint8_t* out_row = out + r * 4 * stride;
        const std::size_t n = columns < available ? columns : available;
        for (std::size_t c = 0; c < n; ++c) {
            DecodeBlock<K>(block, out_row + c * 16, stride);
            block += BlockBytes(K);
        }
        available -= n;
    }
}

}  // namespace

void DecodeAllVector(BlockKind kind, std::uint8_t* out, ByteView blocks, std::int32_t width,
                     std::int32_t height) {
    switch (kind) {
        case BlockKind::Interpolated:
            DecodeAll<BlockKind::Interpolated>(out, blocks, width, height);
            break;
        case BlockKind::Table:
            DecodeAll<BlockKind::Table>(out, blocks, width, height);
            break;
        case BlockKind::Dxt1:
            DecodeAll<BlockKind::Dxt1>(out, blocks, width, height);
            break;
    }
}

}  // namespace tavrel::detail

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace tavrel::detail {

bool VectorDecodingSupported() {
    static const bool supported = __builtin_cpu_supports("ssse3");
    return supported;
}

}  // namespace tavrel::detail

#else  // no vector path on this processor family

namespace tavrel::detail {

bool VectorDecodingSupported() { return false; }

void DecodeAllVector(BlockKind, std::uint8_t*, ByteView, std::int32_t, std::int32_t) {}

}  // namespace tavrel::detail

#endif
