// The demo game folder: `tavrel-cli make-demo` writes the tree the plan describes, and every
// archive reads back through the archive reader and the block parser with the frames planned.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "archive/ArchiveIndex.h"
#include "archive/LwCodec.h"
#include "archive/ResourceTree.h"
#include "demo/DemoGame.h"
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

// One game folder per size, written once for all tests of the suite: the full demo through
// the command line, the fixture through the library.
class DemoFolder : public ::testing::TestWithParam<DemoSize> {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<test::TestDir>();
        const char* cli = std::getenv("TAVREL_CLI");
        ASSERT_NE(cli, nullptr) << "TAVREL_CLI names the tavrel-cli binary";
        const fs::path full = dir_->path() / "full";
        const std::string command =
            std::string("\"") + cli + "\" make-demo \"" + full.string() + "\" >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const demo::DemoResult fixture =
            demo::WriteDemoGame(dir_->path() / "fixture", DemoSize::Fixture);
        ASSERT_TRUE(fixture.ok) << fixture.error;
    }
    static void TearDownTestSuite() { dir_.reset(); }

    fs::path Game() const {
        return dir_->path() / (GetParam() == DemoSize::Full ? "full" : "fixture");
    }
    GamePlan Plan() const { return demo::MakeGamePlan(GetParam()); }

    static std::unique_ptr<test::TestDir> dir_;
};

std::unique_ptr<test::TestDir> DemoFolder::dir_;

TEST_P(DemoFolder, ArchivesAreWhereTheTreeScanFindsThemAndNothingElse) {
    const GamePlan plan = Plan();
    std::set<fs::path> planned, found;
    for (const auto& a : plan.archives) planned.insert(demo::PlanPath(Game(), a.path));
    for (const auto& entry : fs::recursive_directory_iterator(Game())) {
        if (entry.is_regular_file() && IsArchiveName(entry.path())) found.insert(entry.path());
    }
    EXPECT_EQ(found, planned);

    const fs::path free_folder = demo::PlanPath(Game(), plan.archive_free_folder);
    ASSERT_TRUE(fs::is_directory(free_folder));
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(free_folder)) {
        EXPECT_FALSE(IsArchiveName(entry.path())) << entry.path();
        files += entry.is_regular_file();
    }
    EXPECT_GT(files, 0);
    for (const auto& f : plan.other_files)
        EXPECT_TRUE(fs::is_regular_file(demo::PlanPath(Game(), f.path))) << f.path;
}

TEST_P(DemoFolder, EveryRecognisedCountHeaderVariantAndTflagIsPresent) {
    const GamePlan plan = Plan();
    std::set<std::uint32_t> counts;
    std::set<LinkHeader> headers;
    bool kx4 = false, upper_case = false, unrecognised = false;
    for (const auto& a : plan.archives) {
        const Bytes file = ReadAll(demo::PlanPath(Game(), a.path));
        ASSERT_GE(file.size(), 32u) << a.path;
        ASSERT_TRUE(StartsWithMagic(file, kMagicLink)) << a.path;
        const std::uint32_t n = LoadU32(file.data() + 4);
        EXPECT_EQ(n, a.blocks.size()) << a.path;
        const std::uint32_t table = ReadU32(file, 20) == 0 ? 32 : 16;
        EXPECT_EQ(table == 16, a.header == LinkHeader::Short16) << a.path;
        // Blocks follow each other with the tflag bytes in between; the last tflag ends the file.
        std::uint64_t expected_offset = ReadU32(file, table);
        for (std::uint32_t i = 0; i < n; ++i) {
            EXPECT_EQ(ReadU32(file, table + 8 * i), expected_offset)
                << a.path << " block " << i + 1;
            expected_offset =
                ReadU32(file, table + 8 * i) + ReadU32(file, table + 8 * i + 4) + a.tflag.size();
        }
        EXPECT_EQ(expected_offset, file.size()) << a.path;

        const bool recognised = IsRecognisedCount(n);
        EXPECT_EQ(recognised, a.path != plan.unrecognised_archive) << a.path;
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

TEST_P(DemoFolder, PortraitBlocksOfThe49BlockArchiveHoldDxt5Portraits) {
    const GamePlan plan = Plan();
    const auto faces = std::find_if(plan.archives.begin(), plan.archives.end(),
                                    [](const auto& a) { return a.blocks.size() == 49; });
    ASSERT_NE(faces, plan.archives.end());
    for (std::size_t b = 33; b <= 37; ++b) {
        const auto frames = demo::ExpectedFrames(faces->blocks[b - 1]);
        ASSERT_FALSE(frames.empty()) << b;
        for (const auto& f : frames) {
            EXPECT_EQ(f.Class(), PixelClass::Dxt5) << b;
            EXPECT_EQ(f.picture, demo::PictureKind::Portrait) << b;
        }
    }
}

// Every archive opens; every block of a recognised one parses into the planned frames, whose
// headers read back as planned. The fixture's frames are also compared byte for byte.
TEST_P(DemoFolder, EveryBlockParsesWithThePlannedFrames) {
    const GamePlan plan = Plan();
    test::TestDir program_dir;
    auto codec = MakeBuiltinLwCodec();
    std::set<PixelClass> classes;
    std::set<int> header_lengths;
    bool plain_blocks = false;
    for (const auto& a : plan.archives) {
        ArchiveIndex index;
        index.archive_name = demo::PlanPath(Game(), a.path).filename().string();
        ASSERT_EQ(OpenArchive(index, demo::PlanPath(Game(), a.path)), OpenOutcome::Opened)
            << a.path;
        ASSERT_EQ(index.entry_count, a.blocks.size()) << a.path;
        if (!IsRecognisedCount(index.entry_count)) {
            CloseArchive(index);
            continue;
        }
        for (std::uint32_t b = 1; b <= index.entry_count; ++b) {
            const std::string where = a.path + " block " + std::to_string(b);
            BlockRead read = ReadBlock(index, program_dir.path(), b);
            ASSERT_TRUE(read.ok) << where << ": " << read.error;
            BlockTree tree;
            ParseBlock(tree, std::move(read.bytes), codec.get());
            const auto expected = demo::ExpectedFrames(a.blocks[b - 1]);
            ASSERT_EQ(tree.frames.size(), expected.size()) << where;
            plain_blocks |= expected.empty();
            for (std::size_t k = 0; k < expected.size(); ++k) {
                const demo::FrameSpec& spec = expected[k];
                ResourceNode* leaf = FindFrameNode(tree, tree.frames[k]);
                ASSERT_NE(leaf, nullptr) << where << " frame " << k + 1;
                ASSERT_EQ(leaf->kind, NodeKind::FrameLeaf) << where << " frame " << k + 1;
                const TextureInfo info = ReadLeafTextureInfo(*leaf);
                EXPECT_EQ(info.width, spec.Width()) << where << " frame " << k + 1;
                EXPECT_EQ(info.height, spec.Height()) << where << " frame " << k + 1;
                EXPECT_EQ(info.pixel_class, spec.Class()) << where << " frame " << k + 1;
                EXPECT_EQ(info.header_length, spec.HeaderLength()) << where << " frame " << k + 1;
                EXPECT_EQ(LevelCount(leaf->data), spec.levels) << where << " frame " << k + 1;
                EXPECT_TRUE(LeafHoldsEntry(*leaf)) << where << " frame " << k + 1;
                classes.insert(info.pixel_class);
                header_lengths.insert(info.header_length);
                if (GetParam() == DemoSize::Fixture) {
                    const Bytes entry = demo::RenderFrame(spec);
                    ASSERT_GE(leaf->data.size(), entry.size());
                    EXPECT_TRUE(std::equal(entry.begin(), entry.end(), leaf->data.begin()))
                        << where << " frame " << k + 1;
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

INSTANTIATE_TEST_SUITE_P(Sizes, DemoFolder, ::testing::Values(DemoSize::Full, DemoSize::Fixture),
                         [](const auto& info) {
                             return info.param == DemoSize::Full ? "Full" : "Fixture";
                         });

}  // namespace
}  // namespace tavrel
