#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Little-endian fields of the game's files. Every multi-byte field is read and written
// through these helpers, never by casting a pointer.
namespace tavrel {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

inline std::uint16_t LoadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void StoreU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// Bounds-checked read: the u32 at `offset`, or `fallback` when the four bytes are not
// all inside `bytes`.
inline std::uint32_t ReadU32(ByteView bytes, std::size_t offset, std::uint32_t fallback = 0) {
    if (offset > bytes.size() || bytes.size() - offset < 4) return fallback;
    return LoadU32(bytes.data() + offset);
}

inline void AppendU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void AppendU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Four-character magic values as they read as little-endian u32.
inline constexpr std::uint32_t kMagicLink = 0x4B4E494C;  // "LINK"
inline constexpr std::uint32_t kMagicGt1g = 0x47315447;  // "GT1G"
inline constexpr std::uint32_t kMagicLwc24 = 0x43574C;   // "LWC", low 24 bits

inline bool StartsWithMagic(ByteView bytes, std::uint32_t magic) {
    return bytes.size() >= 4 && LoadU32(bytes.data()) == magic;
}

inline bool StartsWithLwc(ByteView bytes) {
    return bytes.size() >= 3 && bytes[0] == 'L' && bytes[1] == 'W' && bytes[2] == 'C';
}

}  // namespace tavrel
