#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "picture/Picture.h"

// BMP files as the tool reads and writes them.
namespace tavrel {

enum class BitmapOutcome { Success, OpenFailed, NotBmp, BadDepth, SizeMismatch };

// The user-visible text of an outcome ("" for Success), e.g. "文件读取失败！\n ".
const char* BitmapOutcomeMessage(BitmapOutcome outcome);

struct BitmapRead {
    BitmapOutcome outcome = BitmapOutcome::OpenFailed;
    Picture picture;  // top-down BGRA, on success
};

// Reads a 24- or 32-bit uncompressed BMP. Checks in this order, stopping at the first failure:
// the file opens (OpenFailed), starts with "BM" (NotBmp), holds the 54 header bytes
// (OpenFailed), has exactly 24 or 32 in the u32 at offset 28 (BadDepth: so bit fields and
// other compressions are refused), then the size. With a required size (width, |height|)
// given, any other size is SizeMismatch; without one (forced portrait import) any sane size
// is taken. A width <= 0, a height 0 or a side above kBitmapMaxSide is refused before any
// allocation: SizeMismatch when a size was required, else OpenFailed.
// Pixels come from the file's declared pixel-data offset (bytes 10-13; an offset inside the
// 54 header bytes is read as 54), 24-bit rows with their padding to 4 bytes, 24-bit pixels
// get alpha 255, bottom-up files are turned top-down. A file shorter than its declared
// pixels is OpenFailed; nothing past the end of the file is read.
BitmapRead ReadReplacementBitmap(const std::filesystem::path& path,
                                 std::optional<std::int32_t> required_width,
                                 std::optional<std::int32_t> required_height);

inline constexpr std::size_t kBitmapHeaderSize = 54;   // 14-byte file header + 40-byte info header
inline constexpr std::int32_t kBitmapMaxSide = 32768;  // larger sides are refused as damage

// The 54-byte header of a written file: "BM", file size 54 + w*h*4, pixel offset 54, then the
// info header: size 40, width w, height -h (top-down), 1 plane, 32 bits, BI_RGB, image size
// w*h*4, resolution and colour counts 0.
std::array<std::uint8_t, kBitmapHeaderSize> BitmapFileHeader(std::int32_t width,
                                                             std::int32_t height);

// 54-byte header (negative height, 32 bits) followed by the pixels unchanged.
std::string EncodeBitmapFile(const Picture& picture);
// Writes EncodeBitmapFile to `path` (created or replaced). False on any failure (cannot
// create, short write, disk full); then no partial file is left at `path` and a file that
// was there before keeps its old content (the bytes go to a side file renamed over `path`).
bool WriteBitmapFile(const std::filesystem::path& path, const Picture& picture);

}  // namespace tavrel
