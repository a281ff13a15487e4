#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "format/Bytes.h"

// Copies byte ranges between files for the archive rebuild: in the kernel where it can
// (copy_file_range), else through one buffer of at most kCopyChunk bytes, never more than
// the largest block. Memory use is therefore bounded whatever the archive's size.
namespace tavrel {

inline constexpr std::uint64_t kCopyChunk = 4u << 20;

class ArchiveCopier {
public:
    // `kernel_copy` false: always through the buffer.
    explicit ArchiveCopier(std::uint64_t largest_block, bool kernel_copy = true);

    // Copies exactly `length` bytes of `in` from `offset` to the current position of `out`.
    // False on a read or write error, or when `in` ends before `length` bytes.
    bool Copy(int in, std::uint64_t offset, std::uint64_t length, int out);

    // Describes the last failure of Copy: "<what> <path>: <reason>".
    std::string Message(const std::string& what, const std::filesystem::path& path) const;

private:
    bool CopyInKernel(int in, std::uint64_t& offset, std::uint64_t& length, int out);
    bool CopyThroughBuffer(int in, std::uint64_t offset, std::uint64_t length, int out);

    std::uint64_t buffer_size_;
    Bytes buffer_;  // allocated on first use
    bool kernel_copy_;
    bool ended_early_ = false;
    int error_ = 0;
};

}  // namespace tavrel
