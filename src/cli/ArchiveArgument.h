#pragma once

#include <string>

#include "archive/ArchiveIndex.h"

// Opening the ARCHIVE argument of a command: the messages and exit codes all commands share.
namespace tavrel::cli {

inline constexpr const char* kOpenFailedText = "该文件打开失败！\n ";
inline constexpr const char* kArchivePathText = "数据包路径错误!";

// Opens `path` into `index`. Returns kOk, or kFatal after printing why to stderr: the path
// does not exist ("数据包路径错误!"), the file cannot be opened ("该文件打开失败！\n "), or
// no entry table could be read from it.
int OpenArchiveArgument(ArchiveIndex& index, const std::string& path);

// Deletes the temporary copies of blocks 1..block_count. Returns how many were deleted;
// `failed` gets the first copy that exists but could not be deleted.
std::uint32_t DeleteTempCopies(const ArchiveIndex& index, const std::filesystem::path& program_dir,
                               std::uint32_t block_count, std::string& failed);

}  // namespace tavrel::cli
