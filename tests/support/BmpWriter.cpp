#include "support/BmpWriter.h"

namespace tavrel::test {

Bytes MakeBmp(const Picture& picture, const BmpLayout& layout) {
    const std::uint32_t bytes_per_pixel = layout.bits == 24 ? 3 : 4;
    const std::uint32_t row_bytes = (picture.width * bytes_per_pixel + 3) & ~3u;
    const std::uint32_t offset = 14 + layout.info_size;
    const std::uint32_t image_size = row_bytes * picture.height;

    Bytes file = {'B', 'M'};
    AppendU32(file, offset + image_size);
    AppendU32(file, 0);
    AppendU32(file, offset);
    AppendU32(file, layout.info_size);
    AppendU32(file, static_cast<std::uint32_t>(picture.width));
    AppendU32(file, static_cast<std::uint32_t>(layout.top_down ? -picture.height : picture.height));
    AppendU16(file, 1);
    AppendU16(file, static_cast<std::uint16_t>(layout.bits));
    AppendU32(file, layout.compression);
    AppendU32(file, image_size);
    file.resize(offset, 0);  // resolution, colour counts and any longer header: zeros
    if (layout.info_size >= 56 && layout.compression == 3) {
        // Bit-field masks of a V4/V5 header.
        StoreU32(file.data() + 54, 0x00FF0000);
        StoreU32(file.data() + 58, 0x0000FF00);
        StoreU32(file.data() + 62, 0x000000FF);
        StoreU32(file.data() + 66, 0xFF000000);
    }

    for (std::int32_t i = 0; i < picture.height; ++i) {
        const std::int32_t y = layout.top_down ? i : picture.height - 1 - i;
        const std::uint8_t* row = picture.row(y);
        for (std::int32_t x = 0; x < picture.width; ++x) {
            file.insert(file.end(), row + 4 * x, row + 4 * x + bytes_per_pixel);
        }
        for (std::uint32_t p = picture.width * bytes_per_pixel; p < row_bytes; ++p) {
            file.push_back(layout.padding_byte);
        }
    }
    return file;
}

Picture PatternPicture(std::int32_t width, std::int32_t height, std::uint32_t seed) {
    Picture picture(width, height);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (auto& byte : picture.pixels) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return picture;
}

}  // namespace tavrel::test
