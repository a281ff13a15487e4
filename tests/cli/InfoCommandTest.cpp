#include <gtest/gtest.h>

#include <fstream>

#include "archive/ArchiveIndex.h"
#include "archive/ContainerBuilder.h"
#include "support/CliRunner.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

using test::CliRun;
using test::RunCliLine;
using test::ShellQuote;
using test::TestDir;
namespace fs = std::filesystem;

fs::path WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(InfoCommand, ListsBlocksAndTheirTemporaryCopiesAsJson) {
    TestDir dir;
    std::vector<Bytes> entries(24, Bytes{1, 2, 3});
    entries[1] = Bytes(10, 9);
    const auto archive = WriteFile(dir / "faces.bin", BuildLink(entries));
    {
        ArchiveIndex index;
        ASSERT_EQ(OpenArchive(index, archive), OpenOutcome::Opened);
        ASSERT_TRUE(EnsureBlockTempDir(index, dir / "prog"));
        WriteFile(BlockTempPath(index, dir / "prog", 2), Bytes{7});
        CloseArchive(index);
    }
    const CliRun run =
        RunCliLine(dir.path(), "--program-dir " + ShellQuote((dir / "prog").string()) + " info " +
                                   ShellQuote(archive.string()) + " --json");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find("\"entry_count\": 24"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"recognised\": true"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("{\"block\": 1, \"offset\": 224, \"size\": 3, \"temp\": false}"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("{\"block\": 2, \"offset\": 227, \"size\": 10, \"temp\": true}"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"block\": 24,"), std::string::npos) << run.out;
}

TEST(InfoCommand, ReportsUnrecognisedAndDamagedFilesWithoutFailing) {
    TestDir dir;
    Bytes damaged = BuildLink({Bytes(40, 1)});
    StoreU32(damaged.data() + 4, 0x7FFFFFFF);
    const std::pair<const char*, Bytes> cases[] = {
        {"short.bin", Bytes(32, 'L')},
        {"odd \"name\".bin", Bytes(100, 0xFF)},
        {"damaged.bin", damaged},
        {"pack.bin", BuildGt1g({Bytes(20, 0)})},
    };
    for (const auto& [name, bytes] : cases) {
        const auto path = WriteFile(dir / name, bytes);
        const CliRun run =
            RunCliLine(dir.path(), "--program-dir " + ShellQuote(dir.path().string()) + " info " +
                                       ShellQuote(path.string()) + " --json");
        EXPECT_EQ(run.exit_code, 0) << name << run.err;
        EXPECT_NE(run.out.find("\"recognised\": false"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("\"odd \"name"), std::string::npos)
            << "names are escaped: " << run.out;
    }
}

TEST(InfoCommand, OpenFailureAndUsageErrors) {
    TestDir dir;
    CliRun run = RunCliLine(dir.path(), "info " + ShellQuote((dir / "missing.bin").string()));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("该文件打开失败！\n "), std::string::npos) << run.err;
    EXPECT_EQ(RunCliLine(dir.path(), "info").exit_code, 2);
    EXPECT_EQ(RunCliLine(dir.path(), "info a.bin b.bin").exit_code, 2);
}

// The archive is locked while another holder has it open.
TEST(InfoCommand, LockedArchiveCannotBeOpened) {
    TestDir dir;
    const auto archive = WriteFile(dir / "a.bin", BuildLink({Bytes{1}}));
    ArchiveIndex holder;
    ASSERT_EQ(OpenArchive(holder, archive), OpenOutcome::Opened);
    EXPECT_EQ(RunCliLine(dir.path(), "info " + ShellQuote(archive.string())).exit_code, 1);
    CloseArchive(holder);
    EXPECT_EQ(RunCliLine(dir.path(), "info " + ShellQuote(archive.string())).exit_code, 0);
}

}  // namespace
}  // namespace tavrel
