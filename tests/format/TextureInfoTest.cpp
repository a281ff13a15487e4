#include <gtest/gtest.h>

#include "format/TextureInfo.h"

namespace tavrel {
namespace {

Bytes Entry(std::uint8_t level, std::uint8_t format, std::uint8_t size, std::uint32_t tag) {
    Bytes e = {level, format, size, 0};
    AppendU32(e, tag);
    return e;
}

struct ClassCase {
    std::uint8_t format;
    PixelClass expected;
    std::int64_t data_size_16x16;
};

TEST(TextureInfo, FormatCodeSelectsClassAndDataSize) {
    const ClassCase cases[] = {{1, PixelClass::Bgra32, 1024}, {6, PixelClass::Dxt1, 128},
                               {0, PixelClass::Dxt5, 256},    {2, PixelClass::Dxt5, 256},
                               {8, PixelClass::Dxt5, 256},    {255, PixelClass::Dxt5, 256}};
    for (const auto& c : cases) {
        TextureInfo info = ReadTextureInfo(Entry(0x10, c.format, 0x44, 0));
        EXPECT_EQ(info.pixel_class, c.expected) << int(c.format);
        EXPECT_EQ(info.entry_size, 8 + c.data_size_16x16) << int(c.format);
    }
}

TEST(TextureInfo, SizeByteAndHeaderTags) {
    TextureInfo info = ReadTextureInfo(Entry(0, 1, 0xA8, 0x10111000));
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.height, 1024);
    EXPECT_EQ(info.header_length, 20);
    EXPECT_EQ(info.entry_size, 20 + 256 * 1024 * 4);

    for (std::uint32_t tag : {0x10011111u, 0x10211000u}) {
        EXPECT_EQ(ReadTextureInfo(Entry(0, 6, 0, tag)).header_length, 20);
    }
    for (std::uint32_t tag : {0u, 0x10011110u, 0xFFFFFFFFu}) {
        EXPECT_EQ(ReadTextureInfo(Entry(0, 6, 0, tag)).header_length, 8);
    }
    // A 1x1 Dxt1 entry holds no pixel data.
    EXPECT_EQ(ReadTextureInfo(Entry(0, 6, 0x00, 0)).entry_size, 8);
    // Uninterpreted bits change nothing that is read.
    Bytes a = Entry(0x30, 6, 0x55, 0);
    Bytes b = Entry(0x3F, 6, 0x55, 0);
    b[3] = 0x77;
    EXPECT_EQ(ReadTextureInfo(a).entry_size, ReadTextureInfo(b).entry_size);
}

TEST(TextureInfo, ShortEntryReadsMissingBytesAsZero) {
    Bytes e = {0x10, 1};
    TextureInfo info = ReadTextureInfo(e);
    EXPECT_EQ(info.width, 1);
    EXPECT_EQ(info.header_length, 8);
    EXPECT_EQ(ReadTextureInfo({}).pixel_class, PixelClass::Dxt5);
}

TEST(TextureInfo, LevelChainSize) {
    const std::int64_t sum = 65536 + 16384 + 4096 + 1024 + 256 + 64 + 16;
    EXPECT_EQ(LevelChainSize(256, 256, 9, PixelClass::Dxt5), sum);
    EXPECT_EQ(LevelChainSize(256, 256, 9, PixelClass::Dxt1), sum / 2);
    EXPECT_EQ(LevelChainSize(256, 256, 1, PixelClass::Dxt5), 65536);
    EXPECT_EQ(LevelChainSize(256, 256, 3, PixelClass::Dxt5), 86016);
    EXPECT_EQ(LevelChainSize(256, 256, 0, PixelClass::Dxt5), 0);
    EXPECT_EQ(LevelChainSize(2, 256, 4, PixelClass::Dxt5), 0);
    // An 8x2 level counts 16 bytes, as the rule says.
    EXPECT_EQ(LevelChainSize(8, 2, 1, PixelClass::Dxt5), 16);
}

TEST(TextureInfo, SizeExponent) {
    EXPECT_EQ(SizeExponent(1), 0);
    EXPECT_EQ(SizeExponent(256), 8);
    EXPECT_EQ(SizeExponent(257), 9);
    EXPECT_EQ(SizeExponent(32768), 15);
    EXPECT_EQ(SizeExponent(100000), 15);
}

}  // namespace
}  // namespace tavrel
