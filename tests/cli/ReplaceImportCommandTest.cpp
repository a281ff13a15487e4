// tavrel-cli replace and import: the same operations as the window, refusals exit 3.
#include <gtest/gtest.h>

#include "batch/BatchState.h"
#include "support/CliRunner.h"
#include "support/Harness.h"

namespace tavrel::test {
namespace {

struct CliCommands : ::testing::Test {
    Harness h;  // only for its folders and archive writer
    std::filesystem::path archive;
    void SetUp() override { archive = h.AddArchive("abc.bin", StandardBlocks()); }
    CliRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--program-dir", h.program_dir.string()});
        return RunCli(h.dir.path(), args);
    }
    std::filesystem::path Copy(std::uint32_t block) {
        ArchiveIndex index;
        index.archive_path = archive;
        index.archive_name = "abc.bin";
        return BlockTempPath(index, h.program_dir, block);
    }
};

TEST_F(CliCommands, ReplaceWritesTheBlockCopy) {
    const auto bmp = h.Bmp("f.bmp", BmpBytes(PatternPicture(4, 4, 3), 24, false));
    const CliRun r = Run({"replace", archive.string(), "5", "1", bmp.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(Copy(5)));
    EXPECT_EQ(ReadFile(archive), ArchiveBytes(StandardBlocks()));  // only Save rewrites it
}

TEST_F(CliCommands, ReplaceRefusalsExit3AndChangeNothing) {
    const auto wrong = h.Bmp("w.bmp", BmpBytes(PatternPicture(8, 8, 3), 24, false));
    CliRun r = Run({"replace", archive.string(), "5", "1", wrong.string()});
    EXPECT_EQ(r.exit_code, 3);
    EXPECT_EQ(r.err, "图片大小不相符！\n");
    r = Run({"replace", archive.string(), "5", "1", wrong.string(), "--force"});
    EXPECT_EQ(r.exit_code, 3);  // not a portrait block
    EXPECT_FALSE(std::filesystem::exists(Copy(5)));
    r = Run({"replace", archive.string(), "5", "2", wrong.string()});
    EXPECT_EQ(r.exit_code, 2);  // block 5 has one frame
}

TEST_F(CliCommands, ForcedReplaceInAPortraitBlock) {
    const auto faces = h.AddArchive("faces.bin", PortraitBlocks());
    const auto bmp = h.Bmp("f.bmp", BmpBytes(PatternPicture(16, 16, 3), 24, false));
    const CliRun r = Run({"replace", faces.string(), "33", "2", bmp.string(), "--force"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
}

TEST_F(CliCommands, ImportReportsRefusedFilesAndRebuilds) {
    const auto in = h.dir / "in";
    std::filesystem::create_directories(in);
    WriteFile(BatchFileName(in.string(), 3, 1), BmpBytes(PatternPicture(4, 4, 7), 32, true));
    WriteFile(BatchFileName(in.string(), 5, 1), BmpBytes(PatternPicture(8, 8, 7), 32, true));
    CliRun r = Run({"import", archive.string(), "--from", in.string()});
    EXPECT_EQ(r.exit_code, 3);
    EXPECT_EQ(r.err, "图片大小不相符！\n");
    EXPECT_NE(ReadFile(archive), ArchiveBytes(StandardBlocks()));
    EXPECT_FALSE(std::filesystem::exists(Copy(3)));

    std::filesystem::remove(BatchFileName(in.string(), 5, 1));
    r = Run({"import", archive.string(), "--from", in.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    r = Run({"import", archive.string(), "--from", (h.dir / "nowhere").string()});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, "非法路径！\n");
}

}  // namespace
}  // namespace tavrel::test
