#include <SimpleIni.h>

#include <string>
#include <system_error>

#include "batch/BatchState.h"

namespace tavrel {

void DeleteChangeLog(const std::filesystem::path& program_dir) {
    std::error_code ec;
    std::filesystem::remove(program_dir / kChangeLogName, ec);  // a missing file is no error
}

bool WriteChangeLogEntry(const std::filesystem::path& program_dir, const std::string& archive_name,
                         std::uint32_t block) {
    const std::string path = (program_dir / kChangeLogName).string();
    CSimpleIniA ini;
    ini.SetUnicode(true);
    ini.SetSpaces(false);  // "27=1", as the profile functions write it
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && ini.LoadFile(path.c_str()) < 0) return false;
    ini.SetValue(archive_name.c_str(), std::to_string(block).c_str(), "1");
    return ini.SaveFile(path.c_str(), false) >= 0;
}

}  // namespace tavrel
