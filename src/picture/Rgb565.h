#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// 5:6:5 colours of BC1 blocks. The encoder aims at the common decoders, which widen a 5-bit
// value x to (x << 3) | (x >> 2) and a 6-bit value to (x << 2) | (x >> 4). The tool's own
// display widens with (x * 255) >> 5 and >> 6 instead; both interpolate the two middle
// colours as (2 * p0 + p1 + 1) / 3 and (p0 + 2 * p1 + 1) / 3.
namespace tavrel::detail {

constexpr int Widen5(int x) { return (x << 3) | (x >> 2); }
constexpr int Widen6(int x) { return (x << 2) | (x >> 4); }
inline int ToolWiden5(int x) { return (x * 255) >> 5; }
inline int ToolWiden6(int x) { return (x * 255) >> 6; }

inline int Third(int near, int far) { return (2 * near + far + 1) / 3; }

namespace grid {
constexpr int Distance(int a, int b) { return a < b ? b - a : a - b; }

// For each 8-bit value the grid value of `bits` bits whose widened form is closest.
constexpr std::array<std::uint8_t, 256> NearestTable(int bits) {
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        int best = 0;
        for (int q = 1; q < (1 << bits); ++q) {
            const int w = bits == 5 ? Widen5(q) : Widen6(q);
            const int b = bits == 5 ? Widen5(best) : Widen6(best);
            if (Distance(w, v) < Distance(b, v)) best = q;
        }
        table[v] = static_cast<std::uint8_t>(best);
    }
    return table;
}

inline constexpr std::array<std::uint8_t, 256> kNearest5 = NearestTable(5);
inline constexpr std::array<std::uint8_t, 256> kNearest6 = NearestTable(6);
}  // namespace grid

// The 5-bit (6-bit) value whose widened form is closest to the 8-bit value v (0..255).
inline int Nearest5(int v) { return grid::kNearest5[static_cast<std::size_t>(v)]; }
inline int Nearest6(int v) { return grid::kNearest6[static_cast<std::size_t>(v)]; }

// One endpoint as 5-bit red, 6-bit green, 5-bit blue.
struct Colour565 {
    int r = 0, g = 0, b = 0;
    std::uint16_t Packed() const { return static_cast<std::uint16_t>((r << 11) | (g << 5) | b); }
    static Colour565 Unpack(std::uint16_t v) { return {v >> 11, (v >> 5) & 63, v & 31}; }
    bool operator==(const Colour565&) const = default;
};

}  // namespace tavrel::detail
