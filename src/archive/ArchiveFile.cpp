#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "DurableFile.h"
#include "archive/ArchiveIndex.h"

// Opening the archive file and reading its header and entry table.
//
// Layout: "LINK", u32 entry count at 4, eight bytes not interpreted, then either the entry
// table at 16 (a 16-byte header) or eight more header bytes and the table at 32. The word at
// 20 selects the variant: 0 means a 32-byte header. Each table entry is (offset, size), u32
// each, offsets from the start of the file. A file that starts with "GT1G" is one entry
// covering the whole file.
namespace tavrel {

namespace {

constexpr std::uint64_t kShortestArchive = 32;  // a file of this length or less has no entries
// No archive of the game has more than a few hundred blocks; a larger count is damage and
// is not read even when the table would fit in the file.
constexpr std::uint32_t kMaxArchiveEntries = 1u << 20;

// Makes the file writable for its owner, as opening it read/write needs.
bool MakeWritable(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    if ((st.st_mode & S_IWUSR) == 0) ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
    return true;
}

// Opens read/write and takes an exclusive lock on this open file description, so a second
// opener (another instance, or this one through a fresh descriptor) is refused.
int OpenLocked(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void MarkUnrecognised(ArchiveIndex& index) {
    index.entry_count = 0;
    index.entry_offsets.clear();
    index.entry_sizes.clear();
    index.table_truncated = true;
}

// Reads the LINK entry table. Every entry must lie inside the file.
void ReadLinkTable(ArchiveIndex& index, ByteView head) {
    const std::uint32_t count = LoadU32(head.data() + 4);
    const std::uint64_t table = LoadU32(head.data() + 20) == 0 ? 32 : 16;
    if (count > kMaxArchiveEntries || table + 8ull * count > index.file_length) {
        MarkUnrecognised(index);
        return;
    }
    Bytes raw(8ull * count);
    if (!ReadExactAt(index.fd, raw.data(), raw.size(), table)) {
        MarkUnrecognised(index);
        return;
    }
    index.entry_offsets.resize(count);
    index.entry_sizes.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t offset = LoadU32(raw.data() + 8ull * i);
        const std::uint32_t size = LoadU32(raw.data() + 8ull * i + 4);
        if (std::uint64_t{offset} + size > index.file_length) {
            MarkUnrecognised(index);
            return;
        }
        index.entry_offsets[i] = offset;
        index.entry_sizes[i] = size;
    }
    index.entry_count = count;
}

}  // namespace

OpenOutcome OpenArchive(ArchiveIndex& index, const std::filesystem::path& path) {
    CloseArchive(index);
    index.entry_count = 0;
    index.table_truncated = false;
    index.file_length = 0;
    index.archive_path = path;
    index.archive_name = path.filename().string();

    if (!MakeWritable(path)) return OpenOutcome::Failed;
    const int fd = OpenLocked(path);
    if (fd < 0) return OpenOutcome::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenOutcome::Failed;
    }
    index.file_length = static_cast<std::uint64_t>(st.st_size);
    if (index.file_length <= kShortestArchive) {
        ::close(fd);
        return OpenOutcome::Opened;
    }
    index.fd = fd;
    index.file_open = true;

    std::array<std::uint8_t, kShortestArchive> head{};
    if (!ReadExactAt(fd, head.data(), head.size(), 0)) {
        MarkUnrecognised(index);
        return OpenOutcome::Opened;
    }
    const std::uint32_t magic = LoadU32(head.data());
    if (magic == kMagicGt1g) {
        index.entry_count = 1;
        index.entry_offsets = {0};
        index.entry_sizes = {static_cast<std::uint32_t>(index.file_length)};
    } else if (magic == kMagicLink) {
        ReadLinkTable(index, head);
    }
    return OpenOutcome::Opened;
}

void CloseArchive(ArchiveIndex& index) {
    index.entry_count = 0;
    index.entry_offsets.clear();
    index.entry_sizes.clear();
    if (index.file_open && index.fd >= 0) ::close(index.fd);  // closing drops the lock
    index.fd = -1;
    index.file_open = false;
}

}  // namespace tavrel
