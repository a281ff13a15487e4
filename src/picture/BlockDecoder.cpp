#include <array>
#include <atomic>
#include <bit>
#include <cstring>

#include "BlockDecoderVector.h"
#include "picture/TextureDecoder.h"

// The block decoder: 4x4 pixel blocks with a colour half (two RGB565 endpoints and 2-bit
// indices) and an alpha half read in one of two modes. Every block uses the four-colour
// palette, whatever the order of its endpoints, and 5/6-bit channels are widened with
// (x * 255) >> 5 and (x * 255) >> 6, so the brightest values are 247 and 251.
//
// This is the hot loop of batch export: each block builds its palettes with a few integer
// operations and writes its 16 pixels straight into the output picture. This file holds the
// portable path; BlockDecoderVector.cpp the SSSE3 one used where the processor has it.
namespace tavrel {
namespace {

using detail::BlockKind;

std::atomic<bool> vector_enabled{true};

constexpr std::array<std::uint8_t, 32> MakeWiden5() {
    std::array<std::uint8_t, 32> t{};
    for (int i = 0; i < 32; ++i) t[i] = static_cast<std::uint8_t>((i * 255) >> 5);
    return t;
}

constexpr std::array<std::uint8_t, 64> MakeWiden6() {
    std::array<std::uint8_t, 64> t{};
    for (int i = 0; i < 64; ++i) t[i] = static_cast<std::uint8_t>((i * 255) >> 6);
    return t;
}

constexpr auto kWiden5 = MakeWiden5();
constexpr auto kWiden6 = MakeWiden6();

// One output pixel: blue, green, red, alpha in memory order.
inline void StorePixel(std::uint8_t* p, std::uint32_t bgra) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &bgra, 4);
    } else {
        StoreU32(p, bgra);
    }
}

inline std::uint32_t Bgr(std::uint32_t b, std::uint32_t g, std::uint32_t r) {
    return b | (g << 8) | (r << 16);
}

// Palette of the colour half `c` (colour 0, colour 1, four index bytes), alpha bits clear.
inline void ColourPalette(const std::uint8_t* c, std::uint32_t palette[4]) {
    const std::uint32_t c0 = LoadU16(c);
    const std::uint32_t c1 = LoadU16(c + 2);
    const std::uint32_t b0 = kWiden5[c0 & 31], g0 = kWiden6[(c0 >> 5) & 63], r0 = kWiden5[c0 >> 11];
    const std::uint32_t b1 = kWiden5[c1 & 31], g1 = kWiden6[(c1 >> 5) & 63], r1 = kWiden5[c1 >> 11];
    palette[0] = Bgr(b0, g0, r0);
    palette[1] = Bgr(b1, g1, r1);
    palette[2] = Bgr((2 * b0 + b1 + 1) / 3, (2 * g0 + g1 + 1) / 3, (2 * r0 + r1 + 1) / 3);
    palette[3] = Bgr((b0 + 2 * b1 + 1) / 3, (g0 + 2 * g1 + 1) / 3, (r0 + 2 * r1 + 1) / 3);
}

// Interpolated alpha palette of bytes 0 and 1, each entry already shifted into the alpha byte.
inline void InterpolatedAlphaPalette(const std::uint8_t* a, std::uint32_t palette[8]) {
    const std::uint32_t a0 = a[0], a1 = a[1];
    std::uint32_t v[8];
    v[0] = a0;
    v[1] = a1;
    if (a0 > a1) {
        v[2] = (6 * a0 + a1 + 3) / 7;
        v[3] = (5 * a0 + 2 * a1 + 3) / 7;
        v[4] = (4 * a0 + 3 * a1 + 3) / 7;
        v[5] = (3 * a0 + 4 * a1 + 3) / 7;
        v[6] = (2 * a0 + 5 * a1 + 3) / 7;
        v[7] = (a0 + 6 * a1 + 3) / 7;
    } else {
        v[2] = (4 * a0 + a1 + 2) / 5;
        v[3] = (3 * a0 + 2 * a1 + 2) / 5;
        v[4] = (2 * a0 + 3 * a1 + 2) / 5;
        v[5] = (a0 + 4 * a1 + 2) / 5;
        v[6] = 0;
        v[7] = 255;
    }
    for (int i = 0; i < 8; ++i) palette[i] = v[i] << 24;
}

constexpr std::uint32_t kTableAlpha[4] = {0u << 24, 85u << 24, 170u << 24, 255u << 24};
constexpr std::uint32_t kOpaque = 255u << 24;

template <BlockKind K>
void DecodeBlock(const std::uint8_t* block, std::uint8_t* out, std::size_t stride) {
    const std::uint8_t* colour = K == BlockKind::Dxt1 ? block : block + 8;
    std::uint32_t palette[4];
    ColourPalette(colour, palette);

    if constexpr (K == BlockKind::Interpolated) {
        std::uint32_t alpha[8];
        InterpolatedAlphaPalette(block, alpha);
        // Bytes 2-7 as one 48-bit value: pixel n = 4y + x uses bits 3n .. 3n + 2.
        std::uint64_t bits = LoadU16(block + 2) | (std::uint64_t{LoadU32(block + 4)} << 16);
        for (int y = 0; y < 4; ++y) {
            std::uint8_t* row = out + y * stride;
            const std::uint32_t indices = colour[4 + y];
            for (int x = 0; x < 4; ++x) {
                StorePixel(row + 4 * x, palette[(indices >> (2 * x)) & 3] | alpha[bits & 7]);
                bits >>= 3;
            }
        }
    } else if constexpr (K == BlockKind::Table) {
        for (int y = 0; y < 4; ++y) {
            std::uint8_t* row = out + y * stride;
            const std::uint32_t indices = colour[4 + y];
            const std::uint32_t alphas = block[4 + y];
            for (int x = 0; x < 4; ++x) {
                StorePixel(row + 4 * x, palette[(indices >> (2 * x)) & 3] |
                                            kTableAlpha[(alphas >> (2 * x)) & 3]);
            }
        }
    } else {
        for (int i = 0; i < 4; ++i) palette[i] |= kOpaque;
        for (int y = 0; y < 4; ++y) {
            std::uint8_t* row = out + y * stride;
            const std::uint32_t indices = colour[4 + y];
            for (int x = 0; x < 4; ++x) StorePixel(row + 4 * x, palette[(indices >> (2 * x)) & 3]);
        }
    }
}

// Decodes the whole blocks of `blocks` (each `block_size` bytes) in row-major order; blocks
// the data does not hold leave their pixels as they were.
template <BlockKind K>
void DecodeAll(std::uint8_t* out, ByteView blocks, std::int32_t width, std::int32_t height) {
    if (vector_enabled.load(std::memory_order_relaxed) && detail::VectorDecodingSupported()) {
        detail::DecodeAllVector(K, out, blocks, width, height);
        return;
    }
    constexpr std::size_t block_size = detail::BlockBytes(K);
    if (width < 4 || height < 4 || out == nullptr) return;
    const std::size_t columns = static_cast<std::size_t>(width) / 4;
    const std::size_t rows = static_cast<std::size_t>(height) / 4;
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    std::size_t available = blocks.size() / block_size;
    const std::uint8_t* block = blocks.data();
    for (std::size_t r = 0; r < rows && available > 0; ++r) {
        std::uint8_t* out_row = out + r * 4 * stride;
        const std::size_t n = columns < available ? columns : available;
        for (std::size_t c = 0; c < n; ++c) {
            DecodeBlock<K>(block, out_row + c * 16, stride);
            block += block_size;
        }
        available -= n;
    }
}

}  // namespace

void DecodeBlocks(std::uint8_t* out, ByteView blocks, std::int32_t width, std::int32_t height,
                  AlphaMode mode) {
    if (mode == AlphaMode::InterpolatedAlpha) {
        DecodeAll<BlockKind::Interpolated>(out, blocks, width, height);
    } else {
        DecodeAll<BlockKind::Table>(out, blocks, width, height);
    }
}

void DecodeDxt1Blocks(std::uint8_t* out, ByteView blocks, std::int32_t width, std::int32_t height) {
    DecodeAll<BlockKind::Dxt1>(out, blocks, width, height);
}

bool SetVectorDecoding(bool enabled) {
    return vector_enabled.exchange(enabled) && detail::VectorDecodingSupported();
}

bool VectorDecodingActive() {
    return vector_enabled.load(std::memory_order_relaxed) && detail::VectorDecodingSupported();
}

}  // namespace tavrel
