#include <algorithm>

#include "picture/TextureEncoder.h"

namespace tavrel {
namespace {

// The source rows (or columns) [first, last) that output row (or column) i of a halved side
// covers: two each, the last output also taking a lone odd one, a side of 1 its only one.
void SourceRange(std::int32_t i, std::int32_t out_size, std::int32_t in_size, std::int32_t& first,
                 std::int32_t& last) {
    first = std::min(2 * i, in_size - 1);
    last = i == out_size - 1 ? in_size : 2 * i + 2;
}

}  // namespace

Picture HalvePicture(const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    const std::int32_t w = std::max(1, picture.width / 2);
    const std::int32_t h = std::max(1, picture.height / 2);
    Picture half(w, h);
    for (std::int32_t oy = 0; oy < h; ++oy) {
        std::int32_t y0, y1;
        SourceRange(oy, h, picture.height, y0, y1);
        std::uint8_t* out = half.row(oy);
        for (std::int32_t ox = 0; ox < w; ++ox) {
            std::int32_t x0, x1;
            SourceRange(ox, w, picture.width, x0, x1);
            unsigned sum[4] = {0, 0, 0, 0};
            for (std::int32_t y = y0; y < y1; ++y) {
                const std::uint8_t* in = picture.row(y);
                for (std::int32_t x = x0; x < x1; ++x) {
                    for (int c = 0; c < 4; ++c) sum[c] += in[x * 4 + c];
                }
            }
            const unsigned count = static_cast<unsigned>((y1 - y0) * (x1 - x0));
            for (int c = 0; c < 4; ++c) {
                out[ox * 4 + c] = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
            }
        }
    }
    return half;
}

Bytes EncodeLevelChain(const Picture& picture, PixelClass c, std::int64_t n,
                       const EncodeOptions& options) {
    Bytes chain;
    if (n <= 0) return chain;
    const auto limit = static_cast<std::size_t>(n);
    chain.reserve(limit);
    if (c == PixelClass::Bgra32) {
        chain.assign(picture.pixels.begin(),
                     picture.pixels.begin() +
                         static_cast<std::ptrdiff_t>(std::min(limit, picture.pixels.size())));
    } else {
        Picture halved;
        const Picture* level = &picture;
        while (chain.size() < limit && !level->empty()) {
            const Bytes blocks =
                c == PixelClass::Dxt1 ? EncodeBc1(*level, options) : EncodeBc3(*level, options);
            const std::size_t take = std::min(blocks.size(), limit - chain.size());
            chain.insert(chain.end(), blocks.begin(),
                         blocks.begin() + static_cast<std::ptrdiff_t>(take));
            if (level->width == 1 && level->height == 1) break;
            halved = HalvePicture(*level);
            level = &halved;
        }
    }
    chain.resize(limit, 0);
    return chain;
}

}  // namespace tavrel
