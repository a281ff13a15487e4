#ifndef SI_CONVERT_ICU
#define SI_CONVERT_ICU
#endif
#include "browse/SettingsFile.h"

#include <SimpleIni.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

// "Tavrel.ini": an INI file kept as UTF-8. Section and key names are looked up without
// regard to letter case, blanks around a value are ignored and values have no length limit.
namespace tavrel {

namespace {

constexpr const char* kGamePathSection = "GamePath";
constexpr const char* kGamePathKey = "PATH_Ostrim";
constexpr const char* kToolsetSection = "TOOLSET";
constexpr const char* kLogoutKey = "LOGOUT";

std::filesystem::path SettingsPath(const std::filesystem::path& program_dir) {
    return program_dir / kSettingsFileName;
}

bool ReadText(const std::filesystem::path& path, std::string& text) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = std::move(buffer).str();
    return !in.bad();
}

void LoadIni(CSimpleIniA& ini, const std::string& text) {
    ini.SetUnicode(true);
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.LoadData(text.data(), text.size());
}

// Writes next to the file and renames over it, so a failed write leaves the old file whole.
bool ReplaceFile(const std::filesystem::path& path, const std::string& text) {
    auto temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) std::filesystem::remove(temp, ec);
    return !ec;
}

}  // namespace

Settings ParseSettings(const std::string& text) {
    CSimpleIniA ini;
    LoadIni(ini, text);
    Settings settings;
    settings.game_path = ini.GetValue(kGamePathSection, kGamePathKey, "");
    settings.logout = ini.GetValue(kToolsetSection, kLogoutKey, "0");
    return settings;
}

Settings ReadSettings(const std::filesystem::path& program_dir) {
    std::string text;
    if (!ReadText(SettingsPath(program_dir), text)) return Settings{};
    Settings settings = ParseSettings(text);
    settings.file_exists = true;
    return settings;
}

bool WriteGamePath(const std::filesystem::path& program_dir, const std::string& game_path) {
    const auto path = SettingsPath(program_dir);
    std::string text;
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !ReadText(path, text))
        return false;  // keep what we cannot read
    CSimpleIniA ini;
    LoadIni(ini, text);
    if (ini.SetValue(kGamePathSection, kGamePathKey, game_path.c_str()) < 0) return false;
    std::string out;
    if (ini.Save(out) < 0) return false;
    return ReplaceFile(path, out);
}

}  // namespace tavrel
