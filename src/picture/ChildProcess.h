#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

// Running an outside program and waiting for it with a time-out (POSIX).
namespace tavrel::detail {

enum class ChildOutcome { Exited, NotStarted, TimedOut };

struct ChildResult {
    ChildOutcome outcome = ChildOutcome::NotStarted;
    int exit_code = -1;  // when it exited normally; -1 after a signal
};

// Starts `program` with `arguments` (argv[1..], handed over as they are, no shell) in
// `working_dir`, standard input and output on /dev/null, and waits until it ends. When it
// has not ended after `timeout` it is killed and TimedOut is returned.
ChildResult RunChild(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments,
                     const std::filesystem::path& working_dir, std::chrono::milliseconds timeout);

}  // namespace tavrel::detail
