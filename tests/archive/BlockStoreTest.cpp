#include <gtest/gtest.h>
#include <sys/stat.h>

#include "archive/ArchiveIndex.h"
#include "archive/BlockWriter.h"
#include "archive/ContainerBuilder.h"
#include "support/Fixtures.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

using test::TestDir;
using test::WriteFile;
namespace fs = std::filesystem;

// An archive of `count` blocks, block n holding n bytes of value n.
fs::path MakeArchive(const fs::path& path, std::uint32_t count = 10) {
    std::vector<Bytes> entries;
    for (std::uint32_t n = 1; n <= count; ++n)
        entries.push_back(Bytes(n, static_cast<std::uint8_t>(n)));
    fs::create_directories(path.parent_path());
    WriteFile(path, BuildLink(entries));
    return path;
}

class BlockStore : public ::testing::Test {
protected:
    void TearDown() override {
        CloseArchive(a_);
        CloseArchive(b_);
    }
    void Open(ArchiveIndex& index, const fs::path& path) {
        ASSERT_EQ(OpenArchive(index, path), OpenOutcome::Opened);
    }
    void WriteCopy(const ArchiveIndex& index, std::uint32_t block, const Bytes& bytes) {
        ASSERT_TRUE(EnsureBlockTempDir(index, program_.path()));
        WriteFile(BlockTempPath(index, program_.path(), block), bytes);
    }

    TestDir game_;
    TestDir program_;
    ArchiveIndex a_;
    ArchiveIndex b_;
};

TEST_F(BlockStore, TempPathsFollowTheArchiveFileName) {
    Open(a_, MakeArchive(game_ / "abc.bin"));
    EXPECT_EQ(BlockTempDir(a_, program_.path()), program_ / "temppacks" / "abc.bin");
    EXPECT_EQ(BlockTempPath(a_, program_.path(), 7),
              program_ / "temppacks" / "abc.bin" / "00007.data");
    EXPECT_EQ(BlockTempPath(a_, program_.path(), 123456).filename(), "123456.data");
    EXPECT_FALSE(fs::exists(program_ / "temppacks"));  // naming creates nothing
    ASSERT_TRUE(EnsureBlockTempDir(a_, program_.path()));
    EXPECT_TRUE(fs::is_directory(program_ / "temppacks" / "abc.bin"));
    EXPECT_TRUE(EnsureBlockTempDir(a_, program_.path()));  // again: nothing to do
}

TEST_F(BlockStore, TemporaryCopyIsPreferredOverTheArchive) {
    Open(a_, MakeArchive(game_ / "abc.bin"));
    EXPECT_FALSE(HasTempCopies(a_, program_.path(), 10));
    const Bytes copy = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    WriteCopy(a_, 7, copy);
    EXPECT_TRUE(HasTempCopies(a_, program_.path(), 10));
    EXPECT_FALSE(HasTempCopies(a_, program_.path(), 6));

    BlockRead seven = ReadBlock(a_, program_.path(), 7);
    ASSERT_TRUE(seven.ok);
    EXPECT_TRUE(seven.from_temp);
    EXPECT_EQ(seven.bytes, copy);
    EXPECT_TRUE(seven.error.empty());
    BlockRead six = ReadBlock(a_, program_.path(), 6);
    EXPECT_FALSE(six.from_temp);
    EXPECT_EQ(six.bytes, Bytes(6, 6));
}

TEST_F(BlockStore, UnreadableCopyFallsBackToTheArchiveWithAnError) {
    Open(a_, MakeArchive(game_ / "abc.bin"));
    ASSERT_TRUE(EnsureBlockTempDir(a_, program_.path()));
    fs::create_directory(
        BlockTempPath(a_, program_.path(), 3));  // exists, cannot be read as a file
    BlockRead read = ReadBlock(a_, program_.path(), 3);
    ASSERT_TRUE(read.ok);
    EXPECT_FALSE(read.from_temp);
    EXPECT_EQ(read.bytes, Bytes(3, 3));
    EXPECT_NE(read.error.find("00003.data"), std::string::npos) << read.error;

    // A FIFO in a copy's place is refused at once instead of waiting for a writer.
    ASSERT_EQ(mkfifo(BlockTempPath(a_, program_.path(), 2).c_str(), 0600), 0);
    read = ReadBlock(a_, program_.path(), 2);
    ASSERT_TRUE(read.ok);
    EXPECT_FALSE(read.from_temp);
    EXPECT_NE(read.error.find("not a regular file"), std::string::npos) << read.error;
}

TEST_F(BlockStore, ProgramDirectoryThatCannotBeWrittenIsReported) {
    // The program directory's path runs through a regular file (this binds root too): no
    // folder can be made, no copy written, and blocks still read from the archive.
    Open(a_, MakeArchive(game_ / "abc.bin"));
    WriteFile(program_ / "file", {'x'});
    const fs::path program = program_ / "file" / "prog";
    EXPECT_FALSE(EnsureBlockTempDir(a_, program));
    BlockTree tree;
    ParseBlock(tree, BuildLink({Bytes(5, 5)}), nullptr);
    std::string error;
    EXPECT_FALSE(WriteBlockTemp(tree, BlockTempPath(a_, program, 3), nullptr, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(HasTempCopies(a_, program, 10));
    const BlockRead read = ReadBlock(a_, program, 3);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.bytes, Bytes(3, 3));
    EXPECT_TRUE(read.error.empty()) << read.error;
}

TEST_F(BlockStore, BlockNumbersOutsideTheTableAreRefused) {
    Open(a_, MakeArchive(game_ / "abc.bin", 2));
    for (std::uint32_t n : {0u, 3u, 0xFFFFFFFFu}) {
        BlockRead read = ReadBlock(a_, program_.path(), n);
        EXPECT_FALSE(read.ok) << n;
        EXPECT_FALSE(read.error.empty()) << n;
    }
}

// Two archives named abc.bin in different folders: each keeps its own copies, this run and
// the next (the folders are found again from what is on disk).
TEST_F(BlockStore, SameNamedArchivesKeepSeparateCopies) {
    const auto path_a = MakeArchive(game_ / "maps" / "abc.bin");
    const auto path_b = MakeArchive(game_ / "faces" / "abc.bin");
    Open(a_, path_a);
    WriteCopy(a_, 2, Bytes{0xAA});
    Open(b_, path_b);
    EXPECT_NE(BlockTempDir(a_, program_.path()), BlockTempDir(b_, program_.path()));
    EXPECT_FALSE(HasTempCopies(b_, program_.path(), 10));
    EXPECT_EQ(ReadBlock(b_, program_.path(), 2).bytes, Bytes(2, 2));
    WriteCopy(b_, 2, Bytes{0xBB});
    EXPECT_EQ(ReadBlock(a_, program_.path(), 2).bytes, Bytes{0xAA});
    EXPECT_EQ(ReadBlock(b_, program_.path(), 2).bytes, Bytes{0xBB});

    // Next run, opened in the other order.
    const auto dir_a = BlockTempDir(a_, program_.path());
    const auto dir_b = BlockTempDir(b_, program_.path());
    CloseArchive(a_);
    CloseArchive(b_);
    ArchiveIndex b2;
    ArchiveIndex a2;
    Open(b2, path_b);
    Open(a2, path_a);
    EXPECT_EQ(BlockTempDir(b2, program_.path()), dir_b);
    EXPECT_EQ(BlockTempDir(a2, program_.path()), dir_a);
    EXPECT_EQ(ReadBlock(b2, program_.path(), 2).bytes, Bytes{0xBB});
    EXPECT_EQ(ReadBlock(a2, program_.path(), 2).bytes, Bytes{0xAA});
    CloseArchive(a2);
    CloseArchive(b2);
}

// Copies left in temppacks/abc.bin/ by an earlier run that kept no owner record belong to
// the first archive that finds them; a same-named archive opened later does not see them.
TEST_F(BlockStore, FolderFromAnEarlierRunIsFoundAgainAndClaimed) {
    const auto path_a = MakeArchive(game_ / "maps" / "abc.bin");
    const auto path_b = MakeArchive(game_ / "faces" / "abc.bin");
    fs::create_directories(program_ / "temppacks" / "abc.bin");
    WriteFile(program_ / "temppacks" / "abc.bin" / "00004.data", Bytes{0x44});

    Open(b_, path_b);
    EXPECT_EQ(BlockTempDir(b_, program_.path()), program_ / "temppacks" / "abc.bin");
    EXPECT_TRUE(HasTempCopies(b_, program_.path(), 10));
    EXPECT_EQ(ReadBlock(b_, program_.path(), 4).bytes, Bytes{0x44});

    Open(a_, path_a);
    EXPECT_NE(BlockTempDir(a_, program_.path()), program_ / "temppacks" / "abc.bin");
    EXPECT_FALSE(HasTempCopies(a_, program_.path(), 10));
    EXPECT_EQ(ReadBlock(a_, program_.path(), 4).bytes, Bytes(4, 4));
    EXPECT_EQ(ReadBlock(b_, program_.path(), 4).bytes, Bytes{0x44});
}

}  // namespace
}  // namespace tavrel
