#pragma once

#include <cstdint>

#include "Rgb565.h"
#include "picture/TextureEncoder.h"

// The search for the two endpoints of a BC1 colour block. Everything here works on one block
// of 16 pixels held as three arrays of floats, so the inner loops vectorise. Results do not
// depend on the thread or the order blocks are encoded in.
namespace tavrel::detail {

// Weights of the channels in every error the encoder judges: the Rec. 601 luma weights
// (0.299 red, 0.587 green, 0.114 blue), scaled to sum to 3 so that errors keep the size of
// plain RGB errors. Fidelity is scored per channel with these weights, and the eye is most
// sensitive to green and least to blue.
inline constexpr float kWeightR = 0.299f * 3, kWeightG = 0.587f * 3, kWeightB = 0.114f * 3;

struct BlockPixels {
    alignas(32) float r[16];
    alignas(32) float g[16];
    alignas(32) float b[16];
};

// The four palette colours of a pair of endpoints, as the common decoders widen them, in
// the order of their position on the line: colour 0, two thirds colour 0, one third
// colour 0, colour 1. (Block index of step s: 0, 2, 3, 1.)
struct Palette {
    float r[4], g[4], b[4];
};

inline constexpr int kIndexOfStep[4] = {0, 2, 3, 1};

struct EndpointPair565 {
    Colour565 c0, c1;
};

// A colour with 8-bit scale channels, not rounded.
struct Vec3 {
    float r = 0, g = 0, b = 0;
};

BlockPixels LoadBlockPixels(const std::uint8_t* bgra);

Palette MakePalette(const EndpointPair565& ep);

// Sum over the pixels of the weighted squared distance to the nearest palette colour.
float PaletteError(const BlockPixels& px, const Palette& palette);

// Same, also returning each pixel's nearest palette index (2 bits per pixel, pixel i at
// bits 2i, first index on ties).
float AssignIndices(const BlockPixels& px, const Palette& palette, std::uint32_t* indices);

// The endpoints the quality level finds for a block that is not a single colour. Their
// order is not settled here.
EndpointPair565 FitEndpoints(const BlockPixels& px, EncodeQuality quality);

}  // namespace tavrel::detail
