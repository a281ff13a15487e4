// The forced portrait import: any power-of-two size, the dump file with LOGOUT.
#include <gtest/gtest.h>

#include "archive/ResourceTree.h"
#include "batch/BatchState.h"
#include "browse/Messages.h"
#include "format/TextureInfo.h"
#include "picture/TextureEncoder.h"
#include "support/Harness.h"

namespace tavrel::test {
namespace {

struct Portrait : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.Select(h.AddArchive("faces.bin", PortraitBlocks()));
        h.s.state.current_block = 35;
        LoadBlock(h.s);
        NextFrame(h.s);  // frame 2: Dxt5 8x8, two levels
        ASSERT_TRUE(h.s.state.portrait_import_enabled);
    }
    void Force(const Picture& picture, int bits = 24) {
        h.ui.open_answers.push_back(h.Bmp("face.bmp", BmpBytes(picture, bits, false)));
        ForcePortraitImport(h.s);
    }
};

TEST_F(Portrait, TakesAnyPowerOfTwoSizeAndKeepsTheHeader) {
    const Picture picture = PatternPicture(16, 32, 7);
    Force(picture);
    EXPECT_TRUE(h.ui.Messages().empty());
    const std::int64_t n = LevelChainSize(16, 32, 2, PixelClass::Dxt5);
    Bytes expected = Dxt5Entry(3, 3, 36, 2);
    expected.resize(8);
    expected[2] = 0x54;  // height 2^5, width 2^4
    const Bytes chain = EncodeLevelChain(picture, PixelClass::Dxt5, n, h.s.encode_options);
    expected.insert(expected.end(), chain.begin(),
                    chain.begin() + 16 * 32);  // the display keeps the top level
    EXPECT_EQ(h.LeafBytes(2), expected);
    EXPECT_EQ(h.s.display.size_text, "图片大小:  16 X 32");
    EXPECT_EQ(h.ui.Extent(), std::make_pair(16, 32));
    EXPECT_TRUE(h.s.state.save_enabled);
    EXPECT_TRUE(h.s.state.restore_enabled);
    EXPECT_FALSE(std::filesystem::exists(h.program_dir / "facetemp"));  // LOGOUT off

    // The block reaches its copy like any other change and reads back at the new size.
    NextBlock(h.s);
    PrevBlock(h.s);
    NextFrame(h.s);
    EXPECT_EQ(h.s.display.size_text, "图片大小:  16 X 32");
    EXPECT_TRUE(LeafHoldsEntry(h.Leaf(2)));
}

TEST_F(Portrait, Bgra32FrameTakesThePictureItself) {
    PrevFrame(h.s);
    const Picture picture = PatternPicture(32, 16, 8);
    Force(picture);
    const Bytes leaf = h.LeafBytes(1);
    ASSERT_EQ(leaf.size(), 8u + 32 * 16 * 4);
    EXPECT_EQ(leaf[2], 0x45);
    EXPECT_EQ(Bytes(leaf.begin() + 8, leaf.end()), picture.pixels);
}

TEST_F(Portrait, RefusesSidesThatAreNoPowerOfTwo) {
    for (const auto& [w, hgt] : {std::pair{12, 16}, std::pair{16, 24}}) {
        h.ui.Clear();
        Force(PatternPicture(w, hgt, 1));
        EXPECT_EQ(h.ui.MessageTexts(),
                  std::vector<std::string>{"图片的宽和高必须是2的幂（最大32768）！\n "});
        EXPECT_FALSE(h.s.state.tree.root.modified);
    }
    h.ui.Clear();
    h.ui.open_answers.push_back(h.dir / "missing.bmp");
    ForcePortraitImport(h.s);
    EXPECT_EQ(h.ui.MessageTexts(), std::vector<std::string>{"文件读取失败！\n "});
    h.ui.open_answers.push_back(std::nullopt);
    ForcePortraitImport(h.s);
    EXPECT_FALSE(h.s.state.tree.root.modified);
    EXPECT_FALSE(h.s.state.save_enabled);
}

TEST_F(Portrait, DumpFileWithLogout) {
    h.s.logout = true;
    const auto dump = PortraitDumpPath(h.program_dir, 35, 2);
    EXPECT_EQ(dump, h.program_dir / "facetemp" / "00035" / "00002.data");
    std::filesystem::create_directories(dump.parent_path());
    WriteFile(dump, {1, 2, 3});  // replaced
    Force(PatternPicture(8, 8, 3));
    EXPECT_TRUE(h.ui.Messages().empty());
    // A one-entry texture pack holding the new entry.
    BlockTree dumped;
    ParseBlock(dumped, ReadFile(dump), h.s.codec.get());
    ASSERT_EQ(dumped.frames.size(), 1u);
    ResourceNode* entry = FindFrameNode(dumped, dumped.frames[0]);
    ASSERT_NE(entry, nullptr);
    const Bytes leaf = h.LeafBytes(2);
    EXPECT_EQ(Bytes(entry->data.begin(), entry->data.begin() + leaf.size()), leaf);
}

TEST_F(Portrait, FailedDumpLeavesTheReplacementWhole) {
    h.s.logout = true;
    WriteFile(h.program_dir / "facetemp", {0});  // a file where the folder must go
    Force(PatternPicture(16, 16, 4));
    EXPECT_EQ(h.ui.MessageTexts(), std::vector<std::string>{text::kPortraitDumpFailed});
    EXPECT_TRUE(h.s.state.tree.root.modified);
    EXPECT_EQ(h.s.display.size_text, "图片大小:  16 X 16");
    EXPECT_TRUE(h.s.state.save_enabled);
}

}  // namespace
}  // namespace tavrel::test
