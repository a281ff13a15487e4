// Rebuilds any bytes as an archive, with a temporary copy of block 2. Either the rebuild
// refuses and the file is exactly as it was, or it succeeds and the new archive holds every
// old block (block 2 from the copy) in table order, each followed by the old tflag.
#include "archive/ArchiveRebuild.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "format/Bytes.h"

namespace {

namespace fs = std::filesystem;

tavrel::Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return tavrel::Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, tavrel::ByteView bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

tavrel::ByteView Entry(tavrel::ByteView file, std::uint32_t table, std::uint32_t i) {
    const std::uint32_t offset = tavrel::LoadU32(file.data() + table + 8 * i);
    const std::uint32_t size = tavrel::LoadU32(file.data() + table + 8 * i + 4);
    if (std::uint64_t{offset} + size > file.size()) std::abort();
    return file.subspan(offset, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path dir = [] {
        auto d = fs::temp_directory_path() / ("tavrel-fuzz-rebuild-" + std::to_string(::getpid()));
        fs::create_directories(d / "temp");
        return d;
    }();
    const fs::path archive = dir / "archive.bin";
    const tavrel::ByteView old_file(data, size);
    const tavrel::Bytes copy = {'c', 'o', 'p', 'y'};
    WriteFile(archive, old_file);
    WriteFile(dir / "temp" / "00002.data", copy);

    const auto result = tavrel::RebuildArchive(archive, dir / "temp");
    const tavrel::Bytes now = ReadFile(archive);
    if (fs::exists(archive.string() + ".new")) std::abort();  // never left behind
    if (!result.ok) {
        if (result.error.empty() || now != tavrel::Bytes(old_file.begin(), old_file.end()))
            std::abort();
        return 0;
    }
    // Success: same count and table position, every block where the new table says.
    const std::uint32_t count = tavrel::LoadU32(data + 4);
    const std::uint32_t table = tavrel::LoadU32(data + 20) == 0 ? 32 : 16;
    if (now.size() < table + 8ull * count || tavrel::LoadU32(now.data() + 4) != count) std::abort();
    for (std::uint32_t i = 0; i < count; ++i) {
        const tavrel::ByteView block = Entry(now, table, i);
        if (i == 1) {
            if (!std::equal(block.begin(), block.end(), copy.begin(), copy.end())) std::abort();
            continue;
        }
        const tavrel::ByteView old_block = Entry(old_file, table, i);
        if (!std::equal(block.begin(), block.end(), old_block.begin(), old_block.end()))
            std::abort();
    }
    return 0;
}
