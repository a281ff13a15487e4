// Parses any bytes as a data block, looks every frame up, writes the block back and parses
// the result again. Nothing may read outside a buffer; an unchanged block without compressed
// entries must come back byte for byte where no container was repacked.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/BlockWriter.h"
#include "archive/LwCodec.h"
#include "archive/ResourceTree.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto codec = tavrel::MakeBuiltinLwCodec();
    tavrel::BlockTree tree;
    tavrel::ParseBlock(tree, tavrel::Bytes(data, data + size), codec.get());
    for (const auto& path : tree.frames) {
        tavrel::ResourceNode* leaf = tavrel::FindFrameNode(tree, path);
        if (!leaf) std::abort();
        tavrel::ReadLeafTextureInfo(*leaf);
    }
    auto out = tavrel::SerializeToBytes(tree.root, codec.get());
    if (!out) std::abort();  // every parsed tree can be written back
    if (!tree.root.IsContainer() && *out != tavrel::Bytes(data, data + size)) std::abort();
    tavrel::BlockTree again;
    tavrel::ParseBlock(again, std::move(*out), codec.get());
    return 0;
}
