#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/ContainerBuilder.h"
#include "demo/DemoPictures.h"
#include "format/Bytes.h"
#include "format/TextureInfo.h"

// What the demo game folder holds, as plain data: archives, their blocks as trees of
// "LINK" containers, "GT1G" packs, "LWC" streams and plain data, and the frames of every
// pack. The plan is cheap to build (no pixels), so tests compare what they read back from
// the written files with the plan.
namespace tavrel::demo {

struct FrameSpec {
    PictureKind picture = PictureKind::Gradient;
    int width_exp = 4;             // width = 2^width_exp
    int height_exp = 4;            // height = 2^height_exp
    std::uint8_t format_code = 1;  // 1 Bgra32, 6 Dxt1, any other value Dxt5
    int levels = 1;                // level count in bits 4-7 of the level byte
    std::uint32_t tag = 0;         // a long-header tag gives a 20-byte header
    std::uint32_t seed = 0;

    int Width() const { return 1 << width_exp; }
    int Height() const { return 1 << height_exp; }
    PixelClass Class() const;
    int HeaderLength() const;
};

enum class NodeType { Plain, Pack, Link };

struct NodeSpec {
    NodeType type = NodeType::Plain;
    // Stored as an "LWC" stream in its parent. A whole block stored so stays a plain leaf
    // without frames (blocks are never expanded).
    bool compressed = false;
    LinkHeader header = LinkHeader::Long32;  // Link
    std::vector<FrameSpec> frames;           // Pack
    std::vector<NodeSpec> children;          // Link
    std::uint32_t plain_size = 0;            // Plain: byte count
    std::uint32_t seed = 0;                  // Plain: varies the bytes
};

struct ArchiveSpec {
    std::string path;  // relative to the game folder, '/'-separated, e.g. "RES/Faces/Faces.bin"
    LinkHeader header = LinkHeader::Long32;
    Bytes tflag;  // bytes written after every block
    std::vector<NodeSpec> blocks;
};

struct OtherFile {
    std::string path;  // relative to the game folder, '/'-separated
    std::string text;
};

struct GamePlan {
    std::vector<ArchiveSpec> archives;  // recognised ones and the one unrecognised archive
    std::vector<OtherFile> other_files;
    std::string archive_free_folder;   // a folder that holds files but no archive
    std::string unrecognised_archive;  // path of the archive whose count is not recognised
};

enum class DemoSize {
    Full,     // the demo of `make run`: pictures up to 512 pixels, a few MB
    Fixture,  // the same layout with tiny pictures, for tests
};

GamePlan MakeGamePlan(DemoSize size);

// The frames a block yields when parsed, in frame order (depth-first, table order).
std::vector<FrameSpec> ExpectedFrames(const NodeSpec& block);

// The native path of a plan path below `game_dir`.
std::filesystem::path PlanPath(const std::filesystem::path& game_dir, const std::string& path);

}  // namespace tavrel::demo
