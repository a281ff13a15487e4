#include "picture/TextureDecoder.h"

#include <algorithm>
#include <cstring>

namespace tavrel {

bool CanDecodeTexture(ByteView entry, const TextureInfo& info) {
    if (info.width <= 0 || info.height <= 0) return false;
    if (static_cast<std::int64_t>(entry.size()) >= info.entry_size) return true;
    return std::int64_t{info.width} * info.height <= kMaxPixelsOfShortEntry;
}

Picture DecodeTexture(ByteView entry, const TextureInfo& info) {
    if (!CanDecodeTexture(entry, info)) return Picture{};
    Picture picture(info.width, info.height);  // zero-filled: missing data stays zero

    // Only the bytes the entry really holds take part, and never more than the top level.
    const std::size_t header =
        std::min<std::size_t>(static_cast<std::size_t>(info.header_length), entry.size());
    ByteView data = entry.subspan(header);
    const auto data_size =
        static_cast<std::size_t>(TopLevelDataSize(info.width, info.height, info.pixel_class));
    if (data.size() > data_size) data = data.first(data_size);

    switch (info.pixel_class) {
        case PixelClass::Bgra32:
            if (!data.empty()) std::memcpy(picture.pixels.data(), data.data(), data.size());
            break;
        case PixelClass::Dxt1:
            DecodeDxt1Blocks(picture.pixels.data(), data, info.width, info.height);
            break;
        case PixelClass::Dxt5:
            DecodeBlocks(picture.pixels.data(), data, info.width, info.height,
                         AlphaMode::InterpolatedAlpha);
            break;
    }
    return picture;
}

}  // namespace tavrel
