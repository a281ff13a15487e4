#include <cstdio>
#include <filesystem>
#include <string>

#include "batch/BatchState.h"

namespace tavrel {

namespace {
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string BatchFileName(const std::string& picture_dir, std::uint32_t block,
                          std::uint32_t frame) {
    char name[48];
    std::snprintf(name, sizeof name, "%.5u_%.5u.bmp", block, frame);
    std::string path = picture_dir;
    if (path.empty() || path.back() != kSeparator) path += kSeparator;
    return path + name;
}

std::string TrimTrailingBackslashes(std::string text) {
    std::size_t n = text.size();
    for (std::size_t i = 0; i + 1 < n && !text.empty() && text.back() == kSeparator; ++i) {
        text.pop_back();
    }
    return text;
}

}  // namespace tavrel
