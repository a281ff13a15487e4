#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "format/Bytes.h"
#include "format/TextureInfo.h"
#include "picture/Picture.h"

// Encoding pictures as DXT1 (BC1) or DXT5 (BC3) data with a mip chain.
namespace tavrel {

enum class EncodeQuality { Fast, Default };

struct EncodeOptions {
    EncodeQuality quality = EncodeQuality::Default;
    int threads = 0;  // 0: hardware concurrency; the output never depends on it
};

// One level as whole 4x4 blocks (partial edge blocks padded by repeating edge pixels).
// BC1 blocks are always in four-colour mode (colour 0 > colour 1).
Bytes EncodeBc1(const Picture& picture, const EncodeOptions& options = {});
Bytes EncodeBc3(const Picture& picture, const EncodeOptions& options = {});

// The level chain an import stores: levels from the largest down, each half the size of the
// one above (2x2 box filter), each as whole blocks, cut to exactly `n` bytes (zero-padded
// when the chain is shorter). `c` is Dxt1 or Dxt5.
Bytes EncodeLevelChain(const Picture& picture, PixelClass c, std::int64_t n,
                       const EncodeOptions& options = {});

struct EncodeResult {
    bool ok = false;
    Bytes data;
    std::string error;
};

// The import's encoder: when an executable converter Plugins/texconv is installed under the
// program directory, runs it on temp.bmp and reads n bytes after temp.dds's 128-byte header
// (stale temp.dds removed first, 60 s time-out); otherwise the built-in encoder.
EncodeResult EncodeWithTexconv(const std::filesystem::path& program_dir, const Picture& picture,
                               int levels, PixelClass c, std::int64_t n,
                               const EncodeOptions& options = {});

}  // namespace tavrel
