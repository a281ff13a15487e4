#include "DurableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavrel {

FileDescriptor::~FileDescriptor() { Close(); }

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

int FileDescriptor::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

bool FileDescriptor::Close() {
    if (fd_ < 0) return true;
    const int fd = Release();
    return ::close(fd) == 0;
}

std::string ErrnoMessage(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

namespace {

// Writes all `length` bytes through `write_some(bytes, length, done)`, which returns what one
// system call wrote; retries on EINTR, and reports a zero-length write as EIO.
template <typename WriteSome>
bool WriteLoop(const std::uint8_t* bytes, std::size_t length, WriteSome write_some) {
    std::uint64_t done = 0;
    while (length > 0) {
        const ssize_t n = write_some(bytes, length, done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes += n;
        length -= static_cast<std::size_t>(n);
        done += static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t length) {
    return WriteLoop(bytes, length, [fd](const std::uint8_t* p, std::size_t n, std::uint64_t) {
        return ::write(fd, p, n);
    });
}

bool WriteAllAt(int fd, const std::uint8_t* bytes, std::size_t length, std::uint64_t offset) {
    return WriteLoop(bytes, length, [fd, offset](const std::uint8_t* p, std::size_t n, std::uint64_t done) {
        return ::pwrite(fd, p, n, static_cast<off_t>(offset + done));
    });
}

bool ReadExactAt(int fd, std::uint8_t* bytes, std::size_t length, std::uint64_t offset) {
    while (length > 0) {
        const ssize_t n = ::pread(fd, bytes, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENODATA;  // the file ends before the bytes asked for
            return false;
        }
        bytes += n;
        length -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool SyncDirectory(const std::filesystem::path& dir) {
    FileDescriptor fd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

bool WriteFileAtomically(const std::filesystem::path& path, ByteView bytes, std::string* error) {
    std::string name = path.string() + ".XXXXXX";
    FileDescriptor fd(::mkstemp(name.data()));
    if (!fd.valid()) {
        if (error) *error = ErrnoMessage("cannot create", name);
        return false;
    }
    // mkstemp makes the file private to its owner; a block copy is as readable as a new file.
    bool ok = ::fchmod(fd.get(), 0644) == 0 && WriteAll(fd.get(), bytes.data(), bytes.size()) &&
              ::fsync(fd.get()) == 0;
    if (!ok && error) *error = ErrnoMessage("cannot write", name);
    if (!fd.Close() && ok) {
        ok = false;
        if (error) *error = ErrnoMessage("cannot write", name);
    }
    if (ok && ::rename(name.c_str(), path.c_str()) != 0) {
        ok = false;
        if (error) *error = ErrnoMessage("cannot replace", path);
    }
    if (!ok) {
        ::unlink(name.c_str());
        return false;
    }
    SyncDirectory(path.parent_path());
    return true;
}

}  // namespace tavrel
