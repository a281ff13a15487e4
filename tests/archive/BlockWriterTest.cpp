#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "TestCodec.h"
#include "archive/BlockWriter.h"
#include "archive/ContainerBuilder.h"
#include "archive/ResourceTree.h"
#include "support/Fixtures.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

using test::ReadFile;
using test::TestCodec;

Bytes Texture(std::uint8_t fill) { return BuildTextureEntry(1, 1, 1, 1, Bytes(16, fill)); }

ResourceNode Leaf(NodeKind kind, Bytes data) {
    ResourceNode n;
    n.kind = kind;
    n.size = static_cast<std::uint32_t>(data.size());
    n.data = std::move(data);
    return n;
}

std::vector<std::uint32_t> Words(const Bytes& b, std::size_t offset, std::size_t count) {
    std::vector<std::uint32_t> w;
    for (std::size_t i = 0; i < count; ++i) w.push_back(LoadU32(b.data() + offset + 4 * i));
    return w;
}

TEST(BlockWriter, TexturePackIsLaidOutAroundItsEntries) {
    ResourceNode pack;
    pack.kind = NodeKind::TexturePack;
    pack.header_size = 44;
    pack.header = Bytes(44, 0xEE);
    StoreU32(pack.header.data(), kMagicGt1g);
    StoreU32(pack.header.data() + 16, 2);
    pack.children.push_back(Leaf(NodeKind::FrameLeaf, Bytes(100, 1)));
    pack.children.push_back(Leaf(NodeKind::FrameLeaf, Bytes(50, 2)));

    ASSERT_TRUE(SerializeNode(pack, nullptr));
    const Bytes& out = pack.data;
    ASSERT_EQ(out.size(), 194u);
    EXPECT_EQ(pack.size, 194u);
    EXPECT_EQ(LoadU32(out.data() + 8), 194u);
    EXPECT_EQ(Words(out, 36, 2), (std::vector<std::uint32_t>{8, 108}));
    EXPECT_EQ(Words(out, 28, 2), (std::vector<std::uint32_t>{0xEEEEEEEE, 0xEEEEEEEE}));  // carried
    EXPECT_EQ(out[44], 1);
    EXPECT_EQ(out[143], 1);
    EXPECT_EQ(out[144], 2);
}

TEST(BlockWriter, LinkContainerIsPackedWithoutGaps) {
    // 32-byte header, entry 1 at 64; the entries had gaps between them.
    Bytes block(64, 0);
    StoreU32(block.data(), kMagicLink);
    StoreU32(block.data() + 4, 3);
    const std::vector<Bytes> entries = {Bytes(10, 0xA1), Bytes{}, Bytes(7, 0xA3)};
    for (std::size_t i = 0; i < 3; ++i) {
        block.resize(block.size() + 5, 0xFF);
        if (i == 0) block.resize(64);
        StoreU32(block.data() + 32 + 8 * i, static_cast<std::uint32_t>(block.size()));
        StoreU32(block.data() + 36 + 8 * i, static_cast<std::uint32_t>(entries[i].size()));
        block.insert(block.end(), entries[i].begin(), entries[i].end());
    }
    BlockTree tree;
    ParseBlock(tree, block, nullptr);
    ASSERT_EQ(tree.root.kind, NodeKind::LinkContainer);
    ASSERT_EQ(tree.root.header_size, 64u);

    auto out = SerializeToBytes(tree.root, nullptr);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->size(), 81u);
    EXPECT_EQ(Words(*out, 32, 6), (std::vector<std::uint32_t>{64, 10, 74, 0, 74, 7}));
    EXPECT_TRUE(
        std::equal(block.begin() + 56, block.begin() + 64, out->begin() + 56));  // header kept
    EXPECT_EQ(Bytes(out->begin() + 74, out->end()), entries[2]);
}

TEST(BlockWriter, ShortHeaderLinkHasEntryOneLengthAtTwenty) {
    BlockTree tree;
    ParseBlock(tree, BuildLink({Bytes(6, 1), Bytes(9, 2)}, LinkHeader::Short16), nullptr);
    FramePath first;
    first.depth = 1;
    ASSERT_TRUE(ReplaceFrameData(tree, first, Bytes(11, 3)));
    auto out = SerializeToBytes(tree.root, nullptr);
    ASSERT_TRUE(out);
    EXPECT_EQ(Words(*out, 16, 4), (std::vector<std::uint32_t>{32, 11, 43, 9}));

    // A first entry of length 0 turns the word at 20 into the long-header selector: the
    // format then reads the table at 32. The bytes are written as the format has them.
    ASSERT_TRUE(ReplaceFrameData(tree, first, Bytes{}));
    out = SerializeToBytes(tree.root, nullptr);
    ASSERT_TRUE(out);
    EXPECT_EQ(LoadU32(out->data() + 20), 0u);
}

TEST(BlockWriter, UnchangedBlockRoundTripsAndKeepsItsFrames) {
    TestCodec codec;
    const Bytes pack = BuildGt1g({Texture(1), Texture(2)});
    const Bytes block =
        BuildLink({Bytes(13, 0x42), BuildLink({pack, Bytes(3, 9)}, LinkHeader::Short16),
                   TestCodec::MakeStream(pack, static_cast<std::uint32_t>(pack.size()))});
    BlockTree tree;
    ParseBlock(tree, block, &codec);
    ASSERT_EQ(tree.frames.size(), 4u);
    auto out = SerializeToBytes(tree.root, &codec);
    ASSERT_TRUE(out);
    EXPECT_EQ(codec.encodes, 1);  // the compressed pack is encoded anew
    EXPECT_EQ(*out, block);

    BlockTree again;
    ParseBlock(again, *out, &codec);
    EXPECT_EQ(again.frames, tree.frames);
    for (const auto& path : tree.frames) {
        EXPECT_EQ(FindFrameNode(again, path)->data, FindFrameNode(tree, path)->data);
    }
}

TEST(BlockWriter, ReplacedFrameIsWrittenBackAndReadAgain) {
    TestCodec codec;
    const Bytes pack = BuildGt1g({Texture(1), Texture(2)});
    BlockTree tree;
    ParseBlock(tree, BuildLink({TestCodec::MakeStream(pack, 300)}), &codec);
    const Bytes replacement = BuildTextureEntry(1, 1, 2, 1, Bytes(32, 7));  // 4 x 2, 40 bytes
    ASSERT_TRUE(ReplaceFrameData(tree, tree.frames[0], replacement));

    ASSERT_TRUE(SerializeNode(tree.root, &codec));
    BlockTree again;
    ParseBlock(again, tree.root.data, &codec);
    ASSERT_EQ(again.frames.size(), 2u);
    EXPECT_TRUE(again.root.children[0].was_compressed);
    EXPECT_EQ(FindFrameNode(again, again.frames[0])->data, replacement);
    EXPECT_EQ(FindFrameNode(again, again.frames[1])->data, Texture(2));
}

TEST(BlockWriter, LeavesAreWrittenWithTheirSize) {
    // After ReadLeafTextureInfo the size is the entry size: further levels are dropped.
    BlockTree tree;
    Bytes with_levels = Texture(5);
    with_levels.resize(with_levels.size() + 8, 0x33);
    ParseBlock(tree, BuildLink({with_levels}), nullptr);
    ResourceNode& leaf = tree.root.children[0];
    ReadLeafTextureInfo(leaf);
    auto out = SerializeToBytes(tree.root, nullptr);
    ASSERT_TRUE(out);
    EXPECT_EQ(Bytes(out->begin() + 32 + 8, out->end()), Texture(5));
}

TEST(BlockWriter, CompressedNodeWithoutWorkingCodecIsAFailure) {
    TestCodec codec;
    const Bytes block = BuildLink({TestCodec::MakeStream(Bytes(30, 1), 30)});
    BlockTree tree;
    ParseBlock(tree, block, &codec);
    ASSERT_TRUE(tree.root.children[0].was_compressed);
    EXPECT_FALSE(SerializeToBytes(tree.root, nullptr));
    codec.fail_encode = true;
    EXPECT_FALSE(SerializeToBytes(tree.root, &codec));
    EXPECT_FALSE(SerializeNode(tree.root, &codec));
}

TEST(BlockWriter, HeaderTooShortForItsTableIsAFailure) {
    // A pack node built by hand with more children than its header has table room for.
    ResourceNode pack;
    pack.kind = NodeKind::TexturePack;
    pack.header_size = 36;
    pack.header = Bytes(36, 0);
    for (int i = 0; i < 2; ++i) pack.children.push_back(Leaf(NodeKind::FrameLeaf, Texture(1)));
    EXPECT_FALSE(SerializeToBytes(pack, nullptr));
    pack.children.pop_back();
    EXPECT_TRUE(SerializeToBytes(pack, nullptr));
}

TEST(BlockWriter, WriteBlockTempWritesTheBlockAndLeavesTheTreeAsItWas) {
    test::TestDir dir;
    const Bytes block = BuildLink({BuildGt1g({Texture(1)}), Bytes(5, 5)});
    BlockTree tree;
    ParseBlock(tree, block, nullptr);
    ASSERT_TRUE(ReplaceFrameData(tree, tree.frames[0], Texture(2)));
    std::string error;
    ASSERT_TRUE(WriteBlockTemp(tree, dir / "00001.data", nullptr, &error)) << error;

    BlockTree again;
    ParseBlock(again, ReadFile(dir / "00001.data"), nullptr);
    EXPECT_EQ(FindFrameNode(again, again.frames[0])->data, Texture(2));
    EXPECT_TRUE(tree.root.modified);
    EXPECT_EQ(FindFrameNode(tree, tree.frames[0])->data, Texture(2));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(BlockWriter, FailedWriteBlockTempLeavesNothingHalfWritten) {
    test::TestDir dir;
    BlockTree tree;
    ParseBlock(tree, BuildLink({Bytes(5, 5)}), nullptr);
    std::string error;
    // The folder is missing.
    EXPECT_FALSE(WriteBlockTemp(tree, dir / "missing" / "00001.data", nullptr, &error));
    EXPECT_FALSE(error.empty());
    // The name is taken by a folder: the rename fails, the temporary file is removed.
    std::filesystem::create_directory(dir / "00002.data");
    error.clear();
    EXPECT_FALSE(WriteBlockTemp(tree, dir / "00002.data", nullptr, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "00002.data"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    // An encoding failure writes nothing and keeps an older copy.
    TestCodec codec;
    ParseBlock(tree, BuildLink({TestCodec::MakeStream(Bytes(30, 1), 30)}), &codec);
    { std::ofstream(dir / "00003.data") << "old"; }
    codec.fail_encode = true;
    EXPECT_FALSE(WriteBlockTemp(tree, dir / "00003.data", &codec, &error));
    EXPECT_EQ(ReadFile(dir / "00003.data"), (Bytes{'o', 'l', 'd'}));
}

TEST(BlockWriter, FullDiskKeepsTheOlderCopy) {
    // A file size limit in a child process makes the write fail as a full disk would.
    test::TestDir dir;
    const auto path = dir / "00004.data";
    { std::ofstream(path) << "old"; }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        setrlimit(RLIMIT_FSIZE, &limit);
        BlockTree tree;
        ParseBlock(tree, BuildLink({Bytes(300000, 7)}), nullptr);
        std::string error;
        const bool written = WriteBlockTemp(tree, path, nullptr, &error);
        _exit(written ? 0 : error.find("File too large") != std::string::npos ? 1 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);  // refused, with the reason
    EXPECT_EQ(ReadFile(path), (Bytes{'o', 'l', 'd'}));
    // Nothing half-written is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

TEST(BlockWriter, BuiltinCodecRoundTripsACompressedPack) {
    auto codec = MakeBuiltinLwCodec();
    std::vector<Bytes> textures;
    for (std::uint8_t i = 0; i < 6; ++i) textures.push_back(Texture(i));
    const Bytes stream = *codec->Encode(BuildGt1g(textures));
    const Bytes block = BuildLink({Bytes(9, 1), stream});
    BlockTree tree;
    ParseBlock(tree, block, codec.get());
    ASSERT_EQ(tree.frames.size(), 6u);
    EXPECT_TRUE(tree.root.children[1].was_compressed);
    auto out = SerializeToBytes(tree.root, codec.get());
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, block);
}

}  // namespace
}  // namespace tavrel
