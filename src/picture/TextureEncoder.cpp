#include "picture/TextureEncoder.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

#include "AlphaBlockEncoder.h"
#include "ColourBlockEncoder.h"

namespace tavrel {
namespace {

// Pictures with fewer blocks than this are encoded on the calling thread alone: below it,
// starting threads costs more than it saves. The fast level is cheap per block, so it needs
// far larger pictures before a second thread pays off.
constexpr std::int64_t kParallelBlockCount = 1024;
constexpr std::int64_t kParallelBlockCountFast = 16384;

using BlockEncoder = void (*)(const std::uint8_t* bgra, EncodeQuality quality, std::uint8_t* out);

void EncodeBc1Block(const std::uint8_t* bgra, EncodeQuality quality, std::uint8_t* out) {
    detail::EncodeColourBlock(bgra, quality, out);
}

void EncodeBc3Block(const std::uint8_t* bgra, EncodeQuality quality, std::uint8_t* out) {
    detail::EncodeAlphaBlock(bgra, quality, out);
    detail::EncodeColourBlock(bgra, quality, out + 8);
}

// The 4x4 pixels of block (bx, by); pixels beyond the picture's edge repeat the last row or
// column.
void GatherBlock(const Picture& picture, std::int32_t bx, std::int32_t by, std::uint8_t* out) {
    for (int y = 0; y < 4; ++y) {
        const std::uint8_t* row = picture.row(std::min(by * 4 + y, picture.height - 1));
        for (int x = 0; x < 4; ++x) {
            const std::int32_t sx = std::min(bx * 4 + x, picture.width - 1);
            std::copy_n(row + static_cast<std::size_t>(sx) * 4, 4, out + (y * 4 + x) * 4);
        }
    }
}

bool IsWellFormed(const Picture& picture) {
    return picture.width > 0 && picture.height > 0 &&
           picture.pixels.size() >= static_cast<std::size_t>(picture.width) *
                                        static_cast<std::size_t>(picture.height) * 4;
}

int ThreadCount(const EncodeOptions& options, std::int64_t blocks, std::int32_t block_rows) {
    const std::int64_t minimum =
        options.quality == EncodeQuality::Fast ? kParallelBlockCountFast : kParallelBlockCount;
    if (blocks < minimum) return 1;
    int threads = options.threads > 0 ? options.threads
                                      : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(threads, 1, static_cast<int>(block_rows));
}

// Encodes every block; block rows are split into contiguous ranges, one per thread. Each
// block depends on its own pixels only, so the bytes are the same for any thread count.
Bytes EncodeBlocks(const Picture& picture, std::size_t block_bytes, BlockEncoder encode,
                   const EncodeOptions& options) {
    if (!IsWellFormed(picture)) return {};
    const std::int32_t columns = (picture.width + 3) / 4;
    const std::int32_t rows = (picture.height + 3) / 4;
    Bytes out(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) * block_bytes);
    auto encode_rows = [&](std::int32_t first, std::int32_t last) {
        std::uint8_t block[64];
        for (std::int32_t by = first; by < last; ++by) {
            for (std::int32_t bx = 0; bx < columns; ++bx) {
                GatherBlock(picture, bx, by, block);
                const std::size_t at = (static_cast<std::size_t>(by) * columns + bx) * block_bytes;
                encode(block, options.quality, out.data() + at);
            }
        }
    };
    const int threads = ThreadCount(options, static_cast<std::int64_t>(columns) * rows, rows);
    auto range_start = [&](int t) {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(rows) * t / threads);
    };
    std::vector<std::thread> workers;
    int started = 1;  // range 0 is the calling thread's
    for (; started < threads; ++started) {
        try {
            workers.emplace_back(encode_rows, range_start(started), range_start(started + 1));
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the calling thread does the rest
        }
    }
    encode_rows(range_start(0), range_start(1));
    encode_rows(range_start(started), rows);
    for (auto& w : workers) w.join();
    return out;
}

}  // namespace

Bytes EncodeBc1(const Picture& picture, const EncodeOptions& options) {
    return EncodeBlocks(picture, 8, EncodeBc1Block, options);
}

Bytes EncodeBc3(const Picture& picture, const EncodeOptions& options) {
    return EncodeBlocks(picture, 16, EncodeBc3Block, options);
}

}  // namespace tavrel
