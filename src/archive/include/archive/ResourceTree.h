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
                             // serializing. After parsing data.size() == size; bytes behind
                             // `size` (ReadLeafTextureInfo may lower it) are not written back.
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
// Any bytes parse; what cannot be read safely stays a plain leaf holding its original bytes,
// so that writing the block back reproduces them:
// - a "LINK" or "GT1G" container whose count, table, offsets, sizes or entry sizes do not fit
//   in its own bytes is, as a whole, a PlainLeaf (none of its entries are parsed);
// - a container at depth kMaxDepth (its entries could not be named by a FramePath) or with
//   more than kMaxChildren entries is a PlainLeaf;
// - an "LWC" entry that is truncated, fails to decode or meets no codec is an unexpanded
//   PlainLeaf with was_compressed false;
// - the tree may hold at most ParseBudget(input size) bytes (entry copies, header copies,
//   expanded streams) and kMaxParseNodes nodes: a container whose entries would go beyond
//   either stays a PlainLeaf, an "LWC" entry that would is not expanded. Entries may
//   overlap, so without this a block of a few bytes could name the same bytes again and
//   again, level after level, and ask for more memory and time than any machine has.
// A block that itself starts with "LWC" is a PlainLeaf root and is not expanded.
void ParseBlock(BlockTree& tree, Bytes bytes, LwCodec* codec);

// Bytes one parse may hold: 256 MiB plus 16 times the block's own size, far above what a
// block of the game needs (each level of nesting holds its bytes once, expanded streams a
// few times their compressed size).
inline constexpr std::uint64_t kParseBudgetBase = 256u << 20;
inline constexpr std::uint64_t kParseBudgetFactor = 16;
inline constexpr std::uint64_t ParseBudget(std::uint64_t block_size) {
    return kParseBudgetBase + kParseBudgetFactor * block_size;
}
// Nodes one parse may create: two texture packs of the largest size, and more.
inline constexpr std::uint64_t kMaxParseNodes = 1u << 17;

// Most entries one container may have: a FramePath level holds positions 0..65535.
inline constexpr std::uint32_t kMaxChildren = 65536;

// Parses `bytes` into `node`, whose kind (PlainLeaf unless fixed to FrameLeaf by a texture
// pack), depth, path and was_compressed the caller has set. Containers get their header and
// children; leaves get `bytes` as data and size. FrameLeaf paths are appended to `frames`
// in pre-order. Holds to ParseBudget(bytes.size()) as ParseBlock does.
void ParseNode(ResourceNode& node, Bytes bytes, LwCodec* codec, std::vector<FramePath>& frames);

struct ExpandedLeaf {
    Bytes bytes;
    bool was_compressed = false;
};

// An entry's bytes as the tree holds them. An "LWC" stream (u32 at 4 the expanded length,
// u32 at 8 a value c; c + 268 bytes are decoded) is expanded; when the output is shorter
// than c + 268 the length is raised to c + 268 with zero bytes, but by no more than 4096
// bytes (the raise never goes beyond output length + 4096). Anything else, and any stream
// that cannot be expanded, comes back unchanged with was_compressed false.
ExpandedLeaf ExpandLeaf(Bytes bytes, LwCodec* codec);
// The same, but a stream that declares, or expands to, more than `max_length` bytes (raise
// included) is left unexpanded.
ExpandedLeaf ExpandLeaf(Bytes bytes, LwCodec* codec, std::uint64_t max_length);
// Node named by `path` (a lowered depth names the containing pack); nullptr when the path
// does not name a node of this tree.
ResourceNode* FindFrameNode(BlockTree& tree, const FramePath& path);
// Installs a copy of `bytes` as the leaf's data; marks leaf and root modified. Returns false
// and changes nothing when the path names no node, names a container, or the bytes exceed
// 4 GiB.
bool ReplaceFrameData(BlockTree& tree, const FramePath& path, ByteView bytes);
void FreeNode(ResourceNode& node);
void FreeBlockTree(BlockTree& tree);

// Reads the leaf's entry header and sets the leaf's `size` to the entry size, never beyond
// the bytes the leaf holds (a leaf shorter than its entry size is cut to what is there).
TextureInfo ReadLeafTextureInfo(ResourceNode& leaf);

// True when a leaf holds all the bytes its header declares (header + top-level data).
bool LeafHoldsEntry(const ResourceNode& leaf);

}  // namespace tavrel
