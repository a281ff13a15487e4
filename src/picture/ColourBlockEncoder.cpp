#include "ColourBlockEncoder.h"

#include <utility>

#include "ColourFit.h"
#include "Rgb565.h"
#include "SingleColourFit.h"
#include "format/Bytes.h"

namespace tavrel::detail {
namespace {

bool IsSolid(const std::uint8_t* bgra) {
    for (int i = 1; i < 16; ++i) {
        if (bgra[4 * i] != bgra[0] || bgra[4 * i + 1] != bgra[1] || bgra[4 * i + 2] != bgra[2]) {
            return false;
        }
    }
    return true;
}

// A solid block: each channel from the table of exact endpoint pairs, every pixel on the
// colour two thirds of the way from colour 0 to colour 1.
EndpointPair565 SolidEndpoints(const std::uint8_t* bgra) {
    const EndpointPair& r = FiveBitPairs()[bgra[2]];
    const EndpointPair& g = SixBitPairs()[bgra[1]];
    const EndpointPair& b = FiveBitPairs()[bgra[0]];
    return {{r.near, g.near, b.near}, {r.far, g.far, b.far}};
}

// Orders the endpoints so that colour 0 > colour 1 and picks the indices for that palette.
// Equal endpoints are pulled apart by one step of the packed value; the old colour stays an
// endpoint, so the error cannot grow.
void WriteFourColourBlock(const BlockPixels& px, EndpointPair565 ep, std::uint8_t* out) {
    std::uint16_t c0 = ep.c0.Packed();
    std::uint16_t c1 = ep.c1.Packed();
    if (c0 == c1) {
        if (c0 == 0) {
            c0 = 1;
        } else {
            c1 = static_cast<std::uint16_t>(c0 - 1);
        }
    } else if (c0 < c1) {
        std::swap(c0, c1);
    }
    const Palette palette = MakePalette({Colour565::Unpack(c0), Colour565::Unpack(c1)});
    std::uint32_t indices = 0;
    AssignIndices(px, palette, &indices);
    StoreU16(out, c0);
    StoreU16(out + 2, c1);
    StoreU32(out + 4, indices);
}

}  // namespace

void EncodeColourBlock(const std::uint8_t* bgra, EncodeQuality quality, std::uint8_t* out) {
    const BlockPixels px = LoadBlockPixels(bgra);
    if (IsSolid(bgra)) {
        WriteFourColourBlock(px, SolidEndpoints(bgra), out);
        return;
    }
    WriteFourColourBlock(px, FitEndpoints(px, quality), out);
}

}  // namespace tavrel::detail
