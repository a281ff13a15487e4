#include <algorithm>
#include <fstream>
#include <system_error>

#include "format/Bytes.h"
#include "picture/BitmapFile.h"

// Reading the user's replacement pictures: uncompressed 24- and 32-bit BMP files, bottom-up
// or top-down, with whatever info header the file declares (40, 108 or 124 bytes).
namespace tavrel {
namespace {

BitmapRead Refuse(BitmapOutcome outcome) {
    BitmapRead r;
    r.outcome = outcome;
    return r;
}

bool ReadExactly(std::ifstream& in, std::uint8_t* out, std::uint64_t n) {
    in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
    return in && static_cast<std::uint64_t>(in.gcount()) == n;
}

// Rows from the file's order into top-down order.
void FlipRows(Picture& picture) {
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 4;
    for (std::int32_t i = 0, j = picture.height - 1; i < j; ++i, --j) {
        std::swap_ranges(picture.row(i), picture.row(i) + stride, picture.row(j));
    }
}

void Widen24(const std::uint8_t* src, std::uint8_t* dst, std::int32_t width) {
    for (std::int32_t x = 0; x < width; ++x, src += 3, dst += 4) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = 255;
    }
}

}  // namespace

BitmapRead ReadReplacementBitmap(const std::filesystem::path& path,
                                 std::optional<std::int32_t> required_width,
                                 std::optional<std::int32_t> required_height) {
    // Only a regular file is opened: a FIFO or device under a picture's name would block or
    // never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return Refuse(BitmapOutcome::OpenFailed);
    std::ifstream in(path, std::ios::binary);
    if (!in) return Refuse(BitmapOutcome::OpenFailed);

    std::uint8_t h[kBitmapHeaderSize] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got < 2) return Refuse(BitmapOutcome::OpenFailed);  // empty, or not readable at all
    if (h[0] != 'B' || h[1] != 'M') return Refuse(BitmapOutcome::NotBmp);
    if (got < kBitmapHeaderSize) return Refuse(BitmapOutcome::OpenFailed);

    // Bit count and the low half of the compression field read as one value: only
    // uncompressed 24- and 32-bit files give exactly 24 or 32.
    const std::uint32_t depth = LoadU32(h + 28);
    if (depth != 24 && depth != 32) return Refuse(BitmapOutcome::BadDepth);

    const auto width = static_cast<std::int32_t>(LoadU32(h + 18));
    const auto stored_height = static_cast<std::int32_t>(LoadU32(h + 22));
    const std::int64_t height = stored_height < 0 ? -std::int64_t{stored_height} : stored_height;
    const bool size_required = required_width.has_value() || required_height.has_value();
    if ((required_width && width != *required_width) ||
        (required_height && height != *required_height)) {
        return Refuse(BitmapOutcome::SizeMismatch);
    }
    if (width <= 0 || width > kBitmapMaxSide || height == 0 || height > kBitmapMaxSide) {
        return Refuse(size_required ? BitmapOutcome::SizeMismatch : BitmapOutcome::OpenFailed);
    }

    // The pixels start where the file says; rows are padded to 4 bytes.
    const std::uint64_t offset = std::max<std::uint64_t>(LoadU32(h + 10), kBitmapHeaderSize);
    const std::uint64_t row_bytes =
        depth == 32 ? std::uint64_t(width) * 4 : (std::uint64_t(width) * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t pixel_bytes = row_bytes * static_cast<std::uint64_t>(height);
    in.seekg(0, std::ios::end);
    const std::streamoff file_size = in.tellg();
    if (file_size < 0 || offset > static_cast<std::uint64_t>(file_size) ||
        static_cast<std::uint64_t>(file_size) - offset < pixel_bytes) {
        return Refuse(BitmapOutcome::OpenFailed);
    }
    in.seekg(static_cast<std::streamoff>(offset));

    BitmapRead result;
    result.picture = Picture(width, static_cast<std::int32_t>(height));
    Picture& picture = result.picture;
    const bool bottom_up = stored_height >= 0;
    if (depth == 32) {
        if (!ReadExactly(in, picture.pixels.data(), pixel_bytes))
            return Refuse(BitmapOutcome::OpenFailed);
        if (bottom_up) FlipRows(picture);
    } else {
        Bytes raw(pixel_bytes);
        if (!ReadExactly(in, raw.data(), pixel_bytes)) return Refuse(BitmapOutcome::OpenFailed);
        for (std::int32_t y = 0; y < picture.height; ++y) {
            const std::int32_t target = bottom_up ? picture.height - 1 - y : y;
            Widen24(raw.data() + y * row_bytes, picture.row(target), width);
        }
    }
    result.outcome = BitmapOutcome::Success;
    return result;
}

}  // namespace tavrel
