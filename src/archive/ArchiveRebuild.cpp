#include "archive/ArchiveRebuild.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "ArchiveCopy.h"
#include "DurableFile.h"
#include "format/Bytes.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();

struct OldTable {
    std::uint32_t table_offset = 32;  // 32 when the word at 20 is 0, else 16
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint32_t> sizes;
    std::uint64_t header_length = 0;  // entry 1's offset
    std::uint8_t tflag[4] = {0, 0, 0, 0};
};

std::string BlockText(std::size_t i) { return "block " + std::to_string(i + 1); }

// Header, table and tflag of the old archive, each checked against the file's length.
std::optional<OldTable> ReadOldTable(int fd, std::uint64_t file_length, const fs::path& path,
                                     std::string& error) {
    std::uint8_t head[24];
    if (file_length < 32 || !ReadExactAt(fd, head, sizeof head, 0) || LoadU32(head) != kMagicLink) {
        error = "not a LINK archive: " + path.string();
        return std::nullopt;
    }
    OldTable table;
    const std::uint64_t n = LoadU32(head + 4);
    table.table_offset = LoadU32(head + 20) == 0 ? 32 : 16;
    if (n == 0 || table.table_offset + 8 * n > file_length) {
        error = "the entry table does not fit in the archive: " + path.string();
        return std::nullopt;
    }
    Bytes raw(8 * n);
    if (!ReadExactAt(fd, raw.data(), raw.size(), table.table_offset)) {
        error = ErrnoMessage("cannot read the entry table of", path);
        return std::nullopt;
    }
    for (std::uint64_t i = 0; i < n; ++i) {
        table.offsets.push_back(LoadU32(raw.data() + 8 * i));
        table.sizes.push_back(LoadU32(raw.data() + 8 * i + 4));
        if (std::uint64_t{table.offsets[i]} + table.sizes[i] > file_length) {
            error = BlockText(i) + " runs past the end of the archive " + path.string();
            return std::nullopt;
        }
    }
    table.header_length = table.offsets[0];
    // The table is rewritten inside the header region; it must not overlap block data.
    if (table.header_length < table.table_offset + 8 * n) {
        error = "block 1 begins inside the entry table of " + path.string();
        return std::nullopt;
    }
    // The bytes behind block 1 follow every block; missing ones (a file that ends right
    // there) are written as zero.
    const std::uint64_t tflag_at = std::uint64_t{table.offsets[0]} + table.sizes[0];
    const std::size_t tflag_length =
        static_cast<std::size_t>(std::min<std::uint64_t>(4, file_length - tflag_at));
    if (!ReadExactAt(fd, table.tflag, tflag_length, tflag_at)) {
        error = ErrnoMessage("cannot read", path);
        return std::nullopt;
    }
    return table;
}

std::string TempCopyName(std::size_t i) {
    char name[32];
    std::snprintf(name, sizeof name, "%.5u.data", static_cast<unsigned>(i + 1));
    return name;
}

// An archive reached through a symbolic link is rebuilt where the file really is, so the
// rename replaces the file and not the link.
fs::path ResolveLinks(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const auto target = fs::canonical(path, ec);
    return ec ? path : target;
}

class Rebuilder {
public:
    Rebuilder(const fs::path& archive, const fs::path& temp_dir)
        : archive_(ResolveLinks(archive)),
          temp_dir_(temp_dir),
          new_path_(archive_.string() + ".new") {}

    RebuildResult Run(const std::function<void(std::uint32_t, std::uint32_t)>& progress) {
        RebuildResult result;
        result.ok = Build(progress);
        if (!result.ok) {
            out_.Close();
            if (created_) ::unlink(new_path_.c_str());
            result.error = error_;
        }
        return result;
    }

private:
    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool Build(const std::function<void(std::uint32_t, std::uint32_t)>& progress) {
        struct stat st {};
        if (::stat(archive_.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return Fail("数据包路径错误!");
        FileDescriptor in(::open(archive_.c_str(), O_RDONLY | O_CLOEXEC));
        if (!in.valid()) return Fail(ErrnoMessage("cannot open", archive_));
        ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
        auto table =
            ReadOldTable(in.get(), static_cast<std::uint64_t>(st.st_size), archive_, error_);
        if (!table) return false;
        if (!CreateNewFile(st.st_mode)) return false;
        ArchiveCopier copier(LargestBlock(*table));
        if (!copier.Copy(in.get(), 0, table->header_length, out_.get())) {
            return Fail(copier.Message("cannot copy the header of", archive_));
        }
        std::uint64_t position = table->header_length;
        const auto count = static_cast<std::uint32_t>(table->offsets.size());
        Bytes new_table(8 * std::size_t{count});
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint64_t size = 0;
            if (!CopyBlock(i, *table, in.get(), copier, size)) return false;
            if (position + size > kMaxOffset) return Fail("the rebuilt archive would exceed 4 GiB");
            StoreU32(new_table.data() + 8 * i, static_cast<std::uint32_t>(position));
            StoreU32(new_table.data() + 8 * i + 4, static_cast<std::uint32_t>(size));
            if (!WriteAll(out_.get(), table->tflag, 4))
                return Fail(ErrnoMessage("cannot write", new_path_));
            position += size + 4;
            if (progress) progress(i + 1, count);
        }
        if (!WriteAllAt(out_.get(), new_table.data(), new_table.size(), table->table_offset)) {
            return Fail(ErrnoMessage("cannot write", new_path_));
        }
        return Commit();
    }

    static std::uint64_t LargestBlock(const OldTable& table) {
        return *std::max_element(table.sizes.begin(), table.sizes.end());
    }

    // A stale .new from an earlier attempt is removed first; the new file is created afresh
    // (never written through whatever else sits at that name) with the archive's mode.
    bool CreateNewFile(mode_t mode) {
        if (::unlink(new_path_.c_str()) != 0 && errno != ENOENT) {
            return Fail(ErrnoMessage("cannot remove the stale", new_path_));
        }
        out_ = FileDescriptor(::open(new_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                     (mode & 07777) | S_IWUSR));
        if (!out_.valid()) return Fail(ErrnoMessage("cannot create", new_path_));
        created_ = true;
        return true;
    }

    // Block i from its temporary copy when one exists, else from the old archive.
    bool CopyBlock(std::uint32_t i, const OldTable& table, int in, ArchiveCopier& copier,
                   std::uint64_t& size) {
        const fs::path temp = temp_dir_ / TempCopyName(i);
        struct stat st {};
        if (::stat(temp.c_str(), &st) != 0) {
            if (errno != ENOENT) return Fail(ErrnoMessage("cannot look at the copy", temp));
            size = table.sizes[i];
            if (!copier.Copy(in, table.offsets[i], size, out_.get())) {
                return Fail(copier.Message("cannot copy " + BlockText(i) + " of", archive_));
            }
            return true;
        }
        // O_NONBLOCK: a FIFO in the copy's place must not hang the open; it is refused below.
        FileDescriptor copy(::open(temp.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!copy.valid() || ::fstat(copy.get(), &st) != 0)
            return Fail(ErrnoMessage("cannot open", temp));
        if (!S_ISREG(st.st_mode)) return Fail("not a file: " + temp.string());
        size = static_cast<std::uint64_t>(st.st_size);
        if (size > kMaxOffset) return Fail("a block copy larger than 4 GiB: " + temp.string());
        if (!copier.Copy(copy.get(), 0, size, out_.get()))
            return Fail(copier.Message("cannot copy", temp));
        return true;
    }

    bool Commit() {
        if (::fsync(out_.get()) != 0 || !out_.Close())
            return Fail(ErrnoMessage("cannot write", new_path_));
        if (::rename(new_path_.c_str(), archive_.c_str()) != 0) {
            return Fail(ErrnoMessage("cannot replace the archive by", new_path_));
        }
        created_ = false;
        SyncDirectory(archive_.parent_path());
        return true;
    }

    fs::path archive_;
    fs::path temp_dir_;
    fs::path new_path_;
    FileDescriptor out_;
    bool created_ = false;
    std::string error_;
};

}  // namespace

RebuildResult RebuildArchive(const std::filesystem::path& archive_path,
                             const std::filesystem::path& temp_dir,
                             const std::function<void(std::uint32_t, std::uint32_t)>& progress) {
    return Rebuilder(archive_path, temp_dir).Run(progress);
}

}  // namespace tavrel
