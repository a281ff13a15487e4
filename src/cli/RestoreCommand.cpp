#include <cstdio>

#include "ArchiveArgument.h"
#include "CliCommand.h"

// tavrel-cli restore ARCHIVE: drops every temporary block copy of the archive, so its blocks
// read from the archive again. The archive itself is not touched.
namespace tavrel::cli {

namespace {

int RunRestore(const Args& args) {
    if (args.positional.size() != 1) {
        std::fprintf(stderr, "usage: tavrel-cli restore ARCHIVE\n");
        return kUsage;
    }
    ArchiveIndex index;
    if (int code = OpenArchiveArgument(index, args.positional[0]); code != kOk) return code;
    std::string failed;
    const std::uint32_t deleted =
        DeleteTempCopies(index, args.program_dir, index.entry_count, failed);
    CloseArchive(index);
    if (!failed.empty()) {
        std::fprintf(stderr, "a temporary copy could not be deleted: %s\n", failed.c_str());
        return kFatal;
    }
    std::printf("restored %s (%u temporary copies deleted)\n", index.archive_path.c_str(), deleted);
    return kOk;
}

Registrar registrar{
    {"restore", "restore ARCHIVE   delete the archive's temporary copies", {}, RunRestore}};

}  // namespace

}  // namespace tavrel::cli
