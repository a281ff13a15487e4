#include "ArchiveArgument.h"

#include <cstdio>
#include <system_error>

#include "CliCommand.h"

namespace tavrel::cli {

int OpenArchiveArgument(ArchiveIndex& index, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        std::fprintf(stderr, "%s\n", kArchivePathText);
        return kFatal;
    }
    if (OpenArchive(index, path) != OpenOutcome::Opened) {
        std::fprintf(stderr, "%s\n", kOpenFailedText);
        return kFatal;
    }
    if (index.entry_count == 0) {
        std::fprintf(stderr, "no entry table could be read from %s\n", path.c_str());
        CloseArchive(index);
        return kFatal;
    }
    return kOk;
}

std::uint32_t DeleteTempCopies(const ArchiveIndex& index, const std::filesystem::path& program_dir,
                               std::uint32_t block_count, std::string& failed) {
    std::uint32_t deleted = 0;
    for (std::uint32_t block = 1; block <= block_count; ++block) {
        const auto copy = BlockTempPath(index, program_dir, block);
        std::error_code ec;
        if (!std::filesystem::exists(copy, ec)) continue;
        if (std::filesystem::remove(copy, ec)) {
            ++deleted;
        } else if (failed.empty()) {
            failed = copy.string() + (ec ? ": " + ec.message() : "");
        }
    }
    return deleted;
}

}  // namespace tavrel::cli
