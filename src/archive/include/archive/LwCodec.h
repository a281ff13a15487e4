#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "format/Bytes.h"

// The codec of "LWC" streams: a plug-in library under Plugins/ when one is installed,
// otherwise the built-in codec (a 268-byte header followed by a zstd frame of c bytes).
//
// Stream fields the archive relies on: "LWC" in bytes 0-2, u32 at 4 the expanded length,
// u32 at 8 a value c such that c + 268 bytes of the stream decode it.
namespace tavrel {

inline constexpr std::uint32_t kLwcHeaderSize = 268;
// Largest expanded length the codec accepts; larger declared lengths are damage.
inline constexpr std::uint32_t kLwcMaxExpanded = 512u << 20;

class LwCodec {
public:
    virtual ~LwCodec() = default;
    // Expands a whole stream (input length c + 268). nullopt when the stream is damaged.
    virtual std::optional<Bytes> Decode(ByteView stream, std::uint32_t expected_length) = 0;
    // Produces a complete stream that Decode expands back to `input`.
    virtual std::optional<Bytes> Encode(ByteView input) = 0;
    virtual const char* Name() const = 0;
};

// The built-in codec. Deterministic output.
std::unique_ptr<LwCodec> MakeBuiltinLwCodec();

// Plugins/VESKLW.so under the program directory when it loads and has the three entries
// (plain or decorated names), else the built-in codec.
std::unique_ptr<LwCodec> LoadLwCodec(const std::filesystem::path& program_dir);

}  // namespace tavrel
