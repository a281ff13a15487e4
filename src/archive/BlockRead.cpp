#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>

#include "DurableFile.h"
#include "archive/ArchiveIndex.h"

// Reading one block: its temporary copy when one exists, otherwise the archive's entry.
namespace tavrel {

namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

// The whole temporary copy, or the reason it could not be read.
std::optional<Bytes> ReadTempCopy(const std::filesystem::path& path, std::string& error) {
    // O_NONBLOCK: something other than a file in the copy's place (a FIFO) must not hang
    // the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = ErrnoText(errno);
        return std::nullopt;
    }
    std::optional<Bytes> bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = ErrnoText(errno);
    } else if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
    } else if (static_cast<std::uint64_t>(st.st_size) > std::numeric_limits<std::uint32_t>::max()) {
        error = "larger than a block can be";
    } else {
        Bytes data(static_cast<std::size_t>(st.st_size));
        if (ReadExactAt(fd, data.data(), data.size(), 0)) {
            bytes = std::move(data);
        } else {
            error = "read failed";
        }
    }
    ::close(fd);
    return bytes;
}

}  // namespace

BlockRead ReadBlock(const ArchiveIndex& index, const std::filesystem::path& program_dir,
                    std::uint32_t block) {
    BlockRead result;
    if (block < 1 || block > index.entry_count || block > index.entry_offsets.size()) {
        result.error = "block " + std::to_string(block) + " is not in the archive";
        return result;
    }
    const auto temp_path = BlockTempPath(index, program_dir, block);
    std::error_code ec;
    if (std::filesystem::exists(temp_path, ec)) {
        std::string why;
        if (auto copy = ReadTempCopy(temp_path, why)) {
            result.ok = true;
            result.bytes = std::move(*copy);
            result.from_temp = true;
            return result;
        }
        result.error = "the temporary copy " + temp_path.string() + " of block " +
                       std::to_string(block) + " cannot be read (" + why +
                       "); the archive's own block is used instead";
    }
    if (!index.file_open || index.fd < 0) {
        result.error +=
            result.error.empty() ? "the archive is not open" : "; the archive is not open";
        return result;
    }
    Bytes data(index.entry_sizes[block - 1]);
    if (!ReadExactAt(index.fd, data.data(), data.size(), index.entry_offsets[block - 1])) {
        if (!result.error.empty()) result.error += "; ";
        result.error += "block " + std::to_string(block) + " cannot be read from the archive";
        return result;
    }
    result.ok = true;
    result.bytes = std::move(data);
    return result;
}

}  // namespace tavrel
