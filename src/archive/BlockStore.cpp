#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "archive/ArchiveIndex.h"

// Where the temporary copies of modified blocks live: temppacks/<archive file name>/ under
// the program directory, one "%.5d.data" file per block.
//
// Two archives with the same file name in different folders must never share copies, so a
// folder records the archive that owns it in a small owner file (the archive's absolute
// path). An archive uses the first of temppacks/<name>/, temppacks/<name>~2/,
// temppacks/<name>~3/, ... that it owns; when it owns none, the first that nobody owns.
// The choice depends only on what is on disk, so the same folder is found on the next run.
// A folder without an owner file (copies left by an older version) belongs to the first
// archive that finds copies in it or writes to it.
namespace tavrel {

namespace {

constexpr const char* kTempRootName = "temppacks";
constexpr const char* kOwnerFileName = ".owner";
constexpr int kMaxSameNameFolders = 64;

std::string OwnerKey(const ArchiveIndex& index) {
    std::error_code ec;
    auto key =
        std::filesystem::weakly_canonical(std::filesystem::absolute(index.archive_path, ec), ec);
    if (ec) key = std::filesystem::absolute(index.archive_path, ec).lexically_normal();
    return key.string();
}

std::string FolderName(const ArchiveIndex& index) {
    return index.archive_name.empty() ? index.archive_path.filename().string() : index.archive_name;
}

std::filesystem::path Candidate(const std::filesystem::path& root, const std::string& name, int k) {
    return root / (k == 1 ? name : name + "~" + std::to_string(k));
}

// The owner recorded in `dir`, nullopt when there is none. Anything other than a readable
// file in the owner file's place counts as an owner nobody matches, so the folder is avoided.
std::optional<std::string> ReadOwner(const std::filesystem::path& dir) {
    const auto path = dir / kOwnerFileName;
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (!std::filesystem::exists(status)) return std::nullopt;
    if (!std::filesystem::is_regular_file(status)) return std::string();  // never an archive path
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();  // never an archive path
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string owner = std::move(buffer).str();
    while (!owner.empty() && (owner.back() == '\n' || owner.back() == '\r')) owner.pop_back();
    return owner;
}

bool WriteOwner(const std::filesystem::path& dir, const std::string& key) {
    std::ofstream out(dir / kOwnerFileName, std::ios::binary | std::ios::trunc);
    out << key << '\n';
    out.close();
    return static_cast<bool>(out);
}

// Records `index` as the owner of `dir` when the folder exists and nobody owns it yet.
bool ClaimIfUnowned(const std::filesystem::path& dir, const ArchiveIndex& index) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return false;
    if (ReadOwner(dir)) return true;
    return WriteOwner(dir, OwnerKey(index));
}

}  // namespace

std::filesystem::path BlockTempDir(const ArchiveIndex& index,
                                   const std::filesystem::path& program_dir) {
    const auto root = program_dir / kTempRootName;
    const std::string name = FolderName(index);
    const std::string key = OwnerKey(index);
    std::optional<std::filesystem::path> first_free;
    for (int k = 1; k <= kMaxSameNameFolders; ++k) {
        auto dir = Candidate(root, name, k);
        if (auto owner = ReadOwner(dir)) {
            if (*owner == key) return dir;
        } else if (!first_free) {
            first_free = std::move(dir);
        }
    }
    return first_free ? *first_free : Candidate(root, name, kMaxSameNameFolders + 1);
}

std::filesystem::path BlockTempPath(const ArchiveIndex& index,
                                    const std::filesystem::path& program_dir, std::uint32_t block) {
    char file_name[32];
    std::snprintf(file_name, sizeof file_name, "%.5d.data", static_cast<int>(block));
    return BlockTempDir(index, program_dir) / file_name;
}

bool EnsureBlockTempDir(const ArchiveIndex& index, const std::filesystem::path& program_dir) {
    const auto dir = BlockTempDir(index, program_dir);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) return false;
    return ClaimIfUnowned(dir, index);
}

bool ClaimBlockTempDir(const ArchiveIndex& index, const std::filesystem::path& program_dir) {
    return ClaimIfUnowned(BlockTempDir(index, program_dir), index);
}

bool HasTempCopies(const ArchiveIndex& index, const std::filesystem::path& program_dir,
                   std::uint32_t block_count) {
    const auto dir = BlockTempDir(index, program_dir);
    for (std::uint32_t n = 1; n <= block_count; ++n) {
        char file_name[32];
        std::snprintf(file_name, sizeof file_name, "%.5d.data", static_cast<int>(n));
        std::error_code ec;
        if (std::filesystem::exists(dir / file_name, ec)) {
            ClaimIfUnowned(dir, index);
            return true;
        }
    }
    return false;
}

}  // namespace tavrel
