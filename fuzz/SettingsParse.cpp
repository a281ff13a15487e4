// Parses any bytes as the settings file's text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "browse/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const tavrel::Settings settings = tavrel::ParseSettings(text);
    // The values are plain strings the caller uses as a path and a flag.
    volatile std::size_t sink = settings.game_path.size() + settings.logout.size();
    (void)sink;
    return 0;
}
