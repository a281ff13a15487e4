#include "archive/BlockWriter.h"

#include <algorithm>
#include <limits>

#include "DurableFile.h"
#include "archive/LwCodec.h"

namespace tavrel {
namespace {

constexpr std::uint64_t kMaxLength = std::numeric_limits<std::uint32_t>::max();

using ChildWriter = bool (*)(const ResourceNode& child, Bytes& out, LwCodec* codec);

// The first `size` bytes of a leaf's data (a size beyond the data reads as zero bytes).
void AppendLeafBytes(const ResourceNode& leaf, Bytes& out) {
    const std::size_t held = std::min<std::size_t>(leaf.size, leaf.data.size());
    out.insert(out.end(), leaf.data.begin(), leaf.data.begin() + static_cast<std::ptrdiff_t>(held));
    out.resize(out.size() + (leaf.size - held), 0);
}

bool AppendEncoded(ByteView bytes, bool was_compressed, Bytes& out, LwCodec* codec) {
    if (!was_compressed) {
        out.insert(out.end(), bytes.begin(), bytes.end());
        return true;
    }
    auto encoded = CompressLeaf(bytes, true, codec);
    if (!encoded) return false;
    out.insert(out.end(), encoded->begin(), encoded->end());
    return true;
}

// Offset of the table inside the header copy, or nullopt when the copy cannot hold it.
std::optional<std::size_t> TableOffset(const ResourceNode& node) {
    const std::uint64_t n = node.children.size();
    if (node.header.size() < node.header_size || node.header_size < 24) return std::nullopt;
    if (node.kind == NodeKind::TexturePack) {
        if (28 + 8 * n > node.header_size) return std::nullopt;
        return static_cast<std::size_t>(28 + 4 * n);
    }
    const std::size_t t = LoadU32(node.header.data() + 20) == 0 ? 32 : 16;
    if (t + 8 * n > node.header_size) return std::nullopt;
    return t;
}

// Header copy, then every child through `write_child`, patching the table as they land.
bool AppendContainer(const ResourceNode& node, Bytes& out, LwCodec* codec,
                     ChildWriter write_child) {
    const auto t = TableOffset(node);
    if (!t) return false;
    const std::size_t start = out.size();
    out.insert(out.end(), node.header.begin(), node.header.begin() + node.header_size);
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        const std::uint64_t pos = out.size() - start;
        if (!write_child(node.children[i], out, codec)) return false;
        const std::uint64_t length = out.size() - start - pos;
        if (pos + length > kMaxLength) return false;
        std::uint8_t* base = out.data() + start;
        if (node.kind == NodeKind::TexturePack) {
            StoreU32(base + *t + 4 * i, static_cast<std::uint32_t>(pos - *t));
        } else {
            StoreU32(base + *t + 8 * i, static_cast<std::uint32_t>(pos));
            StoreU32(base + *t + 8 * i + 4, static_cast<std::uint32_t>(length));
        }
    }
    if (node.kind == NodeKind::TexturePack) {
        StoreU32(out.data() + start + 8, static_cast<std::uint32_t>(out.size() - start));
    }
    return true;
}

// Child writer for a subtree that is already serialized: its data are its bytes.
bool AppendSerializedChild(const ResourceNode& child, Bytes& out, LwCodec*) {
    AppendLeafBytes(child, out);
    return true;
}

// Child writer that serializes as it goes, leaving the tree unchanged.
bool AppendNode(const ResourceNode& node, Bytes& out, LwCodec* codec) {
    if (!node.IsContainer()) {
        if (!node.was_compressed) {
            AppendLeafBytes(node, out);
            return true;
        }
        Bytes plain;
        AppendLeafBytes(node, plain);
        return AppendEncoded(plain, true, out, codec);
    }
    if (!node.was_compressed) return AppendContainer(node, out, codec, AppendNode);
    Bytes plain;
    return AppendContainer(node, plain, codec, AppendNode) &&
           AppendEncoded(plain, true, out, codec);
}

// Bytes the node takes before encoding: room reserved up front so the output buffer is not
// copied again and again while it grows.
std::uint64_t PlainSize(const ResourceNode& node) {
    if (!node.IsContainer()) return node.size;
    std::uint64_t total = node.header_size;
    for (const auto& child : node.children) total += PlainSize(child);
    return total;
}

bool Install(ResourceNode& node, Bytes bytes) {
    if (bytes.size() > kMaxLength) return false;
    node.size = static_cast<std::uint32_t>(bytes.size());
    node.data = std::move(bytes);
    return true;
}

}  // namespace

std::optional<Bytes> CompressLeaf(ByteView bytes, bool was_compressed, LwCodec* codec) {
    if (!was_compressed) return Bytes(bytes.begin(), bytes.end());
    if (!codec) return std::nullopt;
    return codec->Encode(bytes);
}

bool SerializeNode(ResourceNode& node, LwCodec* codec) {
    Bytes plain;
    if (node.IsContainer()) {
        for (auto& child : node.children) {
            if (!SerializeNode(child, codec)) return false;
        }
        plain.reserve(static_cast<std::size_t>(std::min(PlainSize(node), kMaxLength)));
        if (!AppendContainer(node, plain, codec, AppendSerializedChild)) return false;
    } else {
        if (!node.was_compressed) {
            if (node.data.size() < node.size) node.data.resize(node.size, 0);
            return true;
        }
        AppendLeafBytes(node, plain);
    }
    if (!node.was_compressed) return Install(node, std::move(plain));
    auto encoded = CompressLeaf(plain, true, codec);
    return encoded && Install(node, std::move(*encoded));
}

std::optional<Bytes> SerializeToBytes(const ResourceNode& node, LwCodec* codec) {
    Bytes out;
    out.reserve(static_cast<std::size_t>(std::min(PlainSize(node), kMaxLength)));
    if (!AppendNode(node, out, codec) || out.size() > kMaxLength) return std::nullopt;
    return out;
}

bool WriteBlockTemp(BlockTree& tree, const std::filesystem::path& path, LwCodec* codec,
                    std::string* error) {
    auto bytes = SerializeToBytes(tree.root, codec);
    if (!bytes) {
        if (error)
            *error =
                "the block cannot be written back: a compressed entry could not be encoded "
                "or a container is damaged";
        return false;
    }
    return WriteFileAtomically(path, *bytes, error);
}

}  // namespace tavrel
