// Block and frame navigation: no wrap-around, number prompt clamping, pending changes.
#include <gtest/gtest.h>

#include "browse/Browsing.h"
#include "support/Harness.h"

namespace tavrel::test {
namespace {

struct Navigating : ::testing::Test {
    Harness h;
    BrowseState& st = h.s.state;
    void SetUp() override { h.Select(h.AddArchive("abc.bin", StandardBlocks())); }
};

TEST_F(Navigating, FramesStopAtBothEnds) {
    NextFrame(h.s);
    NextFrame(h.s);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 1/24  帧 3/3");
    NextFrame(h.s);
    EXPECT_EQ(st.current_frame, 3u);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 1/24  帧 3/3");
    for (int i = 0; i < 3; ++i) PrevFrame(h.s);
    EXPECT_EQ(st.current_frame, 1u);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 1/24  帧 1/3");
}

TEST_F(Navigating, BlocksStopAtBothEndsAndReloadAtFrameOne) {
    NextFrame(h.s);
    PrevBlock(h.s);  // block 1 reloaded
    EXPECT_EQ(st.current_block, 1u);
    EXPECT_EQ(st.current_frame, 1u);
    LastBlock(h.s);
    NextBlock(h.s);
    EXPECT_EQ(st.current_block, 24u);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 24/24  帧 1/1");
    FirstBlock(h.s);
    EXPECT_EQ(st.current_block, 1u);
    EXPECT_TRUE(h.ui.Messages().empty());
}

TEST_F(Navigating, GoToBlockClampsTheTypedNumber) {
    const struct {
        std::string typed;
        std::uint32_t block;
    } cases[] = {{"0", 1},      {"600", 24}, {"-3", 24},
                 {"12abc", 12}, {"  7", 7},  {"1234567890123456789012345678901234567890", 24}};
    for (const auto& c : cases) {
        h.ui.number_answers.push_back(c.typed);
        GoToBlock(h.s);
        EXPECT_EQ(st.current_block, c.block) << c.typed;
    }
}

TEST_F(Navigating, GoToFrameClampsToTheFrameCount) {
    h.ui.number_answers.push_back("7");
    GoToFrame(h.s);
    EXPECT_EQ(st.current_frame, 3u);
    h.ui.number_answers.push_back(std::nullopt);
    GoToFrame(h.s);
    EXPECT_EQ(st.current_frame, 3u);
    // No frames: nothing is asked.
    NextBlock(h.s);
    GoToFrame(h.s);
    EXPECT_EQ(h.ui.DialogsAsked(), 2);
}

TEST_F(Navigating, CancelledGoToKeepsAModifiedBlockInMemoryOnly) {
    h.ui.open_answers.push_back(h.Bmp("a.bmp", BmpBytes(PatternPicture(8, 8, 3), 32, true)));
    ImportPicture(h.s);
    ASSERT_TRUE(st.tree.root.modified);
    h.ui.number_answers.push_back(std::nullopt);
    GoToBlock(h.s);
    EXPECT_EQ(st.current_block, 1u);
    EXPECT_TRUE(st.tree.root.modified);
    EXPECT_FALSE(std::filesystem::exists(h.TempCopy(1)));
}

TEST_F(Navigating, NextOnTheLastBlockWritesItsChangeFirst) {
    LastBlock(h.s);
    h.ui.open_answers.push_back(h.Bmp("a.bmp", BmpBytes(PatternPicture(4, 4, 9), 24, false)));
    ImportPicture(h.s);
    NextBlock(h.s);
    EXPECT_EQ(st.current_block, 24u);
    EXPECT_TRUE(std::filesystem::exists(h.TempCopy(24)));
    EXPECT_FALSE(st.tree.root.modified);
    // Reloaded from the copy: the imported picture is shown.
    EXPECT_EQ(h.s.display.bitmap.pixels, PatternPicture(4, 4, 9).pixels);
}

}  // namespace
}  // namespace tavrel::test
