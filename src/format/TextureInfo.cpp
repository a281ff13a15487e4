#include "format/TextureInfo.h"

namespace tavrel {

const char* PixelClassName(PixelClass c) {
    switch (c) {
        case PixelClass::Bgra32: return "Bgra32";
        case PixelClass::Dxt1: return "Dxt1";
        case PixelClass::Dxt5: return "Dxt5";
    }
    return "Dxt5";
}

TextureInfo ReadTextureInfo(ByteView entry) {
    auto byte_at = [&](std::size_t i) -> std::uint8_t { return i < entry.size() ? entry[i] : 0; };
    TextureInfo info;
    const std::uint8_t size_byte = byte_at(2);
    info.width = 1 << (size_byte & 0x0F);
    info.height = 1 << (size_byte >> 4);
    const std::uint8_t format = byte_at(1);
    info.pixel_class = format == 1 ? PixelClass::Bgra32 : format == 6 ? PixelClass::Dxt1 : PixelClass::Dxt5;
    const std::uint32_t tag = ReadU32(entry, 4);
    info.header_length = 8;
    for (std::uint32_t t : kLongHeaderTags) {
        if (tag == t) info.header_length = 20;
    }
    info.entry_size = info.header_length + TopLevelDataSize(info.width, info.height, info.pixel_class);
    return info;
}

std::int64_t TopLevelDataSize(std::int32_t width, std::int32_t height, PixelClass c) {
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
    switch (c) {
        case PixelClass::Bgra32: return pixels * 4;
        case PixelClass::Dxt1: return pixels / 2;
        case PixelClass::Dxt5: return pixels;
    }
    return pixels;
}

int LevelCount(ByteView entry) { return entry.empty() ? 0 : entry[0] >> 4; }

std::int64_t LevelChainSize(std::int32_t width, std::int32_t height, int levels, PixelClass c) {
    if (c == PixelClass::Bgra32) return static_cast<std::int64_t>(width) * height * 4;
    std::int64_t sum = 0;
    for (int i = 0; i < levels; ++i) {
        if ((width >> i) < 4) continue;
        sum += static_cast<std::int64_t>(width) * height / (std::int64_t{1} << i) / (std::int64_t{1} << i);
    }
    return c == PixelClass::Dxt1 ? sum / 2 : sum;
}

int SizeExponent(std::int64_t n) {
    int e = 0;
    while (e < 15 && (std::int64_t{1} << e) < n) ++e;
    return e;
}

}  // namespace tavrel
