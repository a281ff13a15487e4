#include "browse/FrameAccess.h"

#include <algorithm>
#include <string>

#include "browse/Messages.h"
#include "picture/TextureDecoder.h"
#include "picture/TextureEncoder.h"

namespace tavrel {

ResourceNode* CurrentFrameLeaf(BrowseState& state) {
    const std::uint32_t frame = state.current_frame;
    if (frame == 0 || frame > state.tree.frames.size()) return nullptr;
    ResourceNode* node = FindFrameNode(state.tree, state.tree.frames[frame - 1]);
    if (!node || node->kind != NodeKind::FrameLeaf) return nullptr;
    return node;
}

ByteView LeafEntry(const ResourceNode& leaf) {
    const std::size_t n = std::min<std::size_t>(leaf.size, leaf.data.size());
    return ByteView(leaf.data.data(), n);
}

std::optional<Picture> DecodeLeaf(const ResourceNode& leaf, const TextureInfo& info) {
    const std::int64_t bytes = static_cast<std::int64_t>(info.width) * info.height * 4;
    if (bytes > kMaxPictureBytes) return std::nullopt;
    // A damaged header declaring a large picture over a few bytes is not decoded.
    if (!CanDecodeTexture(LeafEntry(leaf), info)) return std::nullopt;
    return DecodeTexture(LeafEntry(leaf), info);
}

namespace {

Bytes EntryHeader(ByteView old_entry, std::int32_t header_length) {
    // A damaged leaf shorter than its header contributes what it has; the rest reads as zero.
    Bytes header(static_cast<std::size_t>(header_length), 0);
    std::copy_n(old_entry.begin(), std::min(old_entry.size(), header.size()), header.begin());
    return header;
}

}  // namespace

ReplacementEntry BuildReplacementEntry(const Session& s, const EncodeOptions& options,
                                       ByteView old_entry,
                                       const TextureInfo& info, const Picture& picture) {
    ReplacementEntry result;
    result.bytes = EntryHeader(old_entry, info.header_length);
    const PixelClass c = info.pixel_class;
    if (c == PixelClass::Bgra32) {
        result.bytes.insert(result.bytes.end(), picture.pixels.begin(), picture.pixels.end());
    } else {
        const int levels = LevelCount(old_entry);
        // A level count of 0, or a picture narrower than one block, gives a chain shorter than
        // the top level the header declares: store the top level in any case.
        const std::int64_t n = std::max(LevelChainSize(picture.width, picture.height, levels, c),
                                        TopLevelDataSize(picture.width, picture.height, c));
        EncodeResult encoded =
            EncodeWithTexconv(s.program_dir, picture, levels, c, n, options);
        if (!encoded.ok) {
            result.error = std::string(text::kEncodeFailed) + encoded.error;
            return result;
        }
        encoded.data.resize(static_cast<std::size_t>(n), 0);
        result.bytes.insert(result.bytes.end(), encoded.data.begin(), encoded.data.end());
    }
    result.bytes[2] = static_cast<std::uint8_t>((SizeExponent(picture.height) << 4) |
                                                SizeExponent(picture.width));
    result.ok = true;
    return result;
}

}  // namespace tavrel
