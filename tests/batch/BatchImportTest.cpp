// The batch import: round trip, refusals block by block, the change log, return to the frame.
#include <SimpleIni.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "batch/BatchHarness.h"
#include "batch/BatchState.h"
#include "format/TextureInfo.h"
#include "picture/TextureEncoder.h"

namespace tavrel::test {
namespace {

std::filesystem::path File(const std::filesystem::path& folder, std::uint32_t block,
                           std::uint32_t frame) {
    return BatchFileName(folder.string(), block, frame);
}

std::vector<std::string> Keys(const std::filesystem::path& log, const std::string& section) {
    CSimpleIniA ini;
    ini.SetUnicode(true);
    EXPECT_GE(ini.LoadFile(log.string().c_str()), 0);
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys(section.c_str(), keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> out;
    for (const auto& k : keys)
        out.push_back(std::string(k.pItem) + "=" + ini.GetValue(section.c_str(), k.pItem));
    return out;
}

TEST(BatchImport, ExportedFolderImportsBackByteForByte) {
    BatchHarness h;
    const auto archive = h.AddArchive("bgra.bin", Bgra32Blocks());
    h.SelectOnUi(archive);
    const auto out = h.dir / "out";
    std::filesystem::create_directories(out);
    h.Export("1", "24", out);
    h.OnUi([&] {
        h.s.state.current_block = 5;
        LoadBlock(h.s);
        NextFrame(h.s);
    });
    h.progress.Reset();
    h.Import(out);
    EXPECT_EQ(ReadFile(archive), ArchiveBytes(Bgra32Blocks()));
    EXPECT_TRUE(h.batch.rebuild_ok);
    EXPECT_EQ(h.batch.frames_refused, 0u);
    EXPECT_EQ(h.batch.frames_done, 46u);
    EXPECT_TRUE(h.ui.Messages().empty());
    EXPECT_EQ(h.ui.OffUiThreadCalls(), 0);
    EXPECT_EQ(h.progress.off_ui_thread, 0);
    EXPECT_EQ(h.progress.texts, (std::vector<std::string>{"初始化导入......", "正在处理......",
                                                          "重构图包数据  ", "删除临时文件"}));
    EXPECT_EQ(h.progress.ranges.size(), 24u);
    EXPECT_EQ(h.progress.closed, 1);
    for (std::uint32_t b = 1; b <= 24; ++b)
        EXPECT_FALSE(std::filesystem::exists(h.TempCopy(b))) << b;
    // Back where the user was.
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 5/24  帧 2/3");
    EXPECT_TRUE(h.s.state.archive_open);
    EXPECT_TRUE(h.s.state.frames_available);
    EXPECT_FALSE(h.s.state.busy);
    EXPECT_FALSE(h.s.state.save_enabled);
    EXPECT_FALSE(CommandsHeldOff(h.s));
}

TEST(BatchImport, RefusedFilesAreReportedAndTheRestIsImported) {
    BatchHarness h;
    h.s.logout = true;
    std::vector<Bytes> blocks = StandardBlocks();
    const auto archive = h.AddArchive("abc.bin", blocks);
    h.SelectOnUi(archive);
    h.OnUi([&] {
        h.ui.number_answers.push_back("3");
        GoToFrame(h.s);
    });
    // A copy of block 7 made earlier by navigation goes into the archive too.
    const Bytes block7 = PictureBlock({Bgra32Entry(2, 2, 200)});
    ASSERT_TRUE(EnsureBlockTempDir(h.s.state.archive, h.program_dir));
    WriteFile(h.TempCopy(7), block7);
    WriteFile(h.program_dir / kChangeLogName, Bytes{'[', 'x', ']', '\n', '9', '=', '1', '\n'});

    const auto in = h.dir / "in";
    std::filesystem::create_directories(in);
    const Picture dxt1 = PatternPicture(8, 8, 21);
    const Picture small = PatternPicture(4, 4, 22);
    WriteFile(File(in, 1, 2), BmpBytes(dxt1, 32, true));
    WriteFile(File(in, 3, 1), BmpBytes(PatternPicture(8, 8, 1), 32, true));  // wrong size
    std::filesystem::create_directories(File(in, 5, 1));                     // cannot be read
    WriteFile(File(in, 6, 1), BmpBytes(small, 24, false));
    for (const char* ignored :
         {"2_3.bmp", "00006_1.bmp", "00006_00009.bmp", "00099_00001.bmp", "00006_00001.bmp.txt"}) {
        WriteFile(in / ignored, BmpBytes(small, 24, false));
    }
    h.Import(in);

    EXPECT_EQ(h.ui.MessageTexts(),
              (std::vector<std::string>{"图片大小不相符！\n ", "文件读取失败！\n "}));
    EXPECT_EQ(h.batch.frames_done, 2u);
    EXPECT_EQ(h.batch.frames_refused, 2u);
    const Bytes chain = EncodeLevelChain(
        dxt1, PixelClass::Dxt1, LevelChainSize(8, 8, 1, PixelClass::Dxt1), h.s.encode_options);
    blocks[0] = PictureBlock(
        {Bgra32Entry(3, 3, 10), WithData(Dxt1Entry(3, 3, 11), 8, chain), Dxt5Entry(3, 3, 12, 2)});
    blocks[5] = PictureBlock({WithData(Bgra32Entry(2, 2, 6), 8, small.pixels)});
    blocks[6] = block7;
    EXPECT_EQ(ReadFile(archive), ArchiveBytes(blocks));
    EXPECT_FALSE(std::filesystem::exists(h.TempCopy(7)));
    EXPECT_EQ(Keys(h.program_dir / kChangeLogName, "abc.bin"),
              (std::vector<std::string>{"1=1", "6=1"}));
    EXPECT_TRUE(Keys(h.program_dir / kChangeLogName, "x").empty());
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 1/24  帧 3/3    调试码 000000010002");
    EXPECT_EQ(h.ui.OffUiThreadCalls(), 0);
}

TEST(BatchImport, ChangeLogIsOnlyWrittenWithLogout) {
    BatchHarness h;
    const auto archive = h.AddArchive("abc.bin", StandardBlocks());
    h.SelectOnUi(archive);
    WriteFile(h.program_dir / kChangeLogName, Bytes{'[', 'x', ']', '\n'});
    const auto in = h.dir / "in";
    std::filesystem::create_directories(in);
    WriteFile(File(in, 3, 1), BmpBytes(PatternPicture(4, 4, 3), 32, false));
    h.Import(in);
    EXPECT_EQ(h.batch.frames_done, 1u);
    EXPECT_FALSE(std::filesystem::exists(h.program_dir / kChangeLogName));
}

TEST(BatchImport, PendingSingleImportIsKeptByTheBatch) {
    BatchHarness h;
    std::vector<Bytes> blocks = StandardBlocks();
    const auto archive = h.AddArchive("abc.bin", blocks);
    h.SelectOnUi(archive);
    const Picture picture = PatternPicture(4, 4, 50);
    h.OnUi([&] {
        h.ui.number_answers.push_back("9");
        GoToBlock(h.s);
        h.ui.open_answers.push_back(h.Bmp("p.bmp", BmpBytes(picture, 32, true)));
        ImportPicture(h.s);
    });
    const auto in = h.dir / "in";
    std::filesystem::create_directories(in);  // no files at all
    h.Import(in);
    blocks[8] = PictureBlock({WithData(Bgra32Entry(2, 2, 9), 8, picture.pixels)});
    EXPECT_EQ(ReadFile(archive), ArchiveBytes(blocks));
    EXPECT_EQ(h.s.state.current_block, 9u);
}

}  // namespace
}  // namespace tavrel::test
