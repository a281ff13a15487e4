#include <cstdio>
#include <cstdlib>
#include <string>

#include "ArchiveArgument.h"
#include "CliCommand.h"
#include "archive/LwCodec.h"
#include "archive/ResourceTree.h"

// tavrel-cli frames ARCHIVE BLOCK [--json]: the frames of one block (its temporary copy when
// one exists) with what their texture headers say.
namespace tavrel::cli {

namespace {

struct FrameRow {
    std::uint32_t frame = 0;
    TextureInfo info;
    int levels = 0;
    char debug_code[13] = {};
};

// Index levels 0, 1 and 2 of the frame's path, each as "%.4X".
void DebugCode(const FramePath& path, char (&out)[13]) {
    std::snprintf(out, sizeof out, "%.4X%.4X%.4X", path.index[0], path.index[1], path.index[2]);
}

std::vector<FrameRow> ReadFrames(BlockTree& tree) {
    std::vector<FrameRow> rows;
    for (std::size_t k = 0; k < tree.frames.size(); ++k) {
        ResourceNode* leaf = FindFrameNode(tree, tree.frames[k]);
        if (!leaf) continue;
        FrameRow row;
        row.frame = static_cast<std::uint32_t>(k + 1);
        row.info = ReadLeafTextureInfo(*leaf);
        row.levels = LevelCount(leaf->data);
        DebugCode(tree.frames[k], row.debug_code);
        rows.push_back(row);
    }
    return rows;
}

void PrintJson(std::uint32_t block, bool from_temp, const std::vector<FrameRow>& rows) {
    std::printf("{\"block\": %u, \"from_temp\": %s, \"frames\": [", block,
                from_temp ? "true" : "false");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        std::printf(
            "%s{\"frame\": %u, \"width\": %d, \"height\": %d, \"class\": \"%s\", "
            "\"header_length\": %d, \"entry_size\": %lld, \"levels\": %d, \"debug_code\": \"%s\"}",
            i == 0 ? "" : ", ", r.frame, r.info.width, r.info.height,
            PixelClassName(r.info.pixel_class), r.info.header_length,
            static_cast<long long>(r.info.entry_size), r.levels, r.debug_code);
    }
    std::printf("]}\n");
}

void PrintText(std::uint32_t block, bool from_temp, const std::vector<FrameRow>& rows) {
    std::printf("block %u%s: %zu frames\n", block, from_temp ? " (temporary copy)" : "",
                rows.size());
    for (const auto& r : rows) {
        std::printf("frame %5u  %5d x %-5d  %-6s  header %2d  entry %10lld  levels %2d  %s\n",
                    r.frame, r.info.width, r.info.height, PixelClassName(r.info.pixel_class),
                    r.info.header_length, static_cast<long long>(r.info.entry_size), r.levels,
                    r.debug_code);
    }
}

bool ParseBlockNumber(const std::string& text, std::uint32_t& block) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || text[0] == '-' || value == 0 || value > 0xFFFFFFFFull)
        return false;
    block = static_cast<std::uint32_t>(value);
    return true;
}

int RunFrames(const Args& args) {
    std::uint32_t block = 0;
    if (args.positional.size() != 2 || !ParseBlockNumber(args.positional[1], block)) {
        std::fprintf(stderr, "usage: tavrel-cli frames ARCHIVE BLOCK [--json]  (BLOCK from 1)\n");
        return kUsage;
    }
    ArchiveIndex index;
    if (int code = OpenArchiveArgument(index, args.positional[0]); code != kOk) return code;
    if (block > index.entry_count) {
        std::fprintf(stderr, "block %u does not exist: the archive has %u blocks\n", block,
                     index.entry_count);
        CloseArchive(index);
        return kFatal;
    }
    BlockRead read = ReadBlock(index, args.program_dir, block);
    CloseArchive(index);
    if (!read.ok) {
        std::fprintf(stderr, "cannot read block %u: %s\n", block, read.error.c_str());
        return kFatal;
    }
    if (!read.error.empty()) std::fprintf(stderr, "%s\n", read.error.c_str());
    auto codec = LoadLwCodec(args.program_dir);
    BlockTree tree;
    ParseBlock(tree, std::move(read.bytes), codec.get());
    const auto rows = ReadFrames(tree);
    if (args.Has("json")) {
        PrintJson(block, read.from_temp, rows);
    } else {
        PrintText(block, read.from_temp, rows);
    }
    return kOk;
}

Registrar registrar{
    {"frames",
     "frames ARCHIVE BLOCK [--json]   frames of a block (its temporary copy when one exists)",
     {},
     RunFrames}};

}  // namespace

}  // namespace tavrel::cli
