#include <cstdio>
#include <string>

#include "CliCommand.h"
#include "browse/SettingsFile.h"

namespace tavrel::cli {

bool Args::Has(const std::string& name) const {
    for (const auto& [key, value] : options) {
        if (key == name) return true;
    }
    return false;
}

std::string Args::Get(const std::string& name, const std::string& fallback) const {
    for (const auto& [key, value] : options) {
        if (key == name) return value;
    }
    return fallback;
}

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

Registrar::Registrar(Command command) { Registry().push_back(std::move(command)); }

const std::vector<Command>& Commands() { return Registry(); }

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs("usage: tavrel-cli [--program-dir DIR] <command> [options]\n\ncommands:\n", out);
    for (const auto& c : Commands()) std::fprintf(out, "  %s\n", c.usage);
}

const Command* Find(const std::string& name) {
    for (const auto& c : Commands()) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

bool TakesValue(const Command* command, const std::string& name) {
    if (name == "program-dir") return true;
    if (!command) return false;
    for (const auto& v : command->value_options) {
        if (v == name) return true;
    }
    return false;
}

}  // namespace
}  // namespace tavrel::cli

int main(int argc, char** argv) {
    using namespace tavrel::cli;
    Args args;
    const Command* command = nullptr;
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a.rfind("--", 0) == 0 && a.size() > 2) {
            std::string name = a.substr(2);
            std::string value;
            if (auto eq = name.find('='); eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
            } else if (TakesValue(command, name)) {
                if (i + 1 >= argc) {
                    std::fprintf(stderr, "option --%s needs a value\n", name.c_str());
                    return kUsage;
                }
                value = argv[++i];
            }
            args.options.emplace_back(name, value);
        } else if (!command) {
            command = Find(a);
            if (!command) {
                std::fprintf(stderr, "unknown command: %s\n", a.c_str());
                PrintUsage(stderr);
                return kUsage;
            }
        } else {
            args.positional.push_back(a);
        }
    }
    if (!command) {
        PrintUsage(help ? stdout : stderr);
        return help ? kOk : kUsage;
    }
    if (help) {
        std::printf("usage: tavrel-cli [--program-dir DIR] %s\n", command->usage);
        return kOk;
    }
    args.program_dir = args.Has("program-dir") ? std::filesystem::path(args.Get("program-dir"))
                                               : tavrel::ExecutableDirectory();
    return command->run(args);
}
