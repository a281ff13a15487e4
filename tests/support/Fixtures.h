#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "format/Bytes.h"
#include "picture/Picture.h"

// Archives, blocks, texture entries and BMP files built in code for the browsing, batch and
// command-line tests.
namespace tavrel::test {

inline constexpr std::uint8_t kFormatBgra32 = 1;
inline constexpr std::uint8_t kFormatDxt1 = 6;
inline constexpr std::uint8_t kFormatDxt5 = 8;

// A texture entry of 2^wexp x 2^hexp pixels whose top-level bytes follow a pattern of `seed`.
Bytes Bgra32Entry(int wexp, int hexp, std::uint8_t seed, int levels = 1);
Bytes Dxt1Entry(int wexp, int hexp, std::uint8_t seed, int levels = 1);
Bytes Dxt5Entry(int wexp, int hexp, std::uint8_t seed, int levels = 1);

// `entry` with everything after its first `header` bytes replaced by `data`; a test fails
// where the entry is shorter than `header`.
Bytes WithData(const Bytes& entry, std::size_t header, const Bytes& data);

// A block as the game stores it: a LINK container of a plain leaf, a GT1G pack of `entries`
// and another plain leaf, so frame k has the path (0, 1, k - 1) at depth 2.
Bytes PictureBlock(const std::vector<Bytes>& entries);
// A block without any texture pack.
Bytes PlainBlock(std::uint8_t seed);

inline const Bytes kTflag = {0xAA, 0xBB, 0xCC, 0xDD};
// The archive file: a LINK container of the blocks, tflag after each.
Bytes ArchiveBytes(const std::vector<Bytes>& blocks);

// The standard browsing archive of 24 blocks: block 1 holds three frames (8x8 Bgra32, 8x8
// Dxt1, 8x8 Dxt5 with two levels), block 2 has no frames, blocks 3..24 one 4x4 Bgra32 frame.
std::vector<Bytes> StandardBlocks();
// 49 blocks; blocks 33..37 hold portraits (frame 1 Bgra32 8x8, frame 2 Dxt5 8x8 with two
// levels), except block 34, which has no frames; the others one 4x4 Bgra32 frame.
std::vector<Bytes> PortraitBlocks();
// 24 blocks of Bgra32 frames only, alpha varied (for byte-exact round trips).
std::vector<Bytes> Bgra32Blocks();

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

// A picture with a pattern of `seed`; alpha 255 unless `alpha` says otherwise.
Picture PatternPicture(int width, int height, std::uint8_t seed, int alpha = 255);
// A BMP file of the picture: 24 or 32 bits, bottom-up (positive height) or top-down.
Bytes BmpBytes(const Picture& picture, int bits, bool top_down);

}  // namespace tavrel::test
