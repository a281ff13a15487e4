#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "format/Bytes.h"
#include "format/TextureInfo.h"

// The parsed contents of one data block: "LINK" containers, "GT1G" texture packs, leaves,
// "LWC" entries expanded through the codec, and the list of frames (texture entries).
namespace tavrel {

class LwCodec;

enum class NodeKind : std::uint32_t {
    PlainLeaf = 0,
    FrameLeaf = 1,
    TexturePack = 0x10001,
    LinkContainer = 0x10002,
};

inline constexpr int kMaxDepth = 15;  // a FramePath names levels 0..15

struct FramePath {
    std::uint32_t depth = 0;
    std::array<std::uint16_t, 16> index{};
    bool operator==(const FramePath&) const = default;
};

struct ResourceNode {
    NodeKind kind = NodeKind::PlainLeaf;
    Bytes data;              // leaves: the expanded bytes; containers: write-back bytes after
                             // serializing. data.size() may exceed `size` only by zero bytes.
    std::uint32_t size = 0;  // byte count written back
    bool was_compressed = false;
    std::vector<ResourceNode> children;
    FramePath path;
    std::uint32_t depth = 0;
    Bytes header;  // containers: the header region
    std::uint32_t header_size = 0;
    bool modified = false;

    bool IsContainer() const { return static_cast<std::uint32_t>(kind) >= 0x10000; }
};

struct BlockTree {
    ResourceNode root;
    std::vector<FramePath> frames;  // FrameList: frame k is frames[k - 1]
};

// Parses a block. `codec` may be null (LWC entries then stay unexpanded plain leaves).
void ParseBlock(BlockTree& tree, Bytes bytes, LwCodec* codec);
// Node named by `path` (a lowered depth names the containing pack); nullptr when the path
// does not name a node of this tree.
ResourceNode* FindFrameNode(BlockTree& tree, const FramePath& path);
// Installs a copy of `bytes` as the leaf's data; marks leaf and root modified.
bool ReplaceFrameData(BlockTree& tree, const FramePath& path, ByteView bytes);
void FreeNode(ResourceNode& node);
void FreeBlockTree(BlockTree& tree);

// Reads the leaf's entry header and sets the leaf's `size` to the entry size, never beyond
// the bytes the leaf holds (a leaf shorter than its entry size is cut to what is there).
TextureInfo ReadLeafTextureInfo(ResourceNode& leaf);

// True when a leaf holds all the bytes its header declares (header + top-level data).
bool LeafHoldsEntry(const ResourceNode& leaf);

}  // namespace tavrel
