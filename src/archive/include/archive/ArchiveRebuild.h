#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// Writing a new archive from the old file and the temporary block copies.
namespace tavrel {

struct RebuildResult {
    bool ok = false;
    std::string error;  // a clear message when ok is false
};

// Writes <archive>.new (header region copied, blocks in table order from the temporary copy
// "%.5d.data" in temp_dir or from the old file, the old tflag after every block, the table
// rewritten at 16 or 32), flushes it and renames it over the archive in one step. On any
// failure the old archive and the temporary copies stay as they were and .new is removed.
// A missing archive gives the error "数据包路径错误!". Every offset and size of the old table
// is checked against the file, and every block must be read in full. The temporary copies
// are not deleted: that is the caller's, after success.
// `progress` (optional) is called with (blocks done, block count).
RebuildResult RebuildArchive(const std::filesystem::path& archive_path,
                             const std::filesystem::path& temp_dir,
                             const std::function<void(std::uint32_t, std::uint32_t)>& progress = {});

}  // namespace tavrel
