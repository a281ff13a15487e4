#include <gtest/gtest.h>

#include <array>
#include <random>

#include "picture/TextureDecoder.h"

namespace tavrel {
namespace {

// An entry: 8-byte header (format code, size byte) followed by `data`.
Bytes Entry(std::uint8_t format, std::int32_t width, std::int32_t height, const Bytes& data) {
    Bytes e = {
        0x10, format, static_cast<std::uint8_t>(SizeExponent(width) | (SizeExponent(height) << 4)),
        0,    0,      0,
        0,    0};
    e.insert(e.end(), data.begin(), data.end());
    return e;
}

Picture Decode(const Bytes& entry) { return DecodeTexture(entry, ReadTextureInfo(entry)); }

std::array<int, 4> PixelAt(const Picture& p, int x, int y) {
    const std::uint8_t* q = p.row(y) + 4 * x;
    return {q[0], q[1], q[2], q[3]};
}

void ExpectEveryPixel(const Picture& p, std::array<int, 4> bgra) {
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) ASSERT_EQ(PixelAt(p, x, y), bgra) << x << "," << y;
    }
}

// A DXT1 block of one colour pair with every index `index`.
Bytes Dxt1Block(std::uint16_t c0, std::uint16_t c1, int index) {
    Bytes b;
    AppendU16(b, c0);
    AppendU16(b, c1);
    const auto row = static_cast<std::uint8_t>(index * 0x55);
    b.insert(b.end(), 4, row);
    return b;
}

// A DXT5 block: alpha endpoints, every alpha index `alpha_index`, then a colour half.
Bytes Dxt5Block(std::uint8_t a0, std::uint8_t a1, int alpha_index, const Bytes& colour) {
    std::uint64_t bits = 0;
    for (int n = 0; n < 16; ++n) bits |= std::uint64_t(alpha_index) << (3 * n);
    Bytes b = {a0, a1};
    for (int i = 0; i < 6; ++i) b.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    b.insert(b.end(), colour.begin(), colour.end());
    return b;
}

// Every decoding test runs on both paths of the block decoder: the portable one and, where
// the processor has it, the vector one.
class TextureDecoder : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        previous_ = SetVectorDecoding(GetParam());
        if (GetParam() && !VectorDecodingActive())
            GTEST_SKIP() << "no vector path on this processor";
    }
    void TearDown() override { SetVectorDecoding(previous_); }

private:
    bool previous_ = true;
};

INSTANTIATE_TEST_SUITE_P(Paths, TextureDecoder, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Vector" : "Portable"; });

TEST_P(TextureDecoder, WorkedExamples) {
    // Black and white endpoints, index 3: two thirds of the widened white, alpha 255.
    ExpectEveryPixel(Decode(Entry(6, 4, 4, Dxt1Block(0x0000, 0xFFFF, 3))), {165, 167, 165, 255});
    // Colour 0 above colour 1 uses the same four-colour palette.
    ExpectEveryPixel(Decode(Entry(6, 4, 4, Dxt1Block(0xFFFF, 0x0000, 3))), {82, 84, 82, 255});
    ExpectEveryPixel(Decode(Entry(6, 4, 4, Dxt1Block(0xFFFF, 0x0000, 2))), {165, 167, 165, 255});
    // Pure white widens to 247, 251, 247 in both classes.
    ExpectEveryPixel(Decode(Entry(6, 4, 4, Dxt1Block(0xFFFF, 0xFFFF, 0))), {247, 251, 247, 255});
    ExpectEveryPixel(Decode(Entry(0, 4, 4, Dxt5Block(255, 255, 0, Dxt1Block(0xFFFF, 0, 0)))),
                     {247, 251, 247, 255});
    // Interpolated alpha, both orders of the endpoints.
    ExpectEveryPixel(Decode(Entry(0, 4, 4, Dxt5Block(255, 0, 7, Dxt1Block(0, 0, 0)))),
                     {0, 0, 0, 36});
    ExpectEveryPixel(Decode(Entry(0, 4, 4, Dxt5Block(0, 255, 7, Dxt1Block(0, 0, 0)))),
                     {0, 0, 0, 255});
    ExpectEveryPixel(Decode(Entry(0, 4, 4, Dxt5Block(0, 255, 6, Dxt1Block(0, 0, 0)))),
                     {0, 0, 0, 0});
}

TEST_P(TextureDecoder, Bgra32IsCopiedWithItsAlpha) {
    Bytes data(4 * 2 * 4);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    for (std::size_t i = 3; i < data.size(); i += 4) data[i] = 0;  // alpha 0 everywhere
    Bytes entry = Entry(1, 4, 2, data);
    // A long header (20 bytes) moves the data.
    Bytes long_entry = entry;
    StoreU32(long_entry.data() + 4, 0x10111000);
    long_entry.insert(long_entry.begin() + 8, 12, 0xAB);
    for (const Bytes& e : {entry, long_entry}) {
        Picture p = Decode(e);
        ASSERT_EQ(p.width, 4);
        ASSERT_EQ(p.height, 2);
        EXPECT_EQ(p.pixels, data);
    }
}

// ---- Reference decoder: per pixel, straight from the rules ----

int Widen(int value, int bits) { return (value * 255) >> bits; }

std::array<int, 3> Endpoint(int c) {
    return {Widen(c & 31, 5), Widen((c >> 5) & 63, 6), Widen(c >> 11, 5)};
}

int InterpolatedAlpha(int a0, int a1, int index) {
    if (index == 0) return a0;
    if (index == 1) return a1;
    if (a0 > a1) return ((8 - index) * a0 + (index - 1) * a1 + 3) / 7;
    if (index == 6) return 0;
    if (index == 7) return 255;
    return ((6 - index) * a0 + (index - 1) * a1 + 2) / 5;
}

// Pixel (x, y) of a 16-byte block.
std::array<int, 4> ReferencePixel(const std::uint8_t* b, int x, int y, AlphaMode mode) {
    const auto e0 = Endpoint(b[8] | (b[9] << 8));
    const auto e1 = Endpoint(b[10] | (b[11] << 8));
    const int ci = (b[12 + y] >> (2 * x)) & 3;
    std::array<int, 4> px{};
    for (int ch = 0; ch < 3; ++ch) {
        const int p[4] = {e0[ch], e1[ch], (2 * e0[ch] + e1[ch] + 1) / 3,
                          (e0[ch] + 2 * e1[ch] + 1) / 3};
        px[ch] = p[ci];
    }
    if (mode == AlphaMode::TableAlpha) {
        const int table[4] = {0, 85, 170, 255};
        px[3] = table[(b[4 + y] >> (2 * x)) & 3];
    } else {
        // Rows 0-1 in bytes 2-4, rows 2-3 in bytes 5-7, each a 24-bit little-endian value.
        const std::uint8_t* pair = b + 2 + 3 * (y / 2);
        const int bits24 = pair[0] | (pair[1] << 8) | (pair[2] << 16);
        const int n = 4 * (y % 2) + x;
        px[3] = InterpolatedAlpha(b[0], b[1], (bits24 >> (3 * n)) & 7);
    }
    return px;
}

// 16-byte blocks in row-major order decoded pixel by pixel.
Picture ReferenceDecode(const Bytes& blocks, int width, int height, AlphaMode mode) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* b = blocks.data() + 16 * ((y / 4) * (width / 4) + x / 4);
            const auto px = ReferencePixel(b, x % 4, y % 4, mode);
            for (int ch = 0; ch < 4; ++ch) p.row(y)[4 * x + ch] = static_cast<std::uint8_t>(px[ch]);
        }
    }
    return p;
}

// DXT1 data as the expanded 16-byte blocks the rules describe.
Bytes ExpandDxt1(const Bytes& data) {
    Bytes out;
    for (std::size_t i = 0; i + 8 <= data.size(); i += 8) {
        out.insert(out.end(), {0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        out.insert(out.end(), data.begin() + i, data.begin() + i + 8);
    }
    return out;
}

Bytes RandomBytes(std::size_t n, std::mt19937& rng) {
    Bytes b(n);
    for (auto& v : b) v = static_cast<std::uint8_t>(rng());
    // Some blocks with equal or ordered endpoints, as encoders write them.
    for (std::size_t i = 0; i + 16 <= n; i += 48) b[i + 1] = b[i];
    return b;
}

TEST_P(TextureDecoder, MatchesReferenceOnRandomBlocks) {
    std::mt19937 rng(20240601);
    const std::pair<int, int> sizes[] = {{4, 4}, {8, 4}, {4, 16}, {64, 32}, {16, 128}, {256, 256}};
    for (auto [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const Bytes dxt5 = RandomBytes(static_cast<std::size_t>(w) * h, rng);
        EXPECT_EQ(Decode(Entry(0, w, h, dxt5)).pixels,
                  ReferenceDecode(dxt5, w, h, AlphaMode::InterpolatedAlpha).pixels);

        const Bytes dxt1 = RandomBytes(static_cast<std::size_t>(w) * h / 2, rng);
        EXPECT_EQ(Decode(Entry(6, w, h, dxt1)).pixels,
                  ReferenceDecode(ExpandDxt1(dxt1), w, h, AlphaMode::TableAlpha).pixels);

        Picture table(w, h);
        DecodeBlocks(table.pixels.data(), dxt5, w, h, AlphaMode::TableAlpha);
        EXPECT_EQ(table.pixels, ReferenceDecode(dxt5, w, h, AlphaMode::TableAlpha).pixels);
    }
}

// Every pair of alpha endpoints with every index, and every colour 0 against varied colour 1:
// the palettes' divisions hold over their whole input range.
TEST_P(TextureDecoder, MatchesReferenceForAllEndpoints) {
    std::mt19937 rng(99);
    Bytes blocks;
    for (int a0 = 0; a0 < 256; ++a0) {
        for (int a1 = 0; a1 < 256; ++a1) {
            const int c0 = a0 << 8 | a1;
            const int c1 = static_cast<int>(rng() & 0xFFFF);
            // Alpha indices 0..7 twice; colour indices 0..3 in every row.
            blocks.insert(blocks.end(),
                          {std::uint8_t(a0), std::uint8_t(a1), 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA});
            blocks.insert(blocks.end(), {std::uint8_t(c0), std::uint8_t(c0 >> 8), std::uint8_t(c1),
                                         std::uint8_t(c1 >> 8), 0xE4, 0x1B, 0x4E, 0xB1});
        }
    }
    Picture p(1024, 1024);
    DecodeBlocks(p.pixels.data(), blocks, 1024, 1024, AlphaMode::InterpolatedAlpha);
    EXPECT_EQ(p.pixels, ReferenceDecode(blocks, 1024, 1024, AlphaMode::InterpolatedAlpha).pixels);
}

TEST_P(TextureDecoder, PicturesBelowOneBlockDecodeToZeros) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {2, 8}, {8, 2}, {1, 32768}};
    for (auto [w, h] : sizes) {
        for (std::uint8_t format : {std::uint8_t{0}, std::uint8_t{6}}) {
            const Bytes data(static_cast<std::size_t>(w) * h, 0xFF);
            Picture p = Decode(Entry(format, w, h, data));
            ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(w) * h * 4);
            EXPECT_EQ(p.pixels, Bytes(p.pixels.size(), 0))
                << w << "x" << h << " format " << int(format);
        }
    }
}

TEST_P(TextureDecoder, MissingDataDecodesAsZeros) {
    std::mt19937 rng(7);
    // Dxt5 8x8: four blocks; the entry holds two and a half.
    const Bytes dxt5 = RandomBytes(64, rng);
    const Bytes full = Entry(0, 8, 8, dxt5);
    const Bytes cut(full.begin(), full.end() - 24);
    Picture whole = Decode(full);
    Picture part = Decode(cut);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool decoded = y < 4;  // blocks 0 and 1; block 2 is incomplete
            const std::array<int, 4> expected =
                decoded ? PixelAt(whole, x, y) : std::array<int, 4>{};
            EXPECT_EQ(PixelAt(part, x, y), expected) << x << "," << y;
        }
    }
    // Dxt1 with one block of two; Bgra32 with half its bytes; an entry cut inside its header.
    Picture dxt1 = Decode(Entry(6, 8, 4, Dxt1Block(0xFFFF, 0xFFFF, 0)));
    EXPECT_EQ(PixelAt(dxt1, 3, 3), (std::array<int, 4>{247, 251, 247, 255}));
    EXPECT_EQ(PixelAt(dxt1, 4, 0), (std::array<int, 4>{}));
    Picture bgra = Decode(Entry(1, 2, 2, Bytes(8, 9)));
    EXPECT_EQ(PixelAt(bgra, 1, 0), (std::array<int, 4>{9, 9, 9, 9}));
    EXPECT_EQ(PixelAt(bgra, 0, 1), (std::array<int, 4>{}));
    const Bytes header_only = {0x10, 1, 0x11, 0, 0};
    Picture empty = Decode(header_only);
    EXPECT_EQ(empty.pixels, Bytes(2 * 2 * 4, 0));
    // Bytes behind the top level are not part of the picture.
    Bytes longer = Entry(1, 1, 1, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(Decode(longer).pixels, (Bytes{1, 2, 3, 4}));
}

// A header of a few bytes can declare up to 32768 x 32768 pixels (4 GiB of picture): such an
// entry is not decoded unless it really holds its top level or the picture stays small.
TEST(TextureDecoderLimits, DamagedHeaderCannotForceAHugePicture) {
    struct Case {
        std::uint8_t format;
        std::int32_t width, height;
        std::size_t data_bytes;
        bool decodes;
    };
    const Case cases[] = {
        {0, 32768, 32768, 0, false},         // the fuzzer's finding: eight header bytes
        {1, 4096, 2048, 16, false},          // short and above 2048 x 2048 pixels
        {0, 2048, 2048, 16, true},           // short, at the limit: zeros behind the data
        {6, 4096, 2048, 4096 * 1024, true},  // complete: decoded whatever its size
    };
    for (const Case& c : cases) {
        const Bytes entry = Entry(c.format, c.width, c.height, Bytes(c.data_bytes, 0x11));
        const TextureInfo info = ReadTextureInfo(entry);
        EXPECT_EQ(CanDecodeTexture(entry, info), c.decodes) << c.width << "x" << c.height;
        const Picture p = DecodeTexture(entry, info);
        if (c.decodes) {
            EXPECT_EQ(p.width, c.width);
            EXPECT_EQ(p.pixels.size(), std::size_t(c.width) * c.height * 4);
        } else {
            EXPECT_TRUE(p.empty());
            EXPECT_EQ(p.width, 0);
        }
    }
}

}  // namespace
}  // namespace tavrel
