#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Runs the tavrel-cli program that the build names in the TAVREL_CLI environment variable.
namespace tavrel::test {

struct CliRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Runs tavrel-cli with `args` (each passed as one argument), capturing stdout and stderr in
// files under `scratch`.
CliRun RunCli(const std::filesystem::path& scratch, const std::vector<std::string>& args);

}  // namespace tavrel::test
