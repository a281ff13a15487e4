#include <optional>

#include "archive/ResourceTree.h"

// Parsing one data block into its tree. Every table is checked against the container's own
// bytes before any entry is cut out of it; a container that does not pass stays a leaf.
namespace tavrel {
namespace {

struct EntryRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct ContainerLayout {
    NodeKind kind = NodeKind::PlainLeaf;
    std::uint32_t header_size = 0;
    std::vector<EntryRange> entries;
};

bool FitsIn(const EntryRange& r, std::size_t size) {
    return r.offset <= size && r.length <= size - r.offset;
}

// "GT1G": entry count at 16, per-entry words at 28, offset table at t = 28 + 4n whose values
// count from t; each entry is as long as its texture header says.
std::optional<ContainerLayout> ReadPackLayout(ByteView bytes) {
    if (bytes.size() < 20) return std::nullopt;
    const std::uint64_t n = LoadU32(bytes.data() + 16);
    if (n > kMaxChildren) return std::nullopt;
    const std::uint64_t t = 28 + 4 * n;
    const std::uint64_t header_size = 28 + 8 * n;
    if (header_size > bytes.size()) return std::nullopt;
    ContainerLayout layout{NodeKind::TexturePack, static_cast<std::uint32_t>(header_size), {}};
    layout.entries.reserve(n);
    for (std::uint64_t i = 0; i < n; ++i) {
        EntryRange r;
        r.offset = t + LoadU32(bytes.data() + t + 4 * i);
        if (r.offset > bytes.size()) return std::nullopt;
        const auto info = ReadTextureInfo(bytes.subspan(r.offset));
        r.length = static_cast<std::uint64_t>(info.entry_size);
        if (!FitsIn(r, bytes.size())) return std::nullopt;
        layout.entries.push_back(r);
    }
    return layout;
}

// "LINK": entry count at 4, the table at 32 when the word at 20 is 0, else at 16; pairs of
// (offset from the container start, size). The header region ends at entry 1's offset and
// must hold the whole table, since writing back rewrites the table inside it.
std::optional<ContainerLayout> ReadLinkLayout(ByteView bytes) {
    if (bytes.size() < 24) return std::nullopt;
    const std::uint64_t n = LoadU32(bytes.data() + 4);
    if (n > kMaxChildren) return std::nullopt;
    const std::uint64_t t = LoadU32(bytes.data() + 20) == 0 ? 32 : 16;
    if (t + 4 > bytes.size()) return std::nullopt;
    const std::uint64_t header_size = LoadU32(bytes.data() + t);
    if (header_size > bytes.size() || header_size < t + 8 * n || header_size < 24)
        return std::nullopt;
    ContainerLayout layout{NodeKind::LinkContainer, static_cast<std::uint32_t>(header_size), {}};
    layout.entries.reserve(n);
    for (std::uint64_t i = 0; i < n; ++i) {
        EntryRange r{LoadU32(bytes.data() + t + 8 * i), LoadU32(bytes.data() + t + 8 * i + 4)};
        if (!FitsIn(r, bytes.size())) return std::nullopt;
        layout.entries.push_back(r);
    }
    return layout;
}

std::optional<ContainerLayout> ReadContainerLayout(ByteView bytes) {
    if (StartsWithMagic(bytes, kMagicGt1g)) return ReadPackLayout(bytes);
    if (StartsWithMagic(bytes, kMagicLink)) return ReadLinkLayout(bytes);
    return std::nullopt;
}

// What the tree being parsed may still hold: bytes (see ParseBudget) and nodes.
class Budget {
public:
    explicit Budget(std::uint64_t bytes) : bytes_(bytes) {}
    std::uint64_t bytes() const { return bytes_; }
    bool Take(std::uint64_t bytes, std::uint64_t nodes = 0) {
        if (bytes > bytes_ || nodes > nodes_) return false;
        bytes_ -= bytes;
        nodes_ -= nodes;
        return true;
    }
    // The header copy and the entries of a container, before any is parsed further.
    bool TakeContainer(const ContainerLayout& layout) {
        std::uint64_t bytes = layout.header_size;
        for (const auto& r : layout.entries) bytes += r.length + sizeof(ResourceNode);
        return Take(bytes, layout.entries.size());
    }

private:
    std::uint64_t bytes_;
    std::uint64_t nodes_ = kMaxParseNodes;
};

void ParseWithin(ResourceNode& node, Bytes bytes, LwCodec* codec, std::vector<FramePath>& frames,
                 Budget& budget);

void MakeLeaf(ResourceNode& node, Bytes bytes, std::vector<FramePath>& frames) {
    node.size = static_cast<std::uint32_t>(bytes.size());
    node.data = std::move(bytes);
    if (node.kind == NodeKind::FrameLeaf) frames.push_back(node.path);
}

void MakeContainer(ResourceNode& node, const ContainerLayout& layout, const Bytes& bytes,
                   LwCodec* codec, std::vector<FramePath>& frames, Budget& budget) {
    node.kind = layout.kind;
    node.header_size = layout.header_size;
    node.header.assign(bytes.begin(), bytes.begin() + layout.header_size);
    node.size = static_cast<std::uint32_t>(bytes.size());
    node.children.reserve(layout.entries.size());
    const NodeKind child_kind =
        layout.kind == NodeKind::TexturePack ? NodeKind::FrameLeaf : NodeKind::PlainLeaf;
    for (std::size_t i = 0; i < layout.entries.size(); ++i) {
        const auto& r = layout.entries[i];
        const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(r.offset);
        auto expanded = ExpandLeaf(Bytes(first, first + static_cast<std::ptrdiff_t>(r.length)),
                                   codec, budget.bytes());
        if (expanded.was_compressed) budget.Take(expanded.bytes.size());  // fits: checked

        ResourceNode& child = node.children.emplace_back();
        child.kind = child_kind;
        child.depth = node.depth + 1;
        child.path.depth = child.depth;
        for (std::uint32_t level = 0; level <= node.depth; ++level) {
            child.path.index[level] = node.path.index[level];
        }
        child.path.index[child.depth] = static_cast<std::uint16_t>(i);
        child.was_compressed = expanded.was_compressed;
        ParseWithin(child, std::move(expanded.bytes), codec, frames, budget);
    }
}

void ParseWithin(ResourceNode& node, Bytes bytes, LwCodec* codec, std::vector<FramePath>& frames,
                 Budget& budget) {
    node.modified = false;
    node.data.clear();
    node.header.clear();
    node.header_size = 0;
    node.children.clear();
    // Entries of a texture pack come in as FrameLeaf and are never parsed as containers; a
    // container whose entries would lie deeper than a FramePath can name stays plain bytes.
    if (node.kind == NodeKind::PlainLeaf && node.depth < static_cast<std::uint32_t>(kMaxDepth)) {
        // A container whose entries the budget cannot hold stays plain bytes.
        if (auto layout = ReadContainerLayout(bytes); layout && budget.TakeContainer(*layout)) {
            MakeContainer(node, *layout, bytes, codec, frames, budget);
            return;
        }
    }
    MakeLeaf(node, std::move(bytes), frames);
}

}  // namespace

void ParseNode(ResourceNode& node, Bytes bytes, LwCodec* codec, std::vector<FramePath>& frames) {
    Budget budget(ParseBudget(bytes.size()));
    ParseWithin(node, std::move(bytes), codec, frames, budget);
}

void ParseBlock(BlockTree& tree, Bytes bytes, LwCodec* codec) {
    tree.frames.clear();
    tree.root = ResourceNode{};
    ParseNode(tree.root, std::move(bytes), codec, tree.frames);
}

}  // namespace tavrel
