#include <gtest/gtest.h>

#include "EncoderTestSupport.h"
#include "picture/TextureEncoder.h"

namespace tavrel {
namespace {

// The test's own 2x2 box filter for even sides.
Picture BoxFilter(const Picture& p) {
    Picture half(p.width / 2, p.height / 2);
    for (int y = 0; y < half.height; ++y) {
        for (int x = 0; x < half.width; ++x) {
            for (int c = 0; c < 4; ++c) {
                const int sum = p.row(2 * y)[8 * x + c] + p.row(2 * y)[8 * x + 4 + c] +
                                p.row(2 * y + 1)[8 * x + c] + p.row(2 * y + 1)[8 * x + 4 + c];
                half.row(y)[4 * x + c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
        }
    }
    return half;
}

TEST(EncoderChain, HalvingAveragesWithRoundingAndKeepsOddEdges) {
    Picture p(3, 1);
    const std::uint8_t row[12] = {10, 0, 255, 1, 11, 0, 255, 2, 30, 3, 0, 4};
    std::copy(row, row + 12, p.pixels.begin());
    const Picture half = HalvePicture(p);  // 3 x 1 -> 1 x 1: all three pixels of the row
    ASSERT_EQ(half.width, 1);
    ASSERT_EQ(half.height, 1);
    EXPECT_EQ(half.pixels, (std::vector<std::uint8_t>{17, 1, 170, 2}));

    const Picture even = test::NoisePicture(6, 4, 5);
    EXPECT_EQ(HalvePicture(even).pixels, BoxFilter(even).pixels);

    const Picture column = test::NoisePicture(1, 8, 6);  // 1 x 8 -> 1 x 4, pairs of rows
    const Picture halved = HalvePicture(column);
    ASSERT_EQ(halved.width, 1);
    ASSERT_EQ(halved.height, 4);
    EXPECT_EQ(halved.pixels[4], (column.pixels[8] + column.pixels[12] + 1) / 2);
    EXPECT_TRUE(HalvePicture(Picture()).empty());
}

TEST(EncoderChain, LevelsLargestFirstEachHalfTheSize) {
    const Picture level0 = test::SmoothPicture(256, 256);
    const Picture level1 = BoxFilter(level0);
    const Picture level2 = BoxFilter(level1);
    EncodeOptions fast;
    fast.quality = EncodeQuality::Fast;
    for (PixelClass c : {PixelClass::Dxt5, PixelClass::Dxt1}) {
        const std::int64_t n = LevelChainSize(256, 256, 9, c);
        const Bytes chain = EncodeLevelChain(level0, c, n, fast);
        ASSERT_EQ(static_cast<std::int64_t>(chain.size()), n);
        auto encode = [&](const Picture& p) {
            return c == PixelClass::Dxt1 ? EncodeBc1(p, fast) : EncodeBc3(p, fast);
        };
        std::size_t at = 0;
        for (const Picture* level : {&level0, &level1, &level2}) {
            const Bytes expected = encode(*level);
            ASSERT_EQ(Bytes(chain.begin() + at, chain.begin() + at + expected.size()), expected)
                << PixelClassName(c) << " level " << level->width;
            at += expected.size();
        }
    }
}

TEST(EncoderChain, CutOrZeroPaddedToTheRequestedSize) {
    const Picture p = test::NoisePicture(8, 8, 9);
    // Levels 8x8 (4 blocks), 4x4, 2x2, 1x1 (1 block each): 7 blocks of 16 bytes.
    const Bytes whole = EncodeLevelChain(p, PixelClass::Dxt5, 7 * 16);
    const Bytes longer = EncodeLevelChain(p, PixelClass::Dxt5, 7 * 16 + 40);
    ASSERT_EQ(longer.size(), 7u * 16 + 40);
    EXPECT_EQ(Bytes(longer.begin(), longer.begin() + 7 * 16), whole);
    EXPECT_EQ(Bytes(longer.begin() + 7 * 16, longer.end()), Bytes(40, 0));
    const Bytes cut = EncodeLevelChain(p, PixelClass::Dxt1, 37);
    ASSERT_EQ(cut.size(), 37u);
    EXPECT_EQ(Bytes(cut.begin(), cut.begin() + 32), EncodeBc1(p));
    EXPECT_TRUE(EncodeLevelChain(p, PixelClass::Dxt5, 0).empty());
}

TEST(EncoderChain, ConverterCountForDxt1HalvesBeforeDividing) {
    EXPECT_EQ(ConverterByteCount(256, 256, 9, PixelClass::Dxt1),
              LevelChainSize(256, 256, 9, PixelClass::Dxt1));
    EXPECT_EQ(ConverterByteCount(256, 256, 9, PixelClass::Dxt5),
              LevelChainSize(256, 256, 9, PixelClass::Dxt5));
    // 6 x 6, two levels (the second is narrower than 4): 36 / 2 = 18 either way.
    EXPECT_EQ(ConverterByteCount(6, 6, 2, PixelClass::Dxt1), 18);
    // 20 x 9, three levels: 90 + 22 + 5 = 117 against (180 + 45 + 11) / 2 = 118.
    EXPECT_EQ(ConverterByteCount(20, 9, 3, PixelClass::Dxt1), 117);
    EXPECT_EQ(LevelChainSize(20, 9, 3, PixelClass::Dxt1), 118);
}

TEST(EncoderChain, SameBytesForAnyThreadCount) {
    const Picture p = test::NoisePicture(256, 200, 11);  // 64 x 50 blocks
    for (EncodeQuality q : {EncodeQuality::Fast, EncodeQuality::Default}) {
        EncodeOptions one;
        one.quality = q;
        one.threads = 1;
        const Bytes bc1 = EncodeBc1(p, one);
        const Bytes bc3 = EncodeBc3(p, one);
        for (int threads : {2, 3, 7}) {
            EncodeOptions many = one;
            many.threads = threads;
            EXPECT_EQ(EncodeBc1(p, many), bc1) << threads;
            EXPECT_EQ(EncodeBc3(p, many), bc3) << threads;
        }
    }
}

}  // namespace
}  // namespace tavrel
