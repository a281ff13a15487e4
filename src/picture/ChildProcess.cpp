#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

extern char** environ;

namespace tavrel::detail {
namespace {

class SpawnActions {
public:
    SpawnActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
    ~SpawnActions() {
        if (ok_) posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    bool Prepare(const std::filesystem::path& working_dir) {
        return ok_ &&
               posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0) == 0 &&
               posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0) == 0 &&
               posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0) == 0 &&
               posix_spawn_file_actions_addchdir_np(&actions_, working_dir.c_str()) == 0;
    }
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
    bool ok_ = false;
};

// waitpid without blocking; true once the child has been reaped.
bool Reaped(pid_t pid, int& status) {
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r == 0) return false;
        if (errno != EINTR) return true;  // no such child any more
    }
}

void ReapBlocking(pid_t pid, int& status) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

ChildResult RunChild(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments,
                     const std::filesystem::path& working_dir, std::chrono::milliseconds timeout) {
    SpawnActions actions;
    if (!actions.Prepare(working_dir)) return {};
    std::string program_text = program.string();
    std::vector<char*> argv;
    argv.push_back(program_text.data());
    std::vector<std::string> args = arguments;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawn(&pid, program_text.c_str(), actions.get(), nullptr, argv.data(), environ) !=
        0) {
        return {};
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto pause = std::chrono::milliseconds(2);
    int status = 0;
    while (!Reaped(pid, status)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            ReapBlocking(pid, status);
            return {ChildOutcome::TimedOut, -1};
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return {ChildOutcome::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace tavrel::detail
