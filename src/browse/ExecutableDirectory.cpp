#include <unistd.h>

#include <climits>
#include <filesystem>

#include "browse/SettingsFile.h"

namespace tavrel {

std::filesystem::path ExecutableDirectory() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec);
    return exe.parent_path();
}

}  // namespace tavrel
