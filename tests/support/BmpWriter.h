#pragma once

#include <cstdint>

#include "format/Bytes.h"
#include "picture/Picture.h"

// Builds BMP files for tests: 24- or 32-bit, bottom-up or top-down, with a 40-byte or longer
// (e.g. 124-byte) info header, so readers can be tested against the layouts they meet.
namespace tavrel::test {

struct BmpLayout {
    int bits = 32;                     // 24 or 32 (any value is written as given)
    bool top_down = false;             // negative height in the file
    std::uint32_t info_size = 40;      // 40, 108, 124 ...
    std::uint32_t compression = 0;     // BI_RGB; 3 = BI_BITFIELDS
    std::uint8_t padding_byte = 0xEE;  // fills 24-bit row padding, to catch readers using it
};

// The picture (top-down BGRA) as a file of that layout; 24-bit files drop the alpha byte.
// The pixel-data offset is 14 + info_size.
Bytes MakeBmp(const Picture& picture, const BmpLayout& layout = {});

// A picture of the given size filled with a repeatable pattern (alpha varies too).
Picture PatternPicture(std::int32_t width, std::int32_t height, std::uint32_t seed = 1);

}  // namespace tavrel::test
