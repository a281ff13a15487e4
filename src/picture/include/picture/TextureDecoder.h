#pragma once

#include <cstdint>

#include "format/Bytes.h"
#include "format/TextureInfo.h"
#include "picture/Picture.h"

// Decoding texture entries into pictures, with the game's own rules: 5/6-bit colours widened
// with (x * 255) >> 5 and >> 6, the four-colour palette for every block, two alpha modes.
namespace tavrel {

enum class AlphaMode { InterpolatedAlpha, TableAlpha };

// Decodes the top level of `entry` (header included). Bytes missing behind the header decode
// as zero; pictures narrower or lower than 4 pixels of a block class decode to zeros.
// An entry that CanDecodeTexture refuses gives an empty picture (0 x 0, no pixels): callers
// treat that as an unreadable picture.
Picture DecodeTexture(ByteView entry, const TextureInfo& info);

// Largest picture (in pixels, 16 MiB of BGRA) decoded from an entry that lacks part of its
// top level. A complete entry always decodes: its picture is at most 8 times its data.
inline constexpr std::int64_t kMaxPixelsOfShortEntry = std::int64_t{2048} * 2048;

// True when `entry` holds its whole top level (info.entry_size bytes), or its picture has no
// more than kMaxPixelsOfShortEntry pixels. So a damaged header of a few bytes cannot make
// the decoder allocate gigabytes (the size byte alone can declare 32768 x 32768).
bool CanDecodeTexture(ByteView entry, const TextureInfo& info);

// Writes every pixel covered by a whole 16-byte block of `blocks` into `out`
// (width * height * 4 bytes); reads at most blocks.size() bytes.
void DecodeBlocks(std::uint8_t* out, ByteView blocks, std::int32_t width, std::int32_t height,
                  AlphaMode mode);

// Same for 8-byte DXT1 blocks, as if each were preceded by FF 00 FF FF FF FF FF FF and
// decoded in TableAlpha mode (every alpha 255).
void DecodeDxt1Blocks(std::uint8_t* out, ByteView blocks, std::int32_t width, std::int32_t height);

// The block decoder runs an SSSE3 path where the processor has one; both paths give the same
// pixels. Tests and benchmarks switch it off to check and measure the portable path.
// SetVectorDecoding returns whether the vector path was active before the call.
bool SetVectorDecoding(bool enabled);
bool VectorDecodingActive();

}  // namespace tavrel
