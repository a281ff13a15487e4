#include <algorithm>

#include "archive/LwCodec.h"
#include "archive/ResourceTree.h"

namespace tavrel {

// How far the expanded length may be raised towards c + 268: the zero bytes that the game's
// own tool kept behind an expanded stream.
inline constexpr std::uint64_t kLwcRaiseLimit = 4096;

ExpandedLeaf ExpandLeaf(Bytes bytes, LwCodec* codec) {
    if (!codec || !StartsWithLwc(bytes) || bytes.size() < 12) return {std::move(bytes), false};
    const std::uint32_t expected = LoadU32(bytes.data() + 4);
    const std::uint64_t input_length = std::uint64_t{LoadU32(bytes.data() + 8)} + kLwcHeaderSize;
    // A stream shorter than it declares is damaged: keep its bytes as they are.
    if (input_length > bytes.size()) return {std::move(bytes), false};
    auto output = codec->Decode(ByteView(bytes).first(input_length), expected);
    if (!output) return {std::move(bytes), false};
    const std::uint64_t out_length = output->size();
    const std::uint64_t raised =
        std::min(std::max(out_length, input_length), out_length + kLwcRaiseLimit);
    output->resize(raised, 0);
    return {std::move(*output), true};
}

}  // namespace tavrel
