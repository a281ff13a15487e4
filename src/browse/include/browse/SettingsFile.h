#pragma once

#include <filesystem>
#include <optional>
#include <string>

// "Tavrel.ini" in the program directory: [GamePath] PATH_Ostrim and [TOOLSET] LOGOUT.
// Look-ups ignore letter case; writing keeps every other section, key and comment; values
// are UTF-8 and come back byte for byte, whatever their length.
namespace tavrel {

inline constexpr const char* kSettingsFileName = "Tavrel.ini";

struct Settings {
    bool file_exists = false;
    std::string game_path;      // PATH_Ostrim, default ""
    std::string logout = "0";   // LOGOUT, default "0"
};

Settings ReadSettings(const std::filesystem::path& program_dir);
// Parses settings text (what ReadSettings reads from the file).
Settings ParseSettings(const std::string& text);
bool WriteGamePath(const std::filesystem::path& program_dir, const std::string& game_path);

// The directory of the running executable.
std::filesystem::path ExecutableDirectory();

}  // namespace tavrel
