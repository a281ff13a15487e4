#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavrel::test {

struct CliResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Runs the tavrel-cli named by $TAVREL_CLI with `args` (each quoted for the shell), output
// captured in files of `scratch`.
CliResult RunTavrelCli(const std::filesystem::path& scratch, const std::vector<std::string>& args);

}  // namespace tavrel::test
