#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "EncoderTestSupport.h"
#include "picture/TextureDecoder.h"
#include "picture/TextureEncoder.h"

namespace tavrel {
namespace {

using test::Widening;

constexpr EncodeQuality kQualities[] = {EncodeQuality::Fast, EncodeQuality::Default,
                                        EncodeQuality::Best};

EncodeOptions With(EncodeQuality q) {
    EncodeOptions o;
    o.quality = q;
    return o;
}

TEST(EncoderBlocks, SmoothPictureDecodesCloseToTheSource) {
    const Picture source = test::SmoothPicture(64, 48);
    for (EncodeQuality q : kQualities) {
        const Bytes bc1 = EncodeBc1(source, With(q));
        const Bytes bc3 = EncodeBc3(source, With(q));
        ASSERT_EQ(bc1.size(), 16u * 12 * 8);
        ASSERT_EQ(bc3.size(), 16u * 12 * 16);
        Picture decoded = source;
        test::DecodeColour(bc1, 8, 0, decoded, Widening::Standard);
        EXPECT_GT(test::ColourPsnr(source, decoded), 37.5) << int(q);
        test::DecodeColour(bc3, 16, 8, decoded, Widening::Standard);
        EXPECT_GT(test::ColourPsnr(source, decoded), 37.5) << int(q);
        // The tool's own widening is darker at the top of the range; still close. The tool's
        // decoder shows exactly what the reference rule gives.
        Picture tool = test::SolidPicture(64, 48, 0, 0, 0, 255);
        test::DecodeColour(bc1, 8, 0, tool, Widening::Tool);
        EXPECT_GT(test::ColourPsnr(source, tool), 31.0) << int(q);
        Picture shown(64, 48);
        DecodeDxt1Blocks(shown.pixels.data(), bc1, 64, 48);
        EXPECT_EQ(shown.pixels, tool.pixels);
        test::DecodeColour(bc3, 16, 8, tool, Widening::Tool);
        test::DecodeAlpha(bc3, tool);
        DecodeBlocks(shown.pixels.data(), bc3, 64, 48, AlphaMode::InterpolatedAlpha);
        EXPECT_EQ(shown.pixels, tool.pixels);

        double alpha_sq = 0;
        for (std::size_t i = 3; i < source.pixels.size(); i += 4) {
            const double d = double(tool.pixels[i]) - double(source.pixels[i]);
            alpha_sq += d * d;
        }
        EXPECT_LT(alpha_sq / (64 * 48), 0.5) << int(q);  // ramps are nearly exact
    }
}

// The closest any four-colour block can come to `v` in one channel under the common rule:
// some endpoint pair (a, b) with the colour two thirds of the way from a to b (a == b gives
// the endpoints themselves).
int ClosestReachable(int v, int bits) {
    auto widen = [bits](int x) { return bits == 5 ? (x << 3) | (x >> 2) : (x << 2) | (x >> 4); };
    int best = 256;
    for (int a = 0; a < (1 << bits); ++a) {
        for (int b = 0; b < (1 << bits); ++b) {
            best = std::min(best, std::abs((2 * widen(a) + widen(b) + 1) / 3 - v));
        }
    }
    return best;
}

// A solid block decodes under the common rule (bit replication) to the closest colour any
// four-colour block can give: exact wherever the grid reaches the value (every grey that
// 5-bit pairs reach, such as 0, 3, 5, 8, 129, 255; 136 of the 256 values in 5 bits, 246 in
// 6 bits), otherwise off by the unavoidable 1. The tool's own rule cannot reach the top of
// the range (31 widens to 247, 63 to 251), so under it solid colours are only close: within 10.
TEST(EncoderBlocks, SolidBlocksAreTheClosestReachableColour) {
    std::vector<std::array<std::uint8_t, 3>> colours;  // blue, green, red
    for (int v = 0; v < 256; ++v) {
        colours.push_back({std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)});
    }
    colours.push_back({255, 0, 0});
    colours.push_back({0, 255, 0});
    colours.push_back({0, 0, 255});
    colours.push_back({1, 254, 127});
    colours.push_back({200, 13, 77});
    int closest5[256], closest6[256];
    for (int v = 0; v < 256; ++v) {
        closest5[v] = ClosestReachable(v, 5);
        closest6[v] = ClosestReachable(v, 6);
    }
    for (int v : {0, 3, 5, 8, 129, 255}) ASSERT_EQ(closest5[v], 0) << v;
    for (EncodeQuality q : kQualities) {
        for (const auto& c : colours) {
            const Picture solid = test::SolidPicture(4, 4, c[0], c[1], c[2]);
            const Bytes bc1 = EncodeBc1(solid, With(q));
            const Bytes bc3 = EncodeBc3(solid, With(q));
            ASSERT_EQ(bc1.size(), 8u);
            EXPECT_EQ(bc1, Bytes(bc3.begin() + 8, bc3.end()));
            Picture decoded = solid;
            test::DecodeColour(bc1, 8, 0, decoded, Widening::Standard);
            for (int i = 0; i < 16; ++i) {
                EXPECT_EQ(std::abs(decoded.pixels[4 * i] - c[0]), closest5[c[0]]) << int(c[0]);
                EXPECT_EQ(std::abs(decoded.pixels[4 * i + 1] - c[1]), closest6[c[1]]) << int(c[1]);
                EXPECT_EQ(std::abs(decoded.pixels[4 * i + 2] - c[2]), closest5[c[2]]) << int(c[2]);
            }
            test::DecodeColour(bc1, 8, 0, decoded, Widening::Tool);
            for (int ch = 0; ch < 3; ++ch) {
                EXPECT_LE(std::abs(decoded.pixels[ch] - solid.pixels[ch]), 10);
            }
        }
    }
}

TEST(EncoderBlocks, EveryColourBlockIsInFourColourMode) {
    std::vector<Picture> pictures = {test::NoisePicture(32, 32, 7), test::SmoothPicture(40, 24),
                                     test::SolidPicture(8, 8, 0, 0, 0),
                                     test::SolidPicture(8, 8, 255, 255, 255)};
    Picture greys(4, 4 * 256);  // one solid grey block per value
    for (int y = 0; y < greys.height; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int ch = 0; ch < 3; ++ch) greys.row(y)[x * 4 + ch] = std::uint8_t(y / 4);
        }
    }
    pictures.push_back(greys);
    Picture pairs(4, 4 * 64);  // two colours one 5:6:5 step apart, and equal halves
    for (int y = 0; y < pairs.height; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int v = (y / 4) * 4 + (x < 2 ? 0 : 4);
            for (int ch = 0; ch < 3; ++ch)
                pairs.row(y)[x * 4 + ch] = std::uint8_t(std::min(v, 255));
        }
    }
    pictures.push_back(pairs);
    for (EncodeQuality q : kQualities) {
        for (const Picture& p : pictures) {
            const Bytes bc1 = EncodeBc1(p, With(q));
            const Bytes bc3 = EncodeBc3(p, With(q));
            for (std::size_t at = 0; at < bc1.size(); at += 8) {
                ASSERT_GT(LoadU16(&bc1[at]), LoadU16(&bc1[at + 2])) << "block " << at / 8;
            }
            for (std::size_t at = 8; at < bc3.size(); at += 16) {
                ASSERT_GT(LoadU16(&bc3[at]), LoadU16(&bc3[at + 2])) << "block " << at / 16;
            }
        }
    }
}

Picture AlphaBlock(const std::array<int, 16>& alpha) {
    Picture p = test::SolidPicture(4, 4, 10, 20, 30);
    for (int i = 0; i < 16; ++i) p.pixels[4 * i + 3] = static_cast<std::uint8_t>(alpha[i]);
    return p;
}

TEST(EncoderBlocks, AlphaModeChosenByError) {
    struct Case {
        const char* what;
        std::array<int, 16> alpha;
        bool six_value_mode;  // alpha 0 <= alpha 1
        int max_error;
    };
    const Case cases[] = {
        // Hard edges around a narrow band: the 0 and 255 of the six-value mode fit exactly.
        {"cut-out",
         {0, 0, 255, 255, 100, 104, 108, 112, 116, 120, 124, 128, 0, 255, 0, 255},
         true,
         2},
        // An even ramp across the whole range: the eight values fit it better.
        {"ramp",
         {0, 17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 255},
         false,
         18},
        {"two values",
         {40, 40, 40, 40, 200, 200, 200, 200, 40, 40, 40, 40, 200, 200, 200, 200},
         false,
         0},
    };
    for (EncodeQuality q : kQualities) {
        for (const Case& c : cases) {
            const Bytes bc3 = EncodeBc3(AlphaBlock(c.alpha), With(q));
            ASSERT_EQ(bc3.size(), 16u);
            EXPECT_EQ(bc3[0] <= bc3[1], c.six_value_mode) << c.what;
            const auto decoded = test::DecodeAlphaBlock(bc3.data());
            for (int i = 0; i < 16; ++i) {
                EXPECT_LE(std::abs(decoded[i] - c.alpha[i]), c.max_error)
                    << c.what << " pixel " << i;
            }
        }
    }
    for (int v : {0, 1, 77, 128, 254, 255}) {
        std::array<int, 16> solid;
        solid.fill(v);
        const auto decoded = test::DecodeAlphaBlock(EncodeBc3(AlphaBlock(solid)).data());
        for (int a : decoded) EXPECT_EQ(a, v);
    }
}

TEST(EncoderBlocks, EdgeBlocksRepeatTheLastRowAndColumn) {
    const Picture source = test::NoisePicture(5, 6, 3);
    const Bytes bc3 = EncodeBc3(source);
    ASSERT_EQ(bc3.size(), 4u * 16);
    // Block (1, 1) covers x 4..7, y 4..7: column 4 and row 5 repeat.
    Picture edge(4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int ch = 0; ch < 4; ++ch)
                edge.row(y)[x * 4 + ch] = source.row(std::min(4 + y, 5))[4 * 4 + ch];
        }
    }
    const Bytes expected = EncodeBc3(edge);
    EXPECT_EQ(Bytes(bc3.begin() + 48, bc3.end()), expected);

    EXPECT_EQ(EncodeBc1(test::NoisePicture(1, 1, 1)).size(), 8u);
    EXPECT_TRUE(EncodeBc1(Picture()).empty());
    Picture truncated(8, 8);
    truncated.pixels.resize(10);
    EXPECT_TRUE(EncodeBc3(truncated).empty());
}

}  // namespace
}  // namespace tavrel
