#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "format/Bytes.h"

// Small POSIX file layer for writes that must reach the disk whole or not at all.
namespace tavrel {

// Owns a file descriptor; closes it when it goes out of scope.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int Release();
    // Closes now; false when close reports an error (a late write error on some systems).
    bool Close();

private:
    int fd_ = -1;
};

// "<what> <path>: <strerror(errno)>".
std::string ErrnoMessage(const std::string& what, const std::filesystem::path& path);

// Writes all of `bytes` at the file position, retrying short writes and interruptions.
bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t length);
bool WriteAllAt(int fd, const std::uint8_t* bytes, std::size_t length, std::uint64_t offset);
// Reads exactly `length` bytes at `offset`; false on an error or when the file ends first.
bool ReadExactAt(int fd, std::uint8_t* bytes, std::size_t length, std::uint64_t offset);

// fsync of a directory, so that a rename inside it is on disk.
bool SyncDirectory(const std::filesystem::path& dir);

// Writes `bytes` to "<path>.XXXXXX" in the same directory, fsyncs it and renames it over
// `path`, then syncs the directory. On failure the temporary file is removed and an existing
// file at `path` is left as it was.
bool WriteFileAtomically(const std::filesystem::path& path, ByteView bytes, std::string* error);

}  // namespace tavrel
