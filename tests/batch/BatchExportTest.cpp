// The batch runner and the batch export: range, progress, abort, held-off commands.
#include <gtest/gtest.h>

#include <cstdio>

#include "batch/BatchHarness.h"
#include "batch/BatchState.h"
#include "browse/Messages.h"

namespace tavrel::test {
namespace {

std::string Name(std::uint32_t block, std::uint32_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "%.5u_%.5u.bmp", block, frame);
    return name;
}

std::uint32_t FramesOf(std::uint32_t block) {
    return block == 4 ? 0 : 1 + block % 3;
}  // Bgra32Blocks

TEST(BatchRange, ExportRangeIsClampedAsUnsignedValues) {
    const struct {
        std::string first, last;
        std::uint32_t from, to;
    } cases[] = {{"5", "3", 5, 5},         {"0", "0", 1, 1},
                 {"1", "200", 1, 131},     {"200", "1", 131, 131},
                 {"-4", "2", 131, 131},    {"3", "-1", 3, 131},
                 {"12abc", " 20", 12, 20}, {"99999999999999999999999999999999999", "1", 131, 131}};
    for (const auto& c : cases) {
        BatchState batch;
        batch.first_block_text = c.first;
        batch.last_block_text = c.last;
        ComputeExportRange(batch, 131);
        EXPECT_EQ(batch.first_block, c.from) << c.first << " " << c.last;
        EXPECT_EQ(batch.last_block, c.to) << c.first << " " << c.last;
    }
}

TEST(BatchRange, ParameterChecksAndProgressText) {
    TestDir dir;
    BatchState batch;
    const std::string missing = (dir / "nowhere").string();
    EXPECT_EQ(CheckExportParameters(batch, "", "", missing), "该路径文件夹不存在，请手动创建！\n ");
    EXPECT_EQ(CheckExportParameters(batch, "", "3", dir.path().string()), "序号不能为空！\n ");
    EXPECT_EQ(CheckExportParameters(batch, "1", "3", dir.path().string() + "///"), "");
    EXPECT_EQ(batch.picture_dir, dir.path().string());
    EXPECT_EQ(CheckImportParameters(batch, ""), "非法路径！\n ");
    EXPECT_EQ(CheckImportParameters(batch, missing), "非法路径！\n ");
    EXPECT_EQ(CheckImportParameters(batch, dir.path().string() + "/"), "");

    batch.mode = BatchMode::Export;
    batch.progress_done = 3;
    batch.progress_total = 10;
    EXPECT_EQ(ProgressText(batch), "导出图片  3/10");
    batch.mode = BatchMode::Import;
    batch.status_text = "正在处理......";
    EXPECT_EQ(ProgressText(batch), "正在处理......");
}

TEST(BatchExport, ExportsEveryFrameOfTheRangeOnTheWorker) {
    BatchHarness h;
    h.SelectOnUi(h.AddArchive("bgra.bin", Bgra32Blocks()));
    const auto out = h.dir / "out";
    std::filesystem::create_directories(out);
    WriteFile(out / Name(2, 1), {1, 2, 3});  // overwritten without a question
    h.Export("2", "6", out);
    for (std::uint32_t b = 1; b <= 7; ++b) {
        for (std::uint32_t f = 1; f <= 3; ++f) {
            const bool expected = b >= 2 && b <= 6 && f <= FramesOf(b);
            EXPECT_EQ(std::filesystem::exists(out / Name(b, f)), expected) << b << "_" << f;
        }
    }
    // Bgra32 frames export as stored, alpha included.
    const Bytes entry = Bgra32Entry(3, 2, 2 * 5 + 1);
    Picture stored(8, 4);
    stored.pixels.assign(entry.begin() + 8, entry.end());
    EXPECT_EQ(ReadFile(out / Name(2, 2)), BmpBytes(stored, 32, true));

    EXPECT_EQ(h.progress.ranges, std::vector<std::uint16_t>{5});
    EXPECT_EQ(h.progress.positions, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(h.progress.texts.back(), "导出图片  5/5");
    EXPECT_EQ(h.progress.closed, 1);
    EXPECT_EQ(h.progress.off_ui_thread, 0);
    EXPECT_EQ(h.ui.OffUiThreadCalls(), 0);
    EXPECT_TRUE(h.ui.Messages().empty());
    // The last block of the range stays loaded, its first frame shown.
    EXPECT_EQ(h.s.state.current_block, 6u);
    EXPECT_EQ(h.ui.Title(), "Tavrel:    数据包 6/24  帧 1/1");
    EXPECT_FALSE(CommandsHeldOff(h.s));
}

TEST(BatchExport, AbortStopsTheFramesButEveryBlockIsStillLoaded) {
    BatchHarness h;
    h.SelectOnUi(h.AddArchive("bgra.bin", Bgra32Blocks()));
    const auto out = h.dir / "out";
    std::filesystem::create_directories(out);
    // "中止" pressed while block 2 (three frames) is being exported.
    h.progress.on_text = [&](const std::string& text) {
        if (text == "导出图片  2/10") h.batch.abort_requested = true;
    };
    h.Export("1", "10", out);
    EXPECT_TRUE(std::filesystem::exists(out / Name(1, 1)));
    EXPECT_TRUE(std::filesystem::exists(out / Name(1, 2)));
    EXPECT_TRUE(std::filesystem::exists(out / Name(2, 1)));
    EXPECT_FALSE(std::filesystem::exists(out / Name(2, 2)));
    EXPECT_FALSE(std::filesystem::exists(out / Name(5, 1)));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 3);
    const auto titles = h.ui.Titles();
    for (int b = 3; b <= 10; ++b) {
        const std::string loaded = "数据包 " + std::to_string(b) + "/24";
        EXPECT_TRUE(std::any_of(titles.begin(), titles.end(), [&](const std::string& t) {
            return t.find(loaded) != std::string::npos;
        })) << b;
    }
    EXPECT_EQ(h.progress.positions.back(), 10);
    EXPECT_EQ(h.progress.closed, 1);
    EXPECT_EQ(h.s.state.current_block, 10u);
}

TEST(BatchExport, AbortBeforeStartExportsNothing) {
    BatchHarness h;
    h.SelectOnUi(h.AddArchive("bgra.bin", Bgra32Blocks()));
    const auto out = h.dir / "out";
    std::filesystem::create_directories(out);
    ASSERT_EQ(CheckExportParameters(h.batch, "1", "24", out.string()), "");
    h.OnUi([&] { OpenBatch(h.s, h.batch, BatchMode::Export); });
    h.batch.abort_requested = true;
    h.RunWorker();
    EXPECT_TRUE(std::filesystem::is_empty(out));
    EXPECT_EQ(h.progress.positions.back(), 24);
    EXPECT_EQ(h.s.state.current_block, 24u);
}

TEST(BatchExport, UncreatableFilesAreReportedAndTheBatchGoesOn) {
    BatchHarness h;
    h.SelectOnUi(h.AddArchive("bgra.bin", Bgra32Blocks()));
    const auto out = h.dir / "out";
    std::filesystem::create_directories(out / Name(2, 2));  // a folder of that name
    h.Export("2", "2", out);
    EXPECT_EQ(h.ui.MessageTexts(), std::vector<std::string>{"导出失败！\n "});
    EXPECT_TRUE(std::filesystem::exists(out / Name(2, 1)));
    EXPECT_TRUE(std::filesystem::exists(out / Name(2, 3)));
    EXPECT_EQ(h.progress.texts,
              (std::vector<std::string>{"导出图片  1/1", "导出图片  1/1", "导出图片  1/1"}));
    EXPECT_EQ(h.ui.OffUiThreadCalls(), 0);
}

TEST(BatchExport, PendingChangeIsWrittenAndCommandsAreHeldOffMeanwhile) {
    BatchHarness h;
    const auto archive = h.AddArchive("bgra.bin", Bgra32Blocks());
    h.SelectOnUi(archive);
    const Picture picture = PatternPicture(4, 4, 99);
    h.ui.open_answers.push_back(h.Bmp("p.bmp", BmpBytes(picture, 32, true)));
    h.OnUi([&] { ImportPicture(h.s); });
    ASSERT_TRUE(h.s.state.tree.root.modified);

    const auto out = h.dir / "out";
    std::filesystem::create_directories(out);
    int held_off = 0;
    h.progress.on_text = [&](const std::string&) {
        // The user presses keys in the main window while the export runs.
        const std::uint32_t block = h.s.state.current_block;
        held_off += CommandsHeldOff(h.s);
        NextBlock(h.s);
        FirstBlock(h.s);
        ImportPicture(h.s);
        ExportPicture(h.s);
        SaveArchive(h.s);
        RestoreArchive(h.s);
        EXPECT_EQ(h.s.state.current_block, block);
    };
    h.Export("1", "3", out);
    EXPECT_GT(held_off, 0);
    EXPECT_EQ(held_off, static_cast<int>(h.progress.texts.size()));
    EXPECT_EQ(h.ui.DialogsAsked(), 1);  // only the import before the batch
    EXPECT_FALSE(CommandsHeldOff(h.s));
    // The change reached its copy before block 1 was loaded for the export.
    ASSERT_TRUE(std::filesystem::exists(h.TempCopy(1)));
    EXPECT_EQ(ReadFile(out / Name(1, 1)), BmpBytes(picture, 32, true));
}

}  // namespace
}  // namespace tavrel::test
