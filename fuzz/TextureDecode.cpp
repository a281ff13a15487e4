// Reads any bytes as a texture entry's header and decodes its top level, as the display and
// the export do. A damaged header must not make the decoder allocate far beyond the bytes
// it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "format/TextureInfo.h"
#include "picture/TextureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tavrel::ByteView entry(data, size);
    const tavrel::TextureInfo info = tavrel::ReadTextureInfo(entry);
    const tavrel::Picture picture = tavrel::DecodeTexture(entry, info);
    if (tavrel::CanDecodeTexture(entry, info)) {
        if (picture.width != info.width || picture.height != info.height ||
            picture.pixels.size() != static_cast<std::size_t>(info.width) * info.height * 4)
            std::abort();
    } else if (!picture.empty()) {
        std::abort();
    }
    return 0;
}
