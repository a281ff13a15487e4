#pragma once

#include <cstdint>

// 5:6:5 colours of BC1 blocks. The encoder aims at the common decoders, which widen a 5-bit
// value x to (x << 3) | (x >> 2) and a 6-bit value to (x << 2) | (x >> 4). The tool's own
// display widens with (x * 255) >> 5 and >> 6 instead; both interpolate the two middle
// colours as (2 * p0 + p1 + 1) / 3 and (p0 + 2 * p1 + 1) / 3.
namespace tavrel::detail {

inline int Widen5(int x) { return (x << 3) | (x >> 2); }
inline int Widen6(int x) { return (x << 2) | (x >> 4); }
inline int ToolWiden5(int x) { return (x * 255) >> 5; }
inline int ToolWiden6(int x) { return (x * 255) >> 6; }

inline int Third(int near, int far) { return (2 * near + far + 1) / 3; }

// One endpoint as 5-bit red, 6-bit green, 5-bit blue.
struct Colour565 {
    int r = 0, g = 0, b = 0;
    std::uint16_t Packed() const { return static_cast<std::uint16_t>((r << 11) | (g << 5) | b); }
    static Colour565 Unpack(std::uint16_t v) { return {v >> 11, (v >> 5) & 63, v & 31}; }
    bool operator==(const Colour565&) const = default;
};

}  // namespace tavrel::detail
