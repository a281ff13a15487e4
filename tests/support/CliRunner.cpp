#include "support/CliRunner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tavrel::test {

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

CliResult RunTavrelCli(const std::filesystem::path& scratch, const std::vector<std::string>& args) {
    CliResult result;
    const char* cli = std::getenv("TAVREL_CLI");
    if (!cli) {
        result.err = "TAVREL_CLI is not set";
        return result;
    }
    std::string command = Quote(cli);
    for (const auto& a : args) command += " " + Quote(a);
    command += " >" + Quote((scratch / "cli-out.txt").string()) + " 2>" +
               Quote((scratch / "cli-err.txt").string()) + " </dev/null";
    const int status = std::system(command.c_str());
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadAll(scratch / "cli-out.txt");
    result.err = ReadAll(scratch / "cli-err.txt");
    return result;
}

}  // namespace tavrel::test
