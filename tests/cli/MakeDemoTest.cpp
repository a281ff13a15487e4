// The demo game folder: `tavrel-cli make-demo` writes the tree the plan describes, and every
// archive reads back through the archive reader and the block parser with the frames planned.
// The full demo is checked once through the command line; the fixture (same layout, tiny
// pictures) is written through the library and checked in more detail.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "archive/ArchiveIndex.h"
#include "archive/LwCodec.h"
#include "archive/ResourceTree.h"
#include "demo/DemoGame.h"
#include "support/CliRunner.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using demo::DemoSize;
using demo::GamePlan;

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool IsArchiveName(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ext == ".bin" || ext == ".kx4";
}

// Entries stored as "LWC" streams below a block's root (the root itself is never expanded).
int CompressedBelowRoot(const demo::NodeSpec& node) {
    int n = 0;
    for (const auto& child : node.children) n += child.compressed + CompressedBelowRoot(child);
    return n;
}

int CompressedBelowRoot(const ResourceNode& node) {
    int n = 0;
    for (const auto& child : node.children) n += child.was_compressed + CompressedBelowRoot(child);
    return n;
}

// The archives are exactly the files a tree scan lists (".bin"/".kx4" in any case); the
// folder without archives holds other files; the other files are there.
void CheckTreeScan(const fs::path& game, const GamePlan& plan) {
    std::set<fs::path> planned, found;
    for (const auto& a : plan.archives) planned.insert(demo::PlanPath(game, a.path));
    for (const auto& entry : fs::recursive_directory_iterator(game)) {
        if (entry.is_regular_file() && IsArchiveName(entry.path())) found.insert(entry.path());
    }
    EXPECT_EQ(found, planned);

    const fs::path free_folder = demo::PlanPath(game, plan.archive_free_folder);
    ASSERT_TRUE(fs::is_directory(free_folder));
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(free_folder)) {
        EXPECT_FALSE(IsArchiveName(entry.path())) << entry.path();
        files += entry.is_regular_file();
    }
    EXPECT_GT(files, 0);
    for (const auto& f : plan.other_files) {
        EXPECT_TRUE(fs::is_regular_file(demo::PlanPath(game, f.path))) << f.path;
    }
}

// Each archive's header variant, entry count and tflag bytes, read from the bytes directly;
// together the archives cover every recognised count, both header variants, a ".kx4", an
// upper-case ".BIN" and one unrecognised count.
void CheckArchiveHeaders(const fs::path& game, const GamePlan& plan) {
    std::set<std::uint32_t> counts;
    std::set<LinkHeader> headers;
    bool kx4 = false, upper_case = false, unrecognised = false;
    for (const auto& a : plan.archives) {
        SCOPED_TRACE(a.path);
        const Bytes file = ReadAll(demo::PlanPath(game, a.path));
        ASSERT_GE(file.size(), 32u);
        ASSERT_TRUE(StartsWithMagic(file, kMagicLink));
        const std::uint32_t n = LoadU32(file.data() + 4);
        EXPECT_EQ(n, a.blocks.size());
        const std::uint32_t table = ReadU32(file, 20) == 0 ? 32 : 16;
        EXPECT_EQ(table == 16, a.header == LinkHeader::Short16);
        // Blocks follow each other with the tflag bytes in between; the last tflag ends the file.
        std::uint64_t expected_offset = ReadU32(file, table);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t offset = ReadU32(file, table + 8 * i);
            EXPECT_EQ(offset, expected_offset) << "block " << i + 1;
            expected_offset =
                std::uint64_t{offset} + ReadU32(file, table + 8 * i + 4) + a.tflag.size();
        }
        EXPECT_EQ(expected_offset, file.size());

        const bool recognised = IsRecognisedCount(n);
        EXPECT_EQ(recognised, a.path != plan.unrecognised_archive);
        if (recognised) counts.insert(n);
        unrecognised |= !recognised;
        headers.insert(a.header);
        kx4 |= a.path.ends_with(".kx4");
        upper_case |= a.path.ends_with(".BIN");
    }
    EXPECT_EQ(counts,
              std::set<std::uint32_t>(std::begin(kRecognisedCounts), std::end(kRecognisedCounts)));
    EXPECT_EQ(headers.size(), 2u);
    EXPECT_TRUE(kx4 && upper_case && unrecognised);
}

// Every archive opens; every block of a recognised one parses into the planned frames, whose
// headers read back as planned. With `compare_bytes` every frame is also compared byte for
// byte with a fresh rendering of its plan.
void CheckBlocks(const fs::path& game, const GamePlan& plan, bool compare_bytes) {
    test::TestDir program_dir;
    auto codec = MakeBuiltinLwCodec();
    std::set<PixelClass> classes;
    std::set<int> header_lengths;
    bool plain_blocks = false;
    for (const auto& a : plan.archives) {
        SCOPED_TRACE(a.path);
        ArchiveIndex index;
        index.archive_name = demo::PlanPath(game, a.path).filename().string();
        ASSERT_EQ(OpenArchive(index, demo::PlanPath(game, a.path)), OpenOutcome::Opened);
        ASSERT_EQ(index.entry_count, a.blocks.size());
        for (std::uint32_t b = 1; b <= index.entry_count && IsRecognisedCount(index.entry_count);
             ++b) {
            SCOPED_TRACE("block " + std::to_string(b));
            BlockRead read = ReadBlock(index, program_dir.path(), b);
            ASSERT_TRUE(read.ok) << read.error;
            BlockTree tree;
            ParseBlock(tree, std::move(read.bytes), codec.get());
            const demo::NodeSpec& block = a.blocks[b - 1];
            EXPECT_EQ(CompressedBelowRoot(tree.root), CompressedBelowRoot(block));
            EXPECT_EQ(StartsWithLwc(tree.root.data), block.compressed);
            const auto expected = demo::ExpectedFrames(block);
            ASSERT_EQ(tree.frames.size(), expected.size());
            plain_blocks |= expected.empty();
            for (std::size_t k = 0; k < expected.size(); ++k) {
                SCOPED_TRACE("frame " + std::to_string(k + 1));
                const demo::FrameSpec& planned = expected[k];
                ResourceNode* leaf = FindFrameNode(tree, tree.frames[k]);
                ASSERT_NE(leaf, nullptr);
                ASSERT_EQ(leaf->kind, NodeKind::FrameLeaf);
                const TextureInfo info = ReadLeafTextureInfo(*leaf);
                EXPECT_EQ(info.width, planned.Width());
                EXPECT_EQ(info.height, planned.Height());
                EXPECT_EQ(info.pixel_class, planned.Class());
                EXPECT_EQ(info.header_length, planned.HeaderLength());
                EXPECT_EQ(LevelCount(leaf->data), planned.levels);
                EXPECT_TRUE(LeafHoldsEntry(*leaf));
                classes.insert(info.pixel_class);
                header_lengths.insert(info.header_length);
                if (compare_bytes) {
                    const Bytes entry = demo::RenderFrame(planned);
                    ASSERT_GE(leaf->data.size(), entry.size());
                    EXPECT_TRUE(std::equal(entry.begin(), entry.end(), leaf->data.begin()));
                }
            }
            FreeBlockTree(tree);
        }
        CloseArchive(index);
    }
    EXPECT_EQ(classes.size(), 3u);
    EXPECT_EQ(header_lengths, (std::set<int>{8, 20}));
    EXPECT_TRUE(plain_blocks);
}

TEST(MakeDemo, CommandWritesTheFullDemoAndEveryBlockParsesAsPlanned) {
    test::TestDir dir;
    const auto run =
        test::RunCliLine(dir.path(), "make-demo " + test::ShellQuote((dir / "game").string()));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const GamePlan plan = demo::MakeGamePlan(DemoSize::Full);
    CheckTreeScan(dir / "game", plan);
    CheckArchiveHeaders(dir / "game", plan);
    CheckBlocks(dir / "game", plan, false);
}

TEST(MakeDemo, CommandWithoutFolderIsAUsageError) {
    test::TestDir dir;
    EXPECT_EQ(test::RunCliLine(dir.path(), "make-demo").exit_code, 2);
}

class DemoFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const demo::DemoResult result = demo::WriteDemoGame(game_, DemoSize::Fixture);
        ASSERT_TRUE(result.ok) << result.error;
    }
    test::TestDir dir_;
    const fs::path game_ = dir_ / "game";
    const GamePlan plan_ = demo::MakeGamePlan(DemoSize::Fixture);
};

TEST_F(DemoFixture, TreeScanFindsThePlannedArchivesOnly) { CheckTreeScan(game_, plan_); }

TEST_F(DemoFixture, ArchivesCoverCountsHeadersAndNames) { CheckArchiveHeaders(game_, plan_); }

TEST_F(DemoFixture, EveryBlockParsesIntoTheRenderedFrames) { CheckBlocks(game_, plan_, true); }

TEST_F(DemoFixture, PortraitBlocksOfThe49BlockArchiveHoldDxt5Portraits) {
    const auto faces = std::find_if(plan_.archives.begin(), plan_.archives.end(),
                                    [](const auto& a) { return a.blocks.size() == 49; });
    ASSERT_NE(faces, plan_.archives.end());
    for (std::size_t b = 33; b <= 37; ++b) {
        const auto frames = demo::ExpectedFrames(faces->blocks[b - 1]);
        ASSERT_FALSE(frames.empty()) << b;
        for (const auto& f : frames) {
            EXPECT_EQ(f.Class(), PixelClass::Dxt5) << b;
            EXPECT_EQ(f.picture, demo::PictureKind::Portrait) << b;
        }
    }
}

TEST_F(DemoFixture, WritingAgainGivesTheSameBytes) {
    const demo::DemoResult again = demo::WriteDemoGame(dir_ / "again", DemoSize::Fixture);
    ASSERT_TRUE(again.ok) << again.error;
    for (const auto& a : plan_.archives) {
        EXPECT_EQ(ReadAll(demo::PlanPath(game_, a.path)),
                  ReadAll(demo::PlanPath(dir_ / "again", a.path)))
            << a.path;
    }
}

}  // namespace
}  // namespace tavrel
