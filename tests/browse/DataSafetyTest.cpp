// Changes survive every way of leaving a block; failures leave the user's files as they were.
#include <gtest/gtest.h>

#include "browse/Browsing.h"
#include "browse/Messages.h"
#include "support/Harness.h"

namespace tavrel::test {
namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

void ImportInto(Harness& h, int w, int hgt, std::uint8_t seed) {
    h.ui.open_answers.push_back(h.Bmp("in.bmp", BmpBytes(PatternPicture(w, hgt, seed), 32, true)));
    ImportPicture(h.s);
    ASSERT_TRUE(h.s.state.tree.root.modified);
}

TEST(DataSafety, SelectingAnotherArchiveWritesTheChangeToItsOwnArchive) {
    Harness h;
    const auto first = h.AddArchive("one/same.bin", StandardBlocks());
    const auto second = h.AddArchive("two/other.bin", StandardBlocks());
    h.Select(first);
    ImportInto(h, 8, 8, 3);
    ArchiveIndex first_index;
    first_index.archive_path = first;
    first_index.archive_name = "same.bin";
    h.Select(second);  // the tree fields already name the second archive
    EXPECT_TRUE(std::filesystem::exists(BlockTempPath(first_index, h.program_dir, 1)));
    EXPECT_FALSE(std::filesystem::exists(h.TempCopy(1)));
    EXPECT_EQ(h.s.state.archive.archive_name, "other.bin");
    h.Select(first);
    EXPECT_EQ(h.s.display.bitmap.pixels, PatternPicture(8, 8, 3).pixels);
}

TEST(DataSafety, LeavingTheProgramOrTheDirectoryWritesTheChange) {
    Harness h;
    h.Select(h.AddArchive("abc.bin", StandardBlocks()));
    EXPECT_TRUE(FlushBeforeLeaving(h.s));  // nothing pending
    EXPECT_FALSE(std::filesystem::exists(h.TempCopy(1)));
    ImportInto(h, 8, 8, 4);
    EXPECT_TRUE(FlushBeforeLeaving(h.s));
    EXPECT_TRUE(std::filesystem::exists(h.TempCopy(1)));
    EXPECT_FALSE(h.s.state.tree.root.modified);
    h.s.state.batch_running = true;  // the worker owns the tree
    EXPECT_FALSE(FlushBeforeLeaving(h.s));
}

TEST(DataSafety, FailedCopyKeepsTheChangeAndCancelsTheMove) {
    Harness h;
    const auto archive = h.AddArchive("abc.bin", StandardBlocks());
    h.Select(archive);
    ImportInto(h, 8, 8, 5);
    WriteFile(h.program_dir / "temppacks", {1});  // a file where the folder must go
    h.ui.Clear();
    NextBlock(h.s);
    ASSERT_EQ(h.ui.Messages().size(), 1u);
    EXPECT_TRUE(StartsWith(h.ui.MessageTexts()[0], text::kTempWriteFailed));
    EXPECT_EQ(h.s.state.current_block, 1u);
    EXPECT_TRUE(h.s.state.tree.root.modified);
    EXPECT_EQ(h.s.display.bitmap.pixels, PatternPicture(8, 8, 5).pixels);

    // Selecting another archive is refused the same way; the archive stays open.
    const auto other = h.AddArchive("other.bin", StandardBlocks());
    h.Select(other);
    EXPECT_EQ(h.s.state.archive.archive_path, archive);
    EXPECT_TRUE(h.s.state.archive_open);
    SaveArchive(h.s);
    EXPECT_FALSE(h.s.state.busy);
    EXPECT_EQ(ReadFile(archive), ArchiveBytes(StandardBlocks()));

    // Once the disk is fine again the same tree, still intact, is written.
    std::filesystem::remove(h.program_dir / "temppacks");
    NextBlock(h.s);
    EXPECT_EQ(h.s.state.current_block, 2u);
    PrevBlock(h.s);
    EXPECT_EQ(h.s.display.bitmap.pixels, PatternPicture(8, 8, 5).pixels);
}

TEST(DataSafety, SaveThatCannotRebuildReopensAndKeepsTheCopies) {
    Harness h;
    const auto archive = h.AddArchive("abc.bin", StandardBlocks());
    h.Select(archive);
    ImportInto(h, 8, 8, 6);
    NextBlock(h.s);
    std::filesystem::remove(archive);
    h.ui.Clear();
    SaveArchive(h.s);
    const auto messages = h.ui.MessageTexts();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_FALSE(messages[0].empty());  // the rebuild's own message
    EXPECT_EQ(messages[1], "该文件打开失败！\n ");
    EXPECT_FALSE(h.s.state.busy);
    EXPECT_FALSE(h.s.state.archive_open);
    EXPECT_TRUE(std::filesystem::exists(h.TempCopy(1)));
}

TEST(DataSafety, SaveIntoAnArchiveNoLongerRecognisedLoadsNothing) {
    Harness h;
    const auto archive = h.AddArchive("abc.bin", StandardBlocks());
    h.Select(archive);
    h.ui.number_answers.push_back("6");
    GoToBlock(h.s);
    ImportInto(h, 4, 4, 7);
    std::vector<Bytes> blocks = StandardBlocks();
    blocks.push_back(PlainBlock(9));  // someone else rewrote it with 25 entries
    WriteFile(archive, ArchiveBytes(blocks));
    h.ui.Clear();
    SaveArchive(h.s);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    无法识别");
    EXPECT_FALSE(h.s.state.archive_open);
    EXPECT_FALSE(h.s.state.busy);
    EXPECT_EQ(h.s.state.block_count, 0u);
    EXPECT_TRUE(h.ui.Messages().empty());
}

TEST(DataSafety, BlockCompressedImportStoresTheWholeTopLevel) {
    Harness h;
    std::vector<Bytes> blocks = StandardBlocks();
    // Level count 0, and a Dxt1 picture narrower than one block.
    blocks[0] = PictureBlock({Dxt5Entry(3, 3, 1, 0), Dxt1Entry(1, 1, 2, 1)});
    h.Select(h.AddArchive("abc.bin", blocks));
    ImportInto(h, 8, 8, 8);
    EXPECT_EQ(h.LeafBytes(1).size(), 8u + 64);
    NextFrame(h.s);
    ImportInto(h, 2, 2, 9);
    EXPECT_EQ(h.LeafBytes(2).size(), 8u + 2);
    NextBlock(h.s);
    PrevBlock(h.s);
    for (std::uint32_t f = 1; f <= 2; ++f) EXPECT_TRUE(LeafHoldsEntry(h.Leaf(f))) << f;
    EXPECT_EQ(h.LeafBytes(1).size(), 8u + 64);
}

TEST(DataSafety, UnreadableCopyShowsTheArchiveBlockAndStays) {
    Harness h;
    const auto archive = h.AddArchive("abc.bin", StandardBlocks());
    h.Select(archive);
    ASSERT_TRUE(EnsureBlockTempDir(h.s.state.archive, h.program_dir));
    std::filesystem::create_directories(h.TempCopy(3));  // exists, cannot be read as a file
    h.ui.Clear();
    h.ui.number_answers.push_back("3");
    GoToBlock(h.s);
    EXPECT_EQ(h.ui.MessageTexts(), std::vector<std::string>{text::kTempCopyUnreadable});
    const Bytes entry = Bgra32Entry(2, 2, 3);
    EXPECT_EQ(h.s.display.bitmap.pixels, Bytes(entry.begin() + 8, entry.end()));
    EXPECT_TRUE(std::filesystem::exists(h.TempCopy(3)));
}

}  // namespace
}  // namespace tavrel::test
