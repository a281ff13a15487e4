#pragma once

#include <cstdint>

#include "format/Bytes.h"

// The header of one texture entry (one picture record of a "GT1G" texture pack).
//
// Entry layout: byte 0 level byte (bits 4-7 level count L), byte 1 format code,
// byte 2 size byte (bits 0-3 width exponent, bits 4-7 height exponent), byte 3 carried,
// u32 at 4 the header tag (three tags mark a 20-byte header, anything else 8 bytes),
// then the pixel data of the top resolution level.
namespace tavrel {

enum class PixelClass { Bgra32, Dxt1, Dxt5 };

const char* PixelClassName(PixelClass c);  // "Bgra32", "Dxt1", "Dxt5"

struct TextureInfo {
    std::int32_t header_length = 8;  // 8 or 20
    std::int32_t width = 1;          // 2^(width exponent)
    std::int32_t height = 1;         // 2^(height exponent)
    PixelClass pixel_class = PixelClass::Dxt5;
    std::int64_t entry_size = 8;  // header length + data size of the top level (up to 4 GiB + 20)
};

inline constexpr std::uint32_t kLongHeaderTags[3] = {0x10011111, 0x10111000, 0x10211000};

// Reads bytes 1, 2 and 4-7 of an entry. Never fails: bytes missing from a short entry
// read as zero (a zero tag means an 8-byte header).
TextureInfo ReadTextureInfo(ByteView entry);

// Pixel-data bytes of the top level: w*h*4 for Bgra32, (w*h)/2 for Dxt1, w*h for Dxt5.
std::int64_t TopLevelDataSize(std::int32_t width, std::int32_t height, PixelClass c);

// Level count L (bits 4-7 of byte 0); 0 for an empty entry.
int LevelCount(ByteView entry);

// Bytes an import stores for a block-compressed picture: the sum over levels
// i = 0..L-1 whose width w/2^i is at least 4 of (w*h)/2^i/2^i, halved for Dxt1.
// For Bgra32 the rule does not apply and the result is w*h*4.
std::int64_t LevelChainSize(std::int32_t width, std::int32_t height, int levels, PixelClass c);

// Smallest e in 0..15 with 2^e >= n (15 when n exceeds 32768).
int SizeExponent(std::int64_t n);

}  // namespace tavrel
