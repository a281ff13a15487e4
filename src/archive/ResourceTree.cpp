#include "archive/ResourceTree.h"

#include <algorithm>
#include <limits>

namespace tavrel {

ResourceNode* FindFrameNode(BlockTree& tree, const FramePath& path) {
    if (path.depth > static_cast<std::uint32_t>(kMaxDepth)) return nullptr;
    ResourceNode* node = &tree.root;
    for (std::uint32_t level = 1; level <= path.depth; ++level) {
        const std::size_t position = path.index[level];
        if (position >= node->children.size()) return nullptr;
        node = &node->children[position];
    }
    return node;
}

bool ReplaceFrameData(BlockTree& tree, const FramePath& path, ByteView bytes) {
    ResourceNode* node = FindFrameNode(tree, path);
    // A container's bytes are rebuilt from its children when written back, so new bytes
    // installed there would be lost silently.
    if (!node || node->IsContainer()) return false;
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return false;
    node->data.assign(bytes.begin(), bytes.end());
    node->size = static_cast<std::uint32_t>(bytes.size());
    node->modified = true;
    tree.root.modified = true;
    return true;
}

void FreeNode(ResourceNode& node) {
    node.data = Bytes{};
    node.header = Bytes{};
    node.children = std::vector<ResourceNode>{};
    node.kind = NodeKind::PlainLeaf;
}

void FreeBlockTree(BlockTree& tree) {
    tree.frames = std::vector<FramePath>{};
    FreeNode(tree.root);
}

TextureInfo ReadLeafTextureInfo(ResourceNode& leaf) {
    const TextureInfo info = ReadTextureInfo(leaf.data);
    const auto held = static_cast<std::int64_t>(leaf.data.size());
    const std::int64_t limit = std::numeric_limits<std::uint32_t>::max();
    leaf.size = static_cast<std::uint32_t>(std::min({info.entry_size, held, limit}));
    return info;
}

bool LeafHoldsEntry(const ResourceNode& leaf) {
    return ReadTextureInfo(leaf.data).entry_size <= static_cast<std::int64_t>(leaf.data.size());
}

}  // namespace tavrel
