// Reads any bytes as a replacement BMP file: once taking any sane size, once requiring the
// size the header declares, once requiring a fixed size.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "format/Bytes.h"
#include "picture/BitmapFile.h"

namespace {

void CheckPicture(const tavrel::BitmapRead& read) {
    if (read.outcome != tavrel::BitmapOutcome::Success) return;
    const auto& p = read.picture;
    if (p.width <= 0 || p.height <= 0 ||
        p.pixels.size() != static_cast<std::size_t>(p.width) * p.height * 4)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path path = [] {
        auto d = std::filesystem::temp_directory_path() /
                 ("tavrel-fuzz-bmp-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d / "picture.bmp";
    }();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CheckPicture(tavrel::ReadReplacementBitmap(path, std::nullopt, std::nullopt));
    const tavrel::ByteView bytes(data, size);
    const auto width = static_cast<std::int32_t>(tavrel::ReadU32(bytes, 18));
    const auto height = static_cast<std::int32_t>(tavrel::ReadU32(bytes, 22));
    const auto read = tavrel::ReadReplacementBitmap(path, width, height < 0 ? -height : height);
    CheckPicture(read);
    if (read.outcome == tavrel::BitmapOutcome::Success &&
        (read.picture.width != width || read.picture.height != (height < 0 ? -height : height)))
        std::abort();
    CheckPicture(tavrel::ReadReplacementBitmap(path, 4, 4));
    return 0;
}
