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

CliRun RunCli(const std::filesystem::path& scratch, const std::vector<std::string>& args) {
    CliRun run;
    const char* cli = std::getenv("TAVREL_CLI");
    if (!cli) {
        run.err = "TAVREL_CLI is not set";
        return run;
    }
    std::string command = Quote(cli);
    for (const auto& a : args) command += " " + Quote(a);
    const auto out = scratch / "cli-stdout.txt";
    const auto err = scratch / "cli-stderr.txt";
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
    const int status = std::system(command.c_str());
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadAll(out);
    run.err = ReadAll(err);
    return run;
}

}  // namespace tavrel::test
