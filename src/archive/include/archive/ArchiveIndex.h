#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "format/Bytes.h"

// The open game archive: a "LINK" container of numbered data blocks, and the rules for the
// temporary copies of modified blocks under the program directory's temppacks/ folder.
namespace tavrel {

// Entry counts of the archives the tool browses.
inline constexpr std::uint32_t kRecognisedCounts[6] = {294, 131, 49, 24, 30, 499};
bool IsRecognisedCount(std::uint32_t entry_count);

struct ArchiveIndex {
    std::filesystem::path archive_path;  // full path, set by the resource tree before opening
    std::string archive_name;            // file name as shown in the tree; names the temp folder
    int fd = -1;                         // held open read/write with an exclusive advisory lock
    bool file_open = false;
    std::uint64_t file_length = 0;
    std::uint32_t entry_count = 0;  // 0 when none were read
    std::vector<std::uint32_t> entry_offsets;
    std::vector<std::uint32_t> entry_sizes;
    bool table_truncated = false;  // the table or an entry runs past the end of the file
};

enum class OpenOutcome {
    Failed,  // cannot be opened read/write, or another instance holds its lock
    Opened,  // entry_count says what was found (0: too short, or neither LINK nor GT1G)
};

// Closes what was open, sets archive_path and archive_name (the file name) from `path`,
// makes the file writable for its owner, opens it read/write with an
// exclusive lock and reads the header and entry table. An entry table that does not fit in
// the file, or an entry that runs past its end, leaves entry_count 0 (unrecognised) and sets
// table_truncated, so no later read goes outside the file.
OpenOutcome OpenArchive(ArchiveIndex& index, const std::filesystem::path& path);
void CloseArchive(ArchiveIndex& index);

// temppacks/<archive_name>/ under the program directory, unless that folder belongs to an
// archive at another path: then a folder of this archive's own (see BlockStore.cpp).
std::filesystem::path BlockTempDir(const ArchiveIndex& index, const std::filesystem::path& program_dir);
// BlockTempDir + "%.5d.data" of the 1-based block number.
std::filesystem::path BlockTempPath(const ArchiveIndex& index, const std::filesystem::path& program_dir,
                                    std::uint32_t block);
// Creates temppacks/ and BlockTempDir when missing and records the owning archive.
bool EnsureBlockTempDir(const ArchiveIndex& index, const std::filesystem::path& program_dir);
// Records this archive as the owner of BlockTempDir when that folder exists without an owner
// (copies left by an older version), so a same-named archive elsewhere no longer takes it.
bool ClaimBlockTempDir(const ArchiveIndex& index, const std::filesystem::path& program_dir);
// True when any block 1..block_count has a temporary copy (scan stops at the first). A copy
// found in a folder without an owner claims that folder for this archive.
bool HasTempCopies(const ArchiveIndex& index, const std::filesystem::path& program_dir,
                   std::uint32_t block_count);

struct BlockRead {
    bool ok = false;
    Bytes bytes;
    bool from_temp = false;
    std::string error;  // set when a temporary copy exists but could not be read (bytes then
                        // come from the archive, ok stays true) or when nothing could be read
};

// Block n (1 <= n <= entry_count): its temporary copy when one exists, else the archive entry.
BlockRead ReadBlock(const ArchiveIndex& index, const std::filesystem::path& program_dir,
                    std::uint32_t block);

}  // namespace tavrel
