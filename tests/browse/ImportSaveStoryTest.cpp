// The user's story: import, navigate away, reopen, Save, Restore; export and refusals.
#include <gtest/gtest.h>

#include "browse/Browsing.h"
#include "format/TextureInfo.h"
#include "picture/TextureEncoder.h"
#include "support/Harness.h"

namespace tavrel::test {
namespace {

TEST(ImportSaveStory, ImportNavigateReopenSave) {
    Harness h;
    std::vector<Bytes> blocks = StandardBlocks();
    const auto archive = h.AddArchive("abc.bin", blocks);
    h.Select(archive);

    // A 24-bit bottom-up BMP replaces the Bgra32 frame; alpha becomes 255.
    const Picture picture = PatternPicture(8, 8, 77);
    h.ui.open_answers.push_back(h.Bmp("new.bmp", BmpBytes(picture, 24, false)));
    ImportPicture(h.s);
    const Bytes entry = WithData(Bgra32Entry(3, 3, 10), 8, picture.pixels);
    EXPECT_TRUE(h.ui.Messages().empty());
    EXPECT_EQ(h.LeafBytes(1), entry);
    EXPECT_EQ(h.s.display.bitmap.pixels, picture.pixels);
    EXPECT_TRUE(h.s.state.save_enabled);
    EXPECT_TRUE(h.s.state.restore_enabled);
    EXPECT_FALSE(std::filesystem::exists(h.TempCopy(1)));

    NextBlock(h.s);  // leaving the block writes its copy
    EXPECT_TRUE(std::filesystem::exists(h.TempCopy(1)));
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 2/24  帧 0/0");
    EXPECT_TRUE(h.s.state.save_enabled);

    h.Select(archive);  // reopening picks the copy up
    EXPECT_TRUE(h.s.state.save_enabled);
    EXPECT_TRUE(h.s.state.restore_enabled);
    EXPECT_EQ(h.s.display.bitmap.pixels, picture.pixels);

    NextFrame(h.s);
    SaveArchive(h.s);
    blocks[0] = PictureBlock({entry, Dxt1Entry(3, 3, 11), Dxt5Entry(3, 3, 12, 2)});
    EXPECT_EQ(ReadFile(archive), ArchiveBytes(blocks));
    EXPECT_FALSE(std::filesystem::exists(h.TempCopy(1)));
    EXPECT_EQ(h.s.state.current_block, 1u);
    EXPECT_EQ(h.s.state.current_frame, 2u);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 1/24  帧 2/3");
    EXPECT_FALSE(h.s.state.save_enabled);
    EXPECT_FALSE(h.s.state.restore_enabled);
    EXPECT_FALSE(h.s.state.busy);
    EXPECT_TRUE(h.ui.Messages().empty());
}

TEST(ImportSaveStory, SaveWritesAChangeNeverWrittenBefore) {
    Harness h;
    std::vector<Bytes> blocks = StandardBlocks();
    const auto archive = h.AddArchive("abc.bin", blocks);
    h.Select(archive);
    h.s.state.current_block = 5;
    LoadBlock(h.s);
    const Picture picture = PatternPicture(4, 4, 5, 0);  // alpha 0 is stored as it is
    h.ui.open_answers.push_back(h.Bmp("p.bmp", BmpBytes(picture, 32, true)));
    ImportPicture(h.s);
    SaveArchive(h.s);
    blocks[4] = PictureBlock({WithData(Bgra32Entry(2, 2, 5), 8, picture.pixels)});
    EXPECT_EQ(ReadFile(archive), ArchiveBytes(blocks));
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 5/24  帧 1/1");
}

TEST(ImportSaveStory, DxtImportThenRestoreBringsTheArchiveBack) {
    Harness h;
    const std::vector<Bytes> blocks = StandardBlocks();
    const auto archive = h.AddArchive("abc.bin", blocks);
    h.Select(archive);
    const Picture picture = PatternPicture(8, 8, 40);
    h.ui.number_answers.push_back("3");
    GoToFrame(h.s);
    h.ui.open_answers.push_back(h.Bmp("d.bmp", BmpBytes(picture, 32, false)));
    ImportPicture(h.s);
    // Dxt5 with two levels: the import stores the chain, the display cuts the leaf back to
    // the top level, which is what reaches the copy.
    const std::int64_t n = LevelChainSize(8, 8, 2, PixelClass::Dxt5);
    ASSERT_EQ(n, 80);
    const Bytes chain = EncodeLevelChain(picture, PixelClass::Dxt5, n, h.s.encode_options);
    const Bytes entry = WithData(Dxt5Entry(3, 3, 12, 2), 8, chain);
    EXPECT_GE(h.Leaf(3).data.size(), entry.size());
    EXPECT_EQ(h.LeafBytes(3), Bytes(entry.begin(), entry.begin() + 8 + 64));

    h.ui.number_answers.push_back("3");
    GoToBlock(h.s);
    h.ui.open_answers.push_back(h.Bmp("b.bmp", BmpBytes(PatternPicture(4, 4, 1), 32, true)));
    ImportPicture(h.s);
    FirstBlock(h.s);
    ASSERT_TRUE(std::filesystem::exists(h.TempCopy(1)));
    ASSERT_TRUE(std::filesystem::exists(h.TempCopy(3)));

    h.ui.number_answers.push_back("3");
    GoToFrame(h.s);
    RestoreArchive(h.s);
    EXPECT_FALSE(std::filesystem::exists(h.TempCopy(1)));
    EXPECT_FALSE(std::filesystem::exists(h.TempCopy(3)));
    EXPECT_EQ(h.s.state.current_frame, 3u);
    EXPECT_EQ(h.LeafBytes(3), Dxt5Entry(3, 3, 12, 2));
    EXPECT_FALSE(h.s.state.save_enabled);
    EXPECT_FALSE(h.s.state.restore_enabled);
    EXPECT_EQ(ReadFile(archive), ArchiveBytes(blocks));
    EXPECT_TRUE(h.ui.Messages().empty());
}

TEST(ImportSaveStory, RefusedFilesChangeNothing) {
    Harness h;
    h.Select(h.AddArchive("abc.bin", StandardBlocks()));
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    png.resize(100, 0);
    const struct {
        std::filesystem::path file;
        std::string message;
    } cases[] = {
        {h.dir / "missing.bmp", "文件读取失败！\n "},
        {h.Bmp("fake.bmp", png), "目前只支持bmp格式图片的导入，请重新选择图片！\n "},
        {h.Bmp("16.bmp", BmpBytes(PatternPicture(8, 8, 1), 16, false)),
         "仅支持24位色和32位色的bmp图片！\n "},
        {h.Bmp("small.bmp", BmpBytes(PatternPicture(4, 8, 1), 32, false)), "图片大小不相符！\n "},
    };
    for (const auto& c : cases) {
        h.ui.Clear();
        h.ui.open_answers.push_back(c.file);
        ImportPicture(h.s);
        EXPECT_EQ(h.ui.MessageTexts(), std::vector<std::string>{c.message}) << c.file;
        EXPECT_FALSE(h.s.state.tree.root.modified);
        EXPECT_FALSE(h.s.state.save_enabled);
        EXPECT_EQ(h.LeafBytes(1), Bgra32Entry(3, 3, 10));
    }
    h.ui.open_answers.push_back(std::nullopt);  // cancelled
    ImportPicture(h.s);
    EXPECT_FALSE(h.s.state.tree.root.modified);
}

TEST(ImportSaveStory, ExportNamesContentsAndRoundTrip) {
    Harness h;
    h.Select(h.AddArchive("abc.bin", StandardBlocks()));
    const Bytes stored = Bgra32Entry(3, 3, 10);
    Picture decoded(8, 8);
    decoded.pixels.assign(stored.begin() + 8, stored.end());
    const struct {
        std::string chosen, written;
    } names[] = {{"plain", "plain.bmp"}, {"upper.BMP", "upper.BMP"}, {"pic.png", "pic.png.bmp"}};
    for (const auto& n : names) {
        h.ui.save_answers.push_back(h.dir / n.chosen);
        ExportPicture(h.s);
        EXPECT_EQ(ReadFile(h.dir / n.written), BmpBytes(decoded, 32, true)) << n.chosen;
    }
    // Export then import of the same file leaves the entry's bytes unchanged.
    h.ui.open_answers.push_back(h.dir / "plain.bmp");
    ImportPicture(h.s);
    EXPECT_EQ(h.LeafBytes(1), stored);

    // Dxt1 pictures export with alpha 255 everywhere.
    NextFrame(h.s);
    h.ui.save_answers.push_back(h.dir / "dxt1.bmp");
    ExportPicture(h.s);
    const Bytes dxt1 = ReadFile(h.dir / "dxt1.bmp");
    ASSERT_EQ(dxt1.size(), 54u + 8 * 8 * 4);
    for (std::size_t i = 54 + 3; i < dxt1.size(); i += 4) EXPECT_EQ(dxt1[i], 255);

    h.ui.save_answers.push_back(std::nullopt);
    ExportPicture(h.s);
    h.ui.save_answers.push_back(h.dir / "no-such-folder" / "x.bmp");
    ExportPicture(h.s);
    EXPECT_EQ(h.ui.MessageTexts(), std::vector<std::string>{"导出失败！\n "});
}

}  // namespace
}  // namespace tavrel::test
