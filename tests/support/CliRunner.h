#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Runs the tavrel-cli program that the build names in the TAVREL_CLI environment variable,
// capturing stdout and stderr in files under a scratch folder.
namespace tavrel::test {

struct CliRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// `s` quoted for the shell.
std::string ShellQuote(const std::string& s);

// Runs tavrel-cli with `args`, each passed as one argument.
CliRun RunCli(const std::filesystem::path& scratch, const std::vector<std::string>& args);

// Runs tavrel-cli with a command line whose arguments are already quoted (see ShellQuote).
CliRun RunCliLine(const std::filesystem::path& scratch, const std::string& quoted_args);

}  // namespace tavrel::test
