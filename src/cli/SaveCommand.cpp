#include <cstdio>

#include "ArchiveArgument.h"
#include "CliCommand.h"
#include "CliUi.h"
#include "archive/ArchiveRebuild.h"

// tavrel-cli save ARCHIVE: rebuilds the archive from its temporary block copies and deletes
// the copies once the new archive is in place. Without copies the archive is left alone.
namespace tavrel::cli {

namespace {

int RunSave(const Args& args) {
    if (args.positional.size() != 1) {
        std::fprintf(stderr, "usage: tavrel-cli save ARCHIVE\n");
        return kUsage;
    }
    ArchiveIndex index;
    if (int code = OpenArchiveArgument(index, args.positional[0]); code != kOk) return code;
    const bool has_copies = HasTempCopies(index, args.program_dir, index.entry_count);
    const auto temp_dir = BlockTempDir(index, args.program_dir);
    const std::uint32_t block_count = index.entry_count;
    // The rebuild replaces the file, so it must not be held open meanwhile.
    CloseArchive(index);
    if (!has_copies) {
        std::printf("no temporary copies: %s is unchanged\n", index.archive_path.c_str());
        return kOk;
    }
    CliProgress progress;
    const auto result = RebuildArchive(
        index.archive_path, temp_dir, [&](std::uint32_t done, std::uint32_t total) {
            progress.Update(done, total, "重构图包数据");
        });
    progress.Close();
    if (!result.ok) {
        std::fprintf(stderr, "%s\nthe archive and its temporary copies are unchanged\n",
                     result.error.c_str());
        return kFatal;
    }
    std::string failed;
    const std::uint32_t deleted = DeleteTempCopies(index, args.program_dir, block_count, failed);
    if (!failed.empty()) {
        std::fprintf(stderr,
                     "the archive was saved, but a temporary copy could not be deleted: %s\n",
                     failed.c_str());
        return kFatal;
    }
    std::printf("saved %s (%u blocks taken from temporary copies)\n", index.archive_path.c_str(),
                deleted);
    return kOk;
}

Registrar registrar{
    {"save",
     "save ARCHIVE   rebuild the archive from its temporary copies, then delete them",
     {},
     RunSave}};

}  // namespace

}  // namespace tavrel::cli
