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
Picture DecodeTexture(ByteView entry, const TextureInfo& info);

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
