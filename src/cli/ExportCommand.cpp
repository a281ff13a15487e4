#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "CliCommand.h"
#include "FrameExport.h"
#include "archive/ArchiveIndex.h"
#include "archive/LwCodec.h"
#include "batch/BatchState.h"
#include "browse/Browsing.h"
#include "picture/BitmapFile.h"
#include "picture/TextureDecoder.h"

// tavrel-cli export ARCHIVE --out DIR [--first A] [--last B]: every frame of blocks A..B as
// DIR/<block>_<frame>.bmp ("%.5d_%.5d.bmp"), the files the batch import reads back.
namespace tavrel::cli {

constexpr const char* kOpenFailedText = "该文件打开失败！\n ";
constexpr const char* kUnrecognisedText = "无法识别";
constexpr const char* kNoFolderText = "该路径文件夹不存在，请手动创建！\n ";
constexpr const char* kExportFailedText = "导出失败！\n ";
constexpr const char* kUnknownPictureText = "未知的图片数据!";

FrameExportResult ExportFrame(BlockTree& tree, std::uint32_t frame,
                              const std::filesystem::path& file) {
    FrameExportResult result;
    ResourceNode* node = frame >= 1 && frame <= tree.frames.size()
                             ? FindFrameNode(tree, tree.frames[frame - 1])
                             : nullptr;
    if (node == nullptr || node->kind != NodeKind::FrameLeaf) {
        result.outcome = FrameExportOutcome::NotAPicture;
        result.message = kUnknownPictureText;
        return result;
    }
    const TextureInfo info = ReadLeafTextureInfo(*node);
    if (!CanDecodeTexture(node->data, info)) {
        // A damaged header declaring a huge picture over a few bytes: nothing to show.
        result.outcome = FrameExportOutcome::NotAPicture;
        result.message = kUnknownPictureText;
        return result;
    }
    bool written = false;
    try {
        written = WriteBitmapFile(file, DecodeTexture(node->data, info));
    } catch (const std::bad_alloc&) {
        written = false;  // a whole picture larger than memory allows
    }
    result.outcome = written ? FrameExportOutcome::Written : FrameExportOutcome::WriteFailed;
    result.message = written ? "" : kExportFailedText;
    return result;
}

namespace {

// A range text read the way atoi reads it, handled as unsigned: 0 becomes 1, a value above
// the block count (negative ones included) becomes the block count; the last block is
// at least the first.
struct BlockRange {
    std::uint32_t first = 1;
    std::uint32_t last = 1;
};

BlockRange ExportRange(const std::string& first_text, const std::string& last_text,
                       std::uint32_t block_count) {
    BlockRange range;
    range.first = static_cast<std::uint32_t>(AtoiSaturating(first_text));
    if (range.first < 1) {
        range.first = 1;
    } else if (range.first > block_count) {
        range.first = block_count;
    }
    range.last = static_cast<std::uint32_t>(AtoiSaturating(last_text));
    if (range.last < range.first) {
        range.last = range.first;
    } else if (range.last > block_count) {
        range.last = block_count;
    }
    return range;
}

void PrintMessage(const std::string& text, const std::string& about) {
    std::fprintf(stderr, "%s\n%s\n", text.c_str(), about.c_str());
}

int RunExport(const Args& args) {
    if (args.positional.size() != 1 || !args.Has("out")) {
        std::fprintf(stderr, "usage: tavrel-cli export ARCHIVE --out DIR [--first A] [--last B]\n");
        return kUsage;
    }
    const std::string folder = TrimTrailingBackslashes(args.Get("out"));
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        PrintMessage(kNoFolderText, folder);
        return kFatal;
    }

    ArchiveIndex index;
    index.archive_path = args.positional[0];
    index.archive_name = index.archive_path.filename().string();
    if (OpenArchive(index, index.archive_path) != OpenOutcome::Opened) {
        PrintMessage(kOpenFailedText, index.archive_path.string());
        return kFatal;
    }
    if (index.entry_count == 0) {
        PrintMessage(kUnrecognisedText, index.archive_path.string());
        CloseArchive(index);
        return kFatal;
    }

    const std::uint32_t block_count = index.entry_count;
    const BlockRange range = ExportRange(
        args.Get("first", "1"), args.Get("last", std::to_string(block_count)), block_count);
    std::unique_ptr<LwCodec> codec = LoadLwCodec(args.program_dir);
    std::uint32_t written = 0;
    std::uint32_t failed = 0;
    for (std::uint32_t block = range.first; block <= range.last; ++block) {
        BlockRead read = ReadBlock(index, args.program_dir, block);
        if (!read.error.empty()) PrintMessage(read.error, "block " + std::to_string(block));
        if (!read.ok) {
            ++failed;
            continue;
        }
        BlockTree tree;
        ParseBlock(tree, std::move(read.bytes), codec.get());
        for (std::uint32_t frame = 1; frame <= tree.frames.size(); ++frame) {
            const std::string file = BatchFileName(folder, block, frame);
            const FrameExportResult result = ExportFrame(tree, frame, file);
            if (result.outcome == FrameExportOutcome::Written) {
                ++written;
            } else {
                ++failed;
                PrintMessage(result.message, file);
            }
        }
        if (block == range.last) break;  // the last block may be UINT32_MAX
    }
    CloseArchive(index);
    std::printf("exported %u frame(s) of blocks %u-%u to %s\n", written, range.first, range.last,
                folder.c_str());
    return failed == 0 ? kOk : kRefused;
}

Registrar registrar{
    {"export",
     "export ARCHIVE --out DIR [--first A] [--last B]   every frame of blocks A..B as "
     "DIR/%.5d_%.5d.bmp",
     {"out", "first", "last"},
     RunExport}};

}  // namespace
}  // namespace tavrel::cli
