#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "archive/LwCodec.h"
#include "browse/Browsing.h"
#include "browse/Session.h"
#include "support/FakeUi.h"
#include "support/Fixtures.h"
#include "support/TestDir.h"

namespace tavrel::test {

// A session with a fake window, its own program directory and a game folder for archives.
struct Harness {
    TestDir dir;
    FakeUi ui;
    Session s;
    std::filesystem::path program_dir = dir / "program";
    std::filesystem::path game_dir = dir / "game";

    Harness() {
        std::filesystem::create_directories(program_dir);
        std::filesystem::create_directories(game_dir);
        s.ui = &ui;
        s.program_dir = program_dir;
        s.codec = MakeBuiltinLwCodec();
        s.encode_options.quality = EncodeQuality::Fast;
        s.encode_options.threads = 1;
    }

    std::filesystem::path AddArchive(const std::string& name, const std::vector<Bytes>& blocks) {
        const auto path = game_dir / name;
        std::filesystem::create_directories(path.parent_path());
        WriteFile(path, ArchiveBytes(blocks));
        return path;
    }

    // What the file tree does when the user selects an archive.
    void Select(const std::filesystem::path& archive) {
        s.state.archive.archive_path = archive;
        s.state.archive.archive_name = archive.filename().string();
        OpenSelectedArchive(s);
    }

    std::filesystem::path TempCopy(std::uint32_t block) const {
        return BlockTempPath(s.state.archive, s.program_dir, block);
    }

    // A BMP file in the test directory.
    std::filesystem::path Bmp(const std::string& name, const Bytes& bytes) {
        const auto path = dir / name;
        WriteFile(path, bytes);
        return path;
    }

    ResourceNode& Leaf(std::uint32_t frame) {
        return *FindFrameNode(s.state.tree, s.state.tree.frames[frame - 1]);
    }
    Bytes LeafBytes(std::uint32_t frame) {
        const ResourceNode& leaf = Leaf(frame);
        return Bytes(leaf.data.begin(), leaf.data.begin() + leaf.size);
    }
};

}  // namespace tavrel::test
