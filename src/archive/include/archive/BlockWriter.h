#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "archive/ResourceTree.h"

// Turning a (modified) block tree back into the archive's bytes.
//
// Layout written for a container, offsets from its first byte:
// - "GT1G" pack of n children: its header copy (header_size bytes) with the u32 at 8 set to
//   the pack's total length; the offset table at t = 28 + 4n holds each entry's offset - t.
// - "LINK": its header copy; the table at t = 32 when the copy's word at 20 is 0, else 16,
//   holds (offset, length) per entry. In the 16-byte variant entry 1's length lands on the
//   word at 20, as the format has it.
// Children follow back to back from header_size, in order, without gaps or padding.
namespace tavrel {

class LwCodec;

// Replaces data/size of `node` (and of every descendant first) with write-back bytes:
// containers packed anew around their children, compressed nodes encoded again, plain
// leaves byte for byte (their first `size` bytes). Returns false when a compressed node
// could not be encoded (no codec, or the codec failed), when a container's header copy is too
// short for its table, or when a container would exceed 4 GiB; the subtree is then partly
// serialized and must be discarded.
bool SerializeNode(ResourceNode& node, LwCodec* codec);

// The write-back bytes of `node` as SerializeNode would leave in its data, built in one new
// buffer without changing the tree. nullopt on the failures SerializeNode reports.
std::optional<Bytes> SerializeToBytes(const ResourceNode& node, LwCodec* codec);

// The bytes a node is written back as: encoded again when `was_compressed`, else a copy.
// nullopt when encoding is needed and there is no codec or it fails.
std::optional<Bytes> CompressLeaf(ByteView bytes, bool was_compressed, LwCodec* codec);

// Writes the serialized root to `path` through a temporary name in the same directory, an
// fsync and a rename, so a failure never leaves a half-written copy in place of a good one.
// The tree itself is not changed (it stays modified and can be written again after a
// failure). The directory must exist. `error` gets a message on failure.
bool WriteBlockTemp(BlockTree& tree, const std::filesystem::path& path, LwCodec* codec,
                    std::string* error = nullptr);

}  // namespace tavrel
