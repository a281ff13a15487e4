#pragma once

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

// Reads a 24- or 32-bit uncompressed BMP. With a required size (width, |height|) given, a
// different size is refused; without one (forced portrait import) any size is taken.
// Pixels come from the file's declared pixel-data offset, 24-bit rows with their padding;
// a file shorter than its header or pixels, or with an absurd size, is OpenFailed.
BitmapRead ReadReplacementBitmap(const std::filesystem::path& path,
                                 std::optional<std::int32_t> required_width,
                                 std::optional<std::int32_t> required_height);

// 54-byte header (negative height, 32 bits) followed by the pixels unchanged.
std::string EncodeBitmapFile(const Picture& picture);
// Writes EncodeBitmapFile to `path` (created or truncated). False on any write failure.
bool WriteBitmapFile(const std::filesystem::path& path, const Picture& picture);

}  // namespace tavrel
