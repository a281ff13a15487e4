#pragma once

#include <filesystem>
#include <string>

#include "archive/ResourceTree.h"

// Turning a (modified) block tree back into the archive's bytes.
namespace tavrel {

class LwCodec;

// Replaces data/size of `node` (and of every descendant first) with write-back bytes:
// containers packed anew around their children, compressed nodes encoded again, plain
// leaves byte for byte. Returns false when a compressed node could not be encoded.
bool SerializeNode(ResourceNode& node, LwCodec* codec);

// Serializes the root and writes it to `path` through a temporary name and a rename, so a
// failure never leaves a half-written copy in place of a good one. `error` gets a message.
bool WriteBlockTemp(BlockTree& tree, const std::filesystem::path& path, LwCodec* codec,
                    std::string* error = nullptr);

}  // namespace tavrel
