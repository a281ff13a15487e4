// Opens any bytes as an archive file and reads every block it lists.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "archive/ArchiveIndex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("tavrel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    const auto path = dir / "archive.bin";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    tavrel::ArchiveIndex index;
    if (tavrel::OpenArchive(index, path) == tavrel::OpenOutcome::Opened) {
        for (std::uint32_t n = 1; n <= index.entry_count && n <= 64; ++n)
            tavrel::ReadBlock(index, dir, n);
    }
    tavrel::CloseArchive(index);
    return 0;
}
