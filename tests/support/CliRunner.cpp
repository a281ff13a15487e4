#include "support/CliRunner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tavrel::test {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun RunCli(const std::filesystem::path& scratch, const std::vector<std::string>& args) {
    std::string line;
    for (const auto& a : args) line += (line.empty() ? "" : " ") + ShellQuote(a);
    return RunCliLine(scratch, line);
}

CliRun RunCliLine(const std::filesystem::path& scratch, const std::string& quoted_args) {
    CliRun run;
    const char* cli = std::getenv("TAVREL_CLI");
    if (!cli) {
        run.err = "TAVREL_CLI is not set";
        return run;
    }
    const auto out = scratch / "cli-stdout.txt";
    const auto err = scratch / "cli-stderr.txt";
    const std::string command = ShellQuote(cli) + " " + quoted_args + " >" +
                                ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) +
                                " </dev/null";
    const int status = std::system(command.c_str());
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadAll(out);
    run.err = ReadAll(err);
    return run;
}

}  // namespace tavrel::test
