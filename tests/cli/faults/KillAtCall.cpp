// Preloaded into tavrel-cli by the fault tests (LD_PRELOAD): counts the calls that change
// files (writes, copies, syncs, renames, deletions) and kills the process with SIGKILL just
// before call number TAVREL_KILL_AT_CALL. With TAVREL_COUNT_CALLS_TO set instead, it writes
// the number of such calls made by a complete run into that file at exit. Writes to standard
// input, output and error do not count. Not part of the product: tests only.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<long> calls{0};

long KillAt() {
    static const long at = [] {
        const char* v = std::getenv("TAVREL_KILL_AT_CALL");
        return v ? std::atol(v) : 0L;
    }();
    return at;
}

void Count() {
    const long n = ++calls;
    if (n == KillAt()) ::raise(SIGKILL);
}

template <typename F>
F Real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

struct Report {
    ~Report() {
        const char* path = std::getenv("TAVREL_COUNT_CALLS_TO");
        if (!path) return;
        if (std::FILE* f = std::fopen(path, "w")) {
            std::fprintf(f, "%ld\n", calls.load());
            std::fclose(f);
        }
    }
} report;

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buf, size_t n) {
    static auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd > 2) Count();
    return real(fd, buf, n);
}

ssize_t pwrite(int fd, const void* buf, size_t n, off_t offset) {
    static auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    Count();
    return real(fd, buf, n, offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off_t offset) {
    static auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64");
    Count();
    return real(fd, buf, n, offset);
}

ssize_t copy_file_range(int in, loff_t* in_off, int out, loff_t* out_off, size_t n,
                        unsigned flags) {
    static auto real =
        Real<ssize_t (*)(int, loff_t*, int, loff_t*, size_t, unsigned)>("copy_file_range");
    Count();
    return real(in, in_off, out, out_off, n, flags);
}

int fsync(int fd) {
    static auto real = Real<int (*)(int)>("fsync");
    Count();
    return real(fd);
}

int rename(const char* from, const char* to) {
    static auto real = Real<int (*)(const char*, const char*)>("rename");
    Count();
    return real(from, to);
}

int unlink(const char* path) {
    static auto real = Real<int (*)(const char*)>("unlink");
    Count();
    return real(path);
}

int remove(const char* path) {
    static auto real = Real<int (*)(const char*)>("remove");
    Count();
    return real(path);
}

}  // extern "C"
