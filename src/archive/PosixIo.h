#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

// Small POSIX helpers of the archive library (not part of its public interface).
namespace tavrel {

// Reads exactly `size` bytes at `offset`; false on an error or when the file ends first.
inline bool PreadAll(int fd, std::uint8_t* out, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, out, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

}  // namespace tavrel
