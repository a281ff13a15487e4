#pragma once

#include <cstdint>

#include "picture/TextureEncoder.h"

namespace tavrel::detail {

// Encodes 16 pixels (blue, green, red, alpha; 4 bytes each, row by row) as one 8-byte BC1
// colour block. The block is always in four-colour mode: colour 0 is greater than colour 1,
// solid colours included, so that decoders that always use the four-colour palette show it
// right. Alpha is ignored.
void EncodeColourBlock(const std::uint8_t* bgra, EncodeQuality quality, std::uint8_t* out);

}  // namespace tavrel::detail
