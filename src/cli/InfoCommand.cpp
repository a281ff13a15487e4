#include <cstdio>
#include <string>

#include "CliCommand.h"
#include "Json.h"
#include "archive/ArchiveIndex.h"

// tavrel-cli info ARCHIVE [--json]: the archive's entry table, whether the tool browses it,
// and which blocks have a temporary copy under the program directory.
namespace tavrel::cli {

namespace {

constexpr const char* kOpenFailedText = "该文件打开失败！\n ";

bool HasCopy(const ArchiveIndex& index, const std::filesystem::path& program_dir,
             std::uint32_t block) {
    std::error_code ec;
    return std::filesystem::exists(BlockTempPath(index, program_dir, block), ec);
}

void PrintJson(const ArchiveIndex& index, const std::filesystem::path& program_dir) {
    std::printf(
        "{\"archive\": %s, \"entry_count\": %u, \"recognised\": %s, \"table_truncated\": %s, "
        "\"blocks\": [",
        JsonString(index.archive_path.string()).c_str(), index.entry_count,
        JsonBool(IsRecognisedCount(index.entry_count)), JsonBool(index.table_truncated));
    for (std::uint32_t n = 1; n <= index.entry_count; ++n) {
        std::printf("%s{\"block\": %u, \"offset\": %u, \"size\": %u, \"temp\": %s}",
                    n == 1 ? "" : ", ", n, index.entry_offsets[n - 1], index.entry_sizes[n - 1],
                    JsonBool(HasCopy(index, program_dir, n)));
    }
    std::printf("]}\n");
}

void PrintText(const ArchiveIndex& index, const std::filesystem::path& program_dir) {
    std::printf("archive: %s\nentries: %u\nrecognised: %s\n", index.archive_path.string().c_str(),
                index.entry_count, IsRecognisedCount(index.entry_count) ? "yes" : "no");
    if (index.table_truncated) std::printf("entry table: runs past the end of the file\n");
    for (std::uint32_t n = 1; n <= index.entry_count; ++n) {
        std::printf("block %5u  offset %10u  size %10u%s\n", n, index.entry_offsets[n - 1],
                    index.entry_sizes[n - 1],
                    HasCopy(index, program_dir, n) ? "  (temporary copy)" : "");
    }
}

int RunInfo(const Args& args) {
    if (args.positional.size() != 1) {
        std::fprintf(stderr, "usage: tavrel-cli info ARCHIVE [--json]\n");
        return kUsage;
    }
    ArchiveIndex index;
    if (OpenArchive(index, args.positional[0]) != OpenOutcome::Opened) {
        std::fputs(kOpenFailedText, stderr);
        std::fputs("\n", stderr);
        return kFatal;
    }
    if (args.Has("json")) {
        PrintJson(index, args.program_dir);
    } else {
        PrintText(index, args.program_dir);
    }
    CloseArchive(index);
    return kOk;
}

Registrar registrar{{"info",
                     "info ARCHIVE [--json]   entry table, recognised count, temporary copies",
                     {},
                     RunInfo}};

}  // namespace

}  // namespace tavrel::cli
