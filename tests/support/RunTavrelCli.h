#pragma once

#include <filesystem>
#include <string>

// Running the tavrel-cli program (path in the TAVREL_CLI environment variable) from tests.
namespace tavrel::test {

struct CliResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// `s` quoted for the shell.
std::string ShellQuote(const std::string& s);

// Runs tavrel-cli with `args` (already quoted), capturing stdout and stderr in files of
// `scratch`.
CliResult RunTavrelCli(const std::filesystem::path& scratch, const std::string& args);

}  // namespace tavrel::test
