#include <gtest/gtest.h>

#include "archive/ArchiveIndex.h"
#include "archive/ContainerBuilder.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"
#include "support/TestDir.h"

// tavrel-cli frames, save and restore.
namespace tavrel {
namespace {

using test::ReadFile;
using test::ShellQuote;
using test::WriteFile;

namespace fs = std::filesystem;

// An archive of 24 blocks (a count the tool browses); block 2 is a LINK of 3 entries whose
// entry 2 is a pack of 4 textures of different kinds.
struct CliArchive {
    test::TestDir dir;
    fs::path archive = dir / "faces.bin";
    fs::path program = dir / "prog";
    Bytes original;

    CliArchive() {
        const Bytes pack = BuildGt1g({
            BuildTextureEntry(1, 1, 1, 1, Bytes(16, 1)),              // 2 x 2 Bgra32
            BuildTextureEntry(1, 6, 3, 2, Bytes(16, 2), 0x10111000),  // 8 x 4 Dxt1, long header
            BuildTextureEntry(3, 8, 2, 2, Bytes(16, 3)),              // 4 x 4 Dxt5, 3 levels
            BuildTextureEntry(0, 0, 0, 0, Bytes(1, 4)),               // 1 x 1 Dxt5
        });
        std::vector<Bytes> blocks(24, Bytes{1, 2, 3});
        blocks[1] = BuildLink({Bytes(10, 0xAA), pack, Bytes(5, 0xBB)});
        original = BuildLink(blocks, LinkHeader::Long32, Bytes(4, 0));
        WriteFile(archive, original);
    }
    // Writes `bytes` as the temporary copy of `block`.
    void WriteCopy(std::uint32_t block, const Bytes& bytes) {
        ArchiveIndex index;
        ASSERT_EQ(OpenArchive(index, archive), OpenOutcome::Opened);
        ASSERT_TRUE(EnsureBlockTempDir(index, program));
        WriteFile(BlockTempPath(index, program, block), bytes);
        CloseArchive(index);
    }
    fs::path CopyPath(std::uint32_t block) {
        ArchiveIndex index;
        OpenArchive(index, archive);
        auto path = BlockTempPath(index, program, block);
        CloseArchive(index);
        return path;
    }
    test::CliRun Run(const std::string& command) {
        return test::RunCliLine(dir.path(),
                                "--program-dir " + ShellQuote(program.string()) + " " + command);
    }
};

TEST(TreeCommands, FramesListsEveryFrameAsJson) {
    CliArchive a;
    const auto run = a.Run("frames " + ShellQuote(a.archive.string()) + " 2 --json");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(
        run.out,
        "{\"block\": 2, \"from_temp\": false, \"frames\": ["
        "{\"frame\": 1, \"width\": 2, \"height\": 2, \"class\": \"Bgra32\", \"header_length\": 8, "
        "\"entry_size\": 24, \"levels\": 1, \"debug_code\": \"000000010000\"}, "
        "{\"frame\": 2, \"width\": 8, \"height\": 4, \"class\": \"Dxt1\", \"header_length\": 20, "
        "\"entry_size\": 36, \"levels\": 1, \"debug_code\": \"000000010001\"}, "
        "{\"frame\": 3, \"width\": 4, \"height\": 4, \"class\": \"Dxt5\", \"header_length\": 8, "
        "\"entry_size\": 24, \"levels\": 3, \"debug_code\": \"000000010002\"}, "
        "{\"frame\": 4, \"width\": 1, \"height\": 1, \"class\": \"Dxt5\", \"header_length\": 8, "
        "\"entry_size\": 9, \"levels\": 0, \"debug_code\": \"000000010003\"}]}\n");
}

TEST(TreeCommands, FramesReadsTheTemporaryCopy) {
    CliArchive a;
    a.WriteCopy(2, BuildGt1g({BuildTextureEntry(1, 1, 2, 3, Bytes(128, 1))}));
    const auto run = a.Run("frames " + ShellQuote(a.archive.string()) + " 2 --json");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find("\"from_temp\": true"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"width\": 4, \"height\": 8, \"class\": \"Bgra32\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"debug_code\": \"000000000000\""), std::string::npos) << run.out;

    const auto plain = a.Run("frames " + ShellQuote(a.archive.string()) + " 1 --json");
    ASSERT_EQ(plain.exit_code, 0) << plain.err;
    EXPECT_EQ(plain.out, "{\"block\": 1, \"from_temp\": false, \"frames\": []}\n");
}

TEST(TreeCommands, FramesRefusesBadArguments) {
    CliArchive a;
    const std::string archive = ShellQuote(a.archive.string());
    EXPECT_EQ(a.Run("frames " + archive).exit_code, 2);
    EXPECT_EQ(a.Run("frames " + archive + " 0").exit_code, 2);
    EXPECT_EQ(a.Run("frames " + archive + " x").exit_code, 2);
    EXPECT_EQ(a.Run("frames " + archive + " 25").exit_code, 1);
    const auto missing = a.Run("frames " + ShellQuote((a.dir / "gone.bin").string()) + " 1");
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.err.find("数据包路径错误!"), std::string::npos) << missing.err;
}

TEST(TreeCommands, SaveRebuildsThenDeletesTheCopies) {
    CliArchive a;
    a.WriteCopy(3, Bytes(7, 0x33));
    const auto run = a.Run("save " + ShellQuote(a.archive.string()));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_FALSE(fs::exists(a.CopyPath(3)));

    ArchiveIndex index;
    ASSERT_EQ(OpenArchive(index, a.archive), OpenOutcome::Opened);
    ASSERT_EQ(index.entry_count, 24u);
    EXPECT_EQ(index.entry_sizes[2], 7u);
    const Bytes saved = ReadFile(a.archive);
    EXPECT_EQ(
        Bytes(saved.begin() + index.entry_offsets[2], saved.begin() + index.entry_offsets[2] + 7),
        Bytes(7, 0x33));
    CloseArchive(index);
    EXPECT_FALSE(fs::exists(a.archive.string() + ".new"));
}

TEST(TreeCommands, FailedSaveKeepsArchiveAndCopies) {
    CliArchive a;
    a.WriteCopy(3, Bytes(7, 0x33));
    fs::create_directory(a.CopyPath(5));  // a copy that cannot be read
    const auto run = a.Run("save " + ShellQuote(a.archive.string()));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(ReadFile(a.archive), a.original);
    EXPECT_EQ(ReadFile(a.CopyPath(3)), Bytes(7, 0x33));
    EXPECT_FALSE(fs::exists(a.archive.string() + ".new"));
}

TEST(TreeCommands, SaveWithoutCopiesLeavesTheArchiveAlone) {
    CliArchive a;
    const auto run = a.Run("save " + ShellQuote(a.archive.string()));
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(ReadFile(a.archive), a.original);
    EXPECT_EQ(a.Run("save " + ShellQuote((a.dir / "gone.bin").string())).exit_code, 1);
    EXPECT_EQ(a.Run("save").exit_code, 2);
}

TEST(TreeCommands, RestoreDeletesTheCopiesOnly) {
    CliArchive a;
    a.WriteCopy(3, Bytes(7, 0x33));
    a.WriteCopy(9, Bytes(2, 0x99));
    const auto run = a.Run("restore " + ShellQuote(a.archive.string()));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_FALSE(fs::exists(a.CopyPath(3)));
    EXPECT_FALSE(fs::exists(a.CopyPath(9)));
    EXPECT_EQ(ReadFile(a.archive), a.original);
    EXPECT_EQ(a.Run("restore").exit_code, 2);
}

}  // namespace
}  // namespace tavrel
