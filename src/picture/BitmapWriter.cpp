#include <fstream>
#include <system_error>

#include "format/Bytes.h"
#include "picture/BitmapFile.h"

// Writing pictures as top-down 32-bit BMP files: the export format and the converter's input.
namespace tavrel {

std::array<std::uint8_t, kBitmapHeaderSize> BitmapFileHeader(std::int32_t width,
                                                             std::int32_t height) {
    const auto image_size = static_cast<std::uint32_t>(static_cast<std::uint64_t>(width) *
                                                       static_cast<std::uint64_t>(height) * 4);
    std::array<std::uint8_t, kBitmapHeaderSize> h{};
    std::uint8_t* p = h.data();
    p[0] = 'B';
    p[1] = 'M';
    StoreU32(p + 2, static_cast<std::uint32_t>(kBitmapHeaderSize) + image_size);
    StoreU32(p + 10, static_cast<std::uint32_t>(kBitmapHeaderSize));
    StoreU32(p + 14, 40);
    StoreU32(p + 18, static_cast<std::uint32_t>(width));
    StoreU32(p + 22, static_cast<std::uint32_t>(-static_cast<std::int64_t>(height)));
    StoreU16(p + 26, 1);
    StoreU16(p + 28, 32);
    StoreU32(p + 30, 0);  // BI_RGB
    StoreU32(p + 34, image_size);
    return h;  // resolution, colours used and colours important stay 0
}

std::string EncodeBitmapFile(const Picture& picture) {
    const auto header = BitmapFileHeader(picture.width, picture.height);
    std::string file(header.begin(), header.end());
    file.append(reinterpret_cast<const char*>(picture.pixels.data()), picture.pixels.size());
    return file;
}

namespace {

bool WriteWhole(const std::filesystem::path& path, const Picture& picture) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const auto header = BitmapFileHeader(picture.width, picture.height);
    out.write(reinterpret_cast<const char*>(header.data()),
              static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(picture.pixels.data()),
              static_cast<std::streamsize>(picture.pixels.size()));
    out.close();  // flushes: a full disk shows here at the latest
    return !out.fail();
}

}  // namespace

bool WriteBitmapFile(const std::filesystem::path& path, const Picture& picture) {
    // The bytes go to a side file first, so a failed write leaves no partial file behind and
    // an older file at `path` as it was; only a complete file is renamed over the target.
    const std::uint64_t expected =
        static_cast<std::uint64_t>(picture.width < 0 ? 0 : picture.width) *
        static_cast<std::uint64_t>(picture.height < 0 ? 0 : picture.height) * 4;
    if (picture.pixels.size() != expected) return false;  // not a whole picture

    // A file already there is replaced only when it could be written in place: a read-only
    // export target is refused, not swapped for a new file.
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        std::ofstream probe(path, std::ios::binary | std::ios::app);  // opens without changing it
        if (!probe) return false;
    }

    std::filesystem::path part = path;
    part += ".tavrel-part";
    if (!WriteWhole(part, picture)) {
        std::filesystem::remove(part, ec);
        return false;
    }
    std::filesystem::rename(part, path, ec);
    if (ec) {
        std::filesystem::remove(part, ec);
        return false;
    }
    return true;
}

}  // namespace tavrel
