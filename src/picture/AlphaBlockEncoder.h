#pragma once

#include <cstdint>

#include "picture/TextureEncoder.h"

namespace tavrel::detail {

// Encodes the alpha of 16 pixels (blue, green, red, alpha; 4 bytes each, row by row) as the
// 8-byte alpha half of a BC3 block. Both modes are tried: alpha 0 > alpha 1 with eight
// interpolated values, and alpha 0 <= alpha 1 with six values plus 0 and 255; the one with
// the smaller squared error wins.
void EncodeAlphaBlock(const std::uint8_t* bgra, EncodeQuality quality, std::uint8_t* out);

// The eight alpha values a decoder derives from the two endpoints.
void AlphaPalette(int a0, int a1, int* values);

}  // namespace tavrel::detail
