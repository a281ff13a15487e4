#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "format/Bytes.h"
#include "format/TextureInfo.h"
#include "picture/Picture.h"

// Encoding pictures as DXT1 (BC1) or DXT5 (BC3) data with a mip chain.
namespace tavrel {

// Fast: endpoints from the principal axis with two least-squares refits. Default: cluster
// fit along the principal axis judged on the 5:6:5 grid, then least-squares refits and a
// local search on the grid with exact error. Best: the same with more candidates and rounds,
// for the highest fidelity at about half the speed. Every level judges colour errors with the
// channel weights 0.299 red, 0.587 green, 0.114 blue. bench/RESULTS.md has the figures.
enum class EncodeQuality { Fast, Default, Best };

struct EncodeOptions {
    EncodeQuality quality = EncodeQuality::Default;
    int threads = 0;  // 0: hardware concurrency; the output never depends on it
    // How long EncodeWithTexconv waits for the external converter before it stops it.
    std::chrono::milliseconds converter_timeout{60000};
};

// One level as whole 4x4 blocks (partial edge blocks padded by repeating edge pixels), block
// rows top to bottom. BC1 blocks are always in four-colour mode (colour 0 > colour 1).
// A picture without pixels, or whose pixel buffer is shorter than width * height * 4, gives
// no bytes.
Bytes EncodeBc1(const Picture& picture, const EncodeOptions& options = {});
Bytes EncodeBc3(const Picture& picture, const EncodeOptions& options = {});

// The next smaller level: max(1, width / 2) x max(1, height / 2), each pixel the rounded
// mean of the 2x2 pixels above it. With an odd side the last row or column also takes the
// lone last source row or column; a side of 1 stays 1.
Picture HalvePicture(const Picture& picture);

// The level chain an import stores: levels from the largest down, each half the size of the
// one above (HalvePicture), each as whole blocks, cut to exactly `n` bytes (zero-padded
// when the chain down to 1 x 1 is shorter). `c` is Dxt1 or Dxt5; for Bgra32 the result is
// the picture's pixels cut or padded to `n`.
Bytes EncodeLevelChain(const Picture& picture, PixelClass c, std::int64_t n,
                       const EncodeOptions& options = {});

// The bytes the external converter must deliver for a chain of `levels` levels: for Dxt5
// LevelChainSize; for Dxt1 the same sum with each term formed from half the pixel count,
// ((w * h) / 2) / 2^i / 2^i, which for sides that are not powers of two can be a few bytes
// fewer than LevelChainSize.
std::int64_t ConverterByteCount(std::int32_t width, std::int32_t height, int levels, PixelClass c);

enum class EncodeOutcome {
    Success,
    BitmapWriteFailed,  // temp.bmp could not be written
    StaleOutputStuck,   // an old temp.dds could not be removed
    ConverterNotStarted,
    ConverterTimedOut,  // the converter was stopped after the time-out
    NoOutput,           // the converter ended without writing temp.dds
    OutputTooShort,     // temp.dds holds fewer than 128 + ConverterByteCount bytes
};

// The user-visible text of an outcome ("" for Success).
const char* EncodeOutcomeMessage(EncodeOutcome outcome);

struct EncodeResult {
    bool ok = false;
    EncodeOutcome outcome = EncodeOutcome::Success;
    Bytes data;         // exactly n bytes on success
    std::string error;  // EncodeOutcomeMessage(outcome), empty on success
};

// The import's encoder. When an executable converter "Plugins/texconv" is installed under
// the program directory: writes program_dir/temp.bmp (32-bit top-down BMP), removes a stale
// program_dir/temp.dds, runs the converter directly (no shell) with the arguments
//   -f DXT1|DXT5 <program_dir>/temp.bmp -o <program_dir>
// in the program directory, waits for it to end (at most options.converter_timeout, then
// it is killed), and takes the bytes after temp.dds's 128-byte header: at least
// ConverterByteCount of them must be there, up to n are taken, the rest of the n bytes are
// zero. Both temporary files are deleted afterwards. The paths are handed over as they are;
// with no shell and no quoting between, nothing needs escaping.
// Without a converter: EncodeLevelChain(picture, c, n, options), which cannot fail.
EncodeResult EncodeWithTexconv(const std::filesystem::path& program_dir, const Picture& picture,
                               int levels, PixelClass c, std::int64_t n,
                               const EncodeOptions& options = {});

}  // namespace tavrel
