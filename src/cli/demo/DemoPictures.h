#pragma once

#include <cstdint>

#include "picture/Picture.h"

// Generated pictures for the demo game folder: smooth, deterministic and easy on the eye
// (no noise), so that a user browsing the demo sees at once whether decoding is right.
namespace tavrel::demo {

enum class PictureKind {
    Gradient,  // a diagonal two-colour gradient with a soft sun
    Portrait,  // a face-like disc with hair and shoulders on a gradient background
    Map,       // smooth terrain: sea, coast, meadows, hills, snow, with a grid
    Icon,      // a soft-edged emblem on a transparent background (uses alpha)
    Shapes,    // translucent discs over a gradient
};

// Pictures of the same kind and seed are identical; the seed varies colours and layout.
Picture MakePicture(PictureKind kind, int width, int height, std::uint32_t seed);

}  // namespace tavrel::demo
