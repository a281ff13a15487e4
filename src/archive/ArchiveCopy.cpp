#include "ArchiveCopy.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "DurableFile.h"

namespace tavrel {

ArchiveCopier::ArchiveCopier(std::uint64_t largest_block, bool kernel_copy)
    : buffer_size_(std::clamp<std::uint64_t>(largest_block, 4096, kCopyChunk)),
      kernel_copy_(kernel_copy) {}

bool ArchiveCopier::Copy(int in, std::uint64_t offset, std::uint64_t length, int out) {
    ended_early_ = false;
    error_ = 0;
    if (kernel_copy_ && !CopyInKernel(in, offset, length, out)) return false;
    return length == 0 || CopyThroughBuffer(in, offset, length, out);
}

// Advances offset/length by what was copied. Returns false only on a real failure; when the
// kernel cannot copy between these files it switches to the buffer for good.
bool ArchiveCopier::CopyInKernel(int in, std::uint64_t& offset, std::uint64_t& length, int out) {
    while (length > 0) {
        loff_t in_offset = static_cast<loff_t>(offset);
        const std::size_t step =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, 1u << 30));
        const ssize_t n = ::copy_file_range(in, &in_offset, out, nullptr, step, 0);
        if (n > 0) {
            offset += static_cast<std::uint64_t>(n);
            length -= static_cast<std::uint64_t>(n);
            continue;
        }
        if (n == 0) {
            ended_early_ = true;
            return false;
        }
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
            errno == EBADF) {
            kernel_copy_ = false;
            return true;
        }
        error_ = errno;
        return false;
    }
    return true;
}

bool ArchiveCopier::CopyThroughBuffer(int in, std::uint64_t offset, std::uint64_t length, int out) {
    if (buffer_.empty()) buffer_.resize(static_cast<std::size_t>(buffer_size_));
    while (length > 0) {
        const std::size_t step =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer_.size()));
        if (!ReadExactAt(in, buffer_.data(), step, offset)) {
            if (errno == ENODATA) ended_early_ = true;
            error_ = errno;
            return false;
        }
        if (!WriteAll(out, buffer_.data(), step)) {
            error_ = errno;
            return false;
        }
        offset += step;
        length -= step;
    }
    return true;
}

std::string ArchiveCopier::Message(const std::string& what,
                                   const std::filesystem::path& path) const {
    const std::string reason =
        ended_early_ ? "the file ends before the bytes its table names" : std::strerror(error_);
    return what + " " + path.string() + ": " + reason;
}

}  // namespace tavrel
