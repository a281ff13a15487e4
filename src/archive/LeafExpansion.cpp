#include <algorithm>
#include <limits>

#include "archive/LwCodec.h"
#include "archive/ResourceTree.h"

namespace tavrel {

// How far the expanded length may be raised towards c + 268: the zero bytes that the game's
// own tool kept behind an expanded stream.
inline constexpr std::uint64_t kLwcRaiseLimit = 4096;

ExpandedLeaf ExpandLeaf(Bytes bytes, LwCodec* codec) {
    return ExpandLeaf(std::move(bytes), codec, std::numeric_limits<std::uint64_t>::max());
}

ExpandedLeaf ExpandLeaf(Bytes bytes, LwCodec* codec, std::uint64_t max_length) {
    if (!codec || !StartsWithLwc(bytes) || bytes.size() < 12) return {std::move(bytes), false};
    const std::uint32_t expected = LoadU32(bytes.data() + 4);
    const std::uint64_t input_length = std::uint64_t{LoadU32(bytes.data() + 8)} + kLwcHeaderSize;
    // A stream shorter than it declares is damaged: keep its bytes as they are.
    if (input_length > bytes.size()) return {std::move(bytes), false};
    // Not worth decoding when even the declared length is beyond what the caller may hold.
    if (expected > max_length) return {std::move(bytes), false};
    auto output = codec->Decode(ByteView(bytes).first(input_length), expected);
    if (!output) return {std::move(bytes), false};
    const std::uint64_t out_length = output->size();
    const std::uint64_t raised =
        std::min(std::max(out_length, input_length), out_length + kLwcRaiseLimit);
    if (raised > max_length) return {std::move(bytes), false};
    output->resize(raised, 0);
    return {std::move(*output), true};
}

}  // namespace tavrel
