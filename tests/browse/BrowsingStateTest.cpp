// Opening, closing, loading, the title and the command flags.
#include <gtest/gtest.h>

#include "browse/Browsing.h"
#include "browse/Messages.h"
#include "support/Harness.h"

namespace tavrel::test {
namespace {

struct Flags {
    bool archive_open, frames_available, save, restore, portrait;
    bool operator==(const Flags&) const = default;
};

Flags FlagsOf(const BrowseState& st) {
    return {st.archive_open, st.frames_available, st.save_enabled, st.restore_enabled,
            st.portrait_import_enabled};
}

TEST(BrowsingState, OpeningShowsBlockOneFrameOne) {
    Harness h;
    h.Select(h.AddArchive("abc.bin", StandardBlocks()));
    const BrowseState& st = h.s.state;
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 1/24  帧 1/3");
    EXPECT_EQ(FlagsOf(st), (Flags{true, true, false, false, false}));
    EXPECT_TRUE(st.has_frames);
    EXPECT_FALSE(st.show_start_picture);
    EXPECT_EQ(h.s.display.size_text, "图片大小:  8 X 8");
    EXPECT_TRUE(h.s.display.picture_shown);
    EXPECT_EQ(h.ui.Extent(), std::make_pair(8, 8));
    // A Bgra32 frame is shown as stored.
    const Bytes entry = Bgra32Entry(3, 3, 10);
    EXPECT_EQ(h.s.display.bitmap.pixels, Bytes(entry.begin() + 8, entry.end()));
    EXPECT_TRUE(h.ui.Messages().empty());
}

TEST(BrowsingState, BlockWithoutFramesDisablesFrameCommands) {
    Harness h;
    h.Select(h.AddArchive("abc.bin", StandardBlocks()));
    NextBlock(h.s);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 2/24  帧 0/0");
    EXPECT_EQ(h.s.display.size_text, "非图片或工具尚未支持");
    EXPECT_EQ(FlagsOf(h.s.state), (Flags{true, false, false, false, false}));
    EXPECT_FALSE(h.s.display.picture_shown);
    EXPECT_TRUE(h.s.display.bitmap.empty());
}

TEST(BrowsingState, TitleCarriesDebugCodeWithLogout) {
    Harness h;
    h.s.logout = true;
    h.Select(h.AddArchive("abc.bin", StandardBlocks()));
    NextFrame(h.s);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 1/24  帧 2/3    调试码 000000010001");
    EXPECT_EQ(DebugCode(h.s.state), "000000010001");
    NextBlock(h.s);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 2/24  帧 0/0    调试码 ");
}

TEST(BrowsingState, CloseClearsEverythingButTheTree) {
    Harness h;
    h.Select(h.AddArchive("abc.bin", StandardBlocks()));
    CloseSelectedArchive(h.s);
    EXPECT_EQ(h.ui.Title(), kAppTitle);
    EXPECT_EQ(h.s.display.size_text, "");
    EXPECT_TRUE(h.s.display.bitmap.empty());
    EXPECT_EQ(FlagsOf(h.s.state), (Flags{false, false, false, false, false}));
    EXPECT_FALSE(h.s.state.archive.file_open);
}

TEST(BrowsingState, UnrecognisedMissingAndLockedArchives) {
    Harness h;
    std::vector<Bytes> blocks = PortraitBlocks();
    h.Select(h.AddArchive("faces.bin", blocks));
    h.s.state.current_block = 35;
    LoadBlock(h.s);
    ASSERT_TRUE(h.s.state.portrait_import_enabled);

    blocks.resize(25);  // 25 entries: not one of the recognised counts
    h.Select(h.AddArchive("odd.bin", blocks));
    EXPECT_EQ(h.ui.Title(), "Tavrel:    无法识别");
    EXPECT_EQ(FlagsOf(h.s.state), (Flags{false, false, false, false, false}));
    EXPECT_TRUE(h.ui.Messages().empty());

    h.Select(h.game_dir / "missing.bin");
    EXPECT_EQ(h.ui.MessageTexts(), std::vector<std::string>{"该文件打开失败！\n "});
    EXPECT_EQ(FlagsOf(h.s.state), (Flags{false, false, false, false, false}));

    // A second instance is refused while the first holds the archive.
    const auto shared = h.AddArchive("shared.bin", StandardBlocks());
    h.Select(shared);
    ASSERT_TRUE(h.s.state.archive_open);
    FakeUi other_ui;
    Session other;
    other.ui = &other_ui;
    other.program_dir = h.program_dir;
    other.state.archive.archive_path = shared;
    other.state.archive.archive_name = "shared.bin";
    OpenSelectedArchive(other);
    EXPECT_EQ(other_ui.MessageTexts(), std::vector<std::string>{"该文件打开失败！\n "});
    EXPECT_FALSE(other.state.archive_open);
}

TEST(BrowsingState, PortraitImportOnlyInBlocks33To37WithFrames) {
    Harness h;
    h.Select(h.AddArchive("faces.bin", PortraitBlocks()));
    const struct {
        std::uint32_t block;
        bool enabled;
    } cases[] = {{32, false}, {33, true}, {34, false}, {35, true}, {37, true}, {38, false}};
    for (const auto& c : cases) {
        h.s.state.current_block = c.block;
        LoadBlock(h.s);
        EXPECT_EQ(h.s.state.portrait_import_enabled, c.enabled) << "block " << c.block;
    }
    Harness other;
    other.Select(other.AddArchive("big.bin", StandardBlocks()));
    EXPECT_FALSE(other.s.state.portrait_import_enabled);
}

TEST(BrowsingState, TemporaryCopiesEnableSaveAndRestoreUnlessBusy) {
    Harness h;
    const auto archive = h.AddArchive("abc.bin", StandardBlocks());
    h.Select(archive);
    ASSERT_TRUE(EnsureBlockTempDir(h.s.state.archive, h.program_dir));
    WriteFile(h.TempCopy(7), StandardBlocks()[6]);
    h.Select(archive);
    EXPECT_TRUE(h.s.state.save_enabled);
    EXPECT_TRUE(h.s.state.restore_enabled);
    h.s.state.busy = true;
    LoadBlock(h.s);
    EXPECT_FALSE(h.s.state.save_enabled);
    EXPECT_FALSE(h.s.state.restore_enabled);
    EXPECT_TRUE(CommandsHeldOff(h.s));
}

TEST(BrowsingState, FrameThatIsNoLeafIsReportedByDisplayImportAndExport) {
    Harness h;
    h.Select(h.AddArchive("abc.bin", StandardBlocks()));
    h.s.state.tree.frames[0].depth = 1;  // names the texture pack, not a picture
    h.ui.Clear();
    ShowCurrentFrame(h.s);
    EXPECT_EQ(h.ui.MessageTexts(), std::vector<std::string>{"未知的图片数据!"});
    EXPECT_EQ(h.s.display.size_text, "图像显示失败！");
    EXPECT_FALSE(h.s.display.picture_shown);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 1/24  帧 1/3");
    EXPECT_EQ(h.ui.Invalidations(), 0);

    h.ui.Clear();
    ImportPicture(h.s);
    ExportPicture(h.s);
    EXPECT_EQ(h.ui.MessageTexts(),
              (std::vector<std::string>{"读取当前图片格式失败！", "未知的图片数据!"}));
    EXPECT_EQ(h.ui.DialogsAsked(), 0);
    EXPECT_EQ(h.ui.Messages()[0].caption, "Tavrel");
}

}  // namespace
}  // namespace tavrel::test
