#include "SingleColourFit.h"

#include <array>
#include <cstdlib>

#include "Rgb565.h"

namespace tavrel::detail {
namespace {

using PairTable = std::array<EndpointPair, 256>;

PairTable BuildTable(int bits, int (*widen)(int), int (*tool_widen)(int)) {
    PairTable table{};
    const int levels = 1 << bits;
    for (int v = 0; v < 256; ++v) {
        int best_score = -1;
        for (int a = 0; a < levels; ++a) {
            for (int b = 0; b < levels; ++b) {
                const int error = std::abs(Third(widen(a), widen(b)) - v);
                const int tool_error = std::abs(Third(tool_widen(a), tool_widen(b)) - v);
                const int score = (error << 16) | (tool_error << 8) | std::abs(a - b);
                if (best_score < 0 || score < best_score) {
                    best_score = score;
                    table[v] = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)};
                }
            }
        }
    }
    return table;
}

}  // namespace

const EndpointPair* FiveBitPairs() {
    static const PairTable table = BuildTable(5, Widen5, ToolWiden5);
    return table.data();
}

const EndpointPair* SixBitPairs() {
    static const PairTable table = BuildTable(6, Widen6, ToolWiden6);
    return table.data();
}

}  // namespace tavrel::detail
