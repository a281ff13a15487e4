#include "archive/ContainerBuilder.h"

#include <algorithm>

#include "format/TextureInfo.h"

namespace tavrel {

Bytes BuildLink(const std::vector<Bytes>& entries, LinkHeader header, const Bytes& tflag,
                std::uint32_t gap) {
    const auto n = static_cast<std::uint32_t>(entries.size());
    const std::uint32_t table = header == LinkHeader::Long32 ? 32 : 16;
    const std::uint32_t header_size = std::max<std::uint32_t>(table + 8 * n, 32);
    Bytes out(header_size, 0);
    StoreU32(out.data(), kMagicLink);
    StoreU32(out.data() + 4, n);
    for (std::uint32_t i = 0; i < n; ++i) {
        out.resize(out.size() + gap, 0);
        StoreU32(out.data() + table + 8 * i, static_cast<std::uint32_t>(out.size()));
        StoreU32(out.data() + table + 8 * i + 4, static_cast<std::uint32_t>(entries[i].size()));
        out.insert(out.end(), entries[i].begin(), entries[i].end());
        out.insert(out.end(), tflag.begin(), tflag.end());
    }
    return out;
}

Bytes BuildGt1g(const std::vector<Bytes>& entries) {
    const auto n = static_cast<std::uint32_t>(entries.size());
    const std::uint32_t t = 28 + 4 * n;
    Bytes out(28 + 8 * n, 0);
    StoreU32(out.data(), kMagicGt1g);
    StoreU32(out.data() + 16, n);
    for (std::uint32_t i = 0; i < n; ++i) {
        StoreU32(out.data() + t + 4 * i, static_cast<std::uint32_t>(out.size()) - t);
        out.insert(out.end(), entries[i].begin(), entries[i].end());
    }
    StoreU32(out.data() + 8, static_cast<std::uint32_t>(out.size()));
    return out;
}

Bytes BuildTextureEntry(int levels, std::uint8_t format_code, int width_exp, int height_exp,
                        const Bytes& pixel_data, std::uint32_t tag) {
    Bytes out = {static_cast<std::uint8_t>(levels << 4), format_code,
                 static_cast<std::uint8_t>((height_exp << 4) | width_exp), 0};
    AppendU32(out, tag);
    for (std::uint32_t t : kLongHeaderTags) {
        if (t == tag) out.resize(out.size() + 12, 0);
    }
    out.insert(out.end(), pixel_data.begin(), pixel_data.end());
    return out;
}

}  // namespace tavrel
