#pragma once

#include <filesystem>
#include <string>
#include <vector>

// tavrel-cli: each command lives in a file of its own and registers itself here.
//
// Exit codes: 0 success, 1 fatal error (message on stderr), 2 usage, 3 some inputs refused.
namespace tavrel::cli {

enum ExitCode { kOk = 0, kFatal = 1, kUsage = 2, kRefused = 3 };

struct Args {
    std::vector<std::string> positional;   // after the command name, options removed
    std::vector<std::pair<std::string, std::string>> options;  // --name value / --flag ""
    std::filesystem::path program_dir;     // --program-dir, else the executable's directory

    bool Has(const std::string& name) const;
    std::string Get(const std::string& name, const std::string& fallback = "") const;
};

struct Command {
    const char* name;
    const char* usage;  // shown by --help
    // Options that take a value (others are flags), e.g. {"out", "first", "last"}.
    std::vector<std::string> value_options;
    int (*run)(const Args& args);
};

// Registers a command at start-up: `static Registrar r{{...}};` in the command's file.
struct Registrar {
    explicit Registrar(Command command);
};

const std::vector<Command>& Commands();

}  // namespace tavrel::cli
