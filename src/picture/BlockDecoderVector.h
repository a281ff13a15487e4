#pragma once

#include <cstdint>

#include "format/Bytes.h"

// Private to the picture library: the block kinds of the decoder and its vector path.
namespace tavrel::detail {

enum class BlockKind {
    Interpolated,  // 16-byte blocks, InterpolatedAlpha
    Table,         // 16-byte blocks, TableAlpha
    Dxt1,          // 8-byte colour halves, alpha 255
};

constexpr std::size_t BlockBytes(BlockKind k) { return k == BlockKind::Dxt1 ? 8 : 16; }

// True when the SSSE3 path is compiled in and the processor has SSSE3.
bool VectorDecodingSupported();

// The SSSE3 path; same contract and results as the portable one. Call only when supported.
void DecodeAllVector(BlockKind kind, std::uint8_t* out, ByteView blocks, std::int32_t width,
                     std::int32_t height);

}  // namespace tavrel::detail
