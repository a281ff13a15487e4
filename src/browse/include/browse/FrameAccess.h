#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "archive/ResourceTree.h"
#include "browse/Session.h"
#include "format/TextureInfo.h"
#include "picture/Picture.h"

// Access to the current frame of the browsing state and the pieces every import shares.
namespace tavrel {

// Largest picture the tool decodes (w * h * 4 bytes); a header promising more is treated as
// a picture that cannot be shown rather than an allocation of gigabytes.
inline constexpr std::int64_t kMaxPictureBytes = std::int64_t{1} << 30;

// The FrameLeaf of frame `current_frame`; nullptr when the frame number is out of range or
// its path names no FrameLeaf.
ResourceNode* CurrentFrameLeaf(BrowseState& state);
// The leaf's bytes as far as its `size` says (never beyond what it holds).
ByteView LeafEntry(const ResourceNode& leaf);
// Decodes a leaf whose header was read into `info`; nullopt when the picture is too large
// (kMaxPictureBytes) or CanDecodeTexture refuses the entry (a short entry of a large picture).
std::optional<Picture> DecodeLeaf(const ResourceNode& leaf, const TextureInfo& info);

struct ReplacementEntry {
    bool ok = false;
    Bytes bytes;
    std::string error;  // message to show when ok is false
};

// The entry an import stores for `picture`: the old entry's header (byte 2 rewritten from the
// picture's size), then the pixel data: the picture itself for Bgra32, the encoded level chain
// for Dxt1/Dxt5. The chain always holds at least the whole top level, so the entry carries
// every byte its header declares. `options` picks the encoder's quality (the single imports
// use the session's encode_options, the batch import its batch_encode_options).
ReplacementEntry BuildReplacementEntry(const Session& s, const EncodeOptions& options,
                                       ByteView old_entry,
                                       const TextureInfo& info, const Picture& picture);

}  // namespace tavrel
