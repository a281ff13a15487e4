#include <gtest/gtest.h>

#include "TestCodec.h"
#include "archive/ContainerBuilder.h"
#include "archive/ResourceTree.h"

namespace tavrel {
namespace {

using test::TestCodec;

// A 2 x 2 Bgra32 texture entry (8-byte header + 16 bytes) whose pixels all hold `fill`.
Bytes Texture(std::uint8_t fill) { return BuildTextureEntry(1, 1, 1, 1, Bytes(16, fill)); }

FramePath Path(std::uint32_t depth, std::initializer_list<std::uint16_t> levels) {
    FramePath p;
    p.depth = depth;
    std::size_t k = 0;
    for (auto v : levels) p.index[k++] = v;
    return p;
}

Bytes Other(std::size_t n, std::uint8_t fill) { return Bytes(n, fill); }

TEST(ResourceTree, FramesAreListedInPreOrderWithTheirPaths) {
    const Bytes pack = BuildGt1g({Texture(1), Texture(2), Texture(3), Texture(4)});
    BlockTree tree;
    ParseBlock(tree, BuildLink({Other(10, 0xAA), pack, Other(5, 0xBB)}), nullptr);

    ASSERT_EQ(tree.root.kind, NodeKind::LinkContainer);
    ASSERT_EQ(tree.frames.size(), 4u);
    for (std::uint16_t i = 0; i < 4; ++i) EXPECT_EQ(tree.frames[i], Path(2, {0, 1, i}));
    EXPECT_EQ(tree.root.children[0].kind, NodeKind::PlainLeaf);
    EXPECT_EQ(tree.root.children[1].kind, NodeKind::TexturePack);
    EXPECT_EQ(tree.root.children[1].header_size, 28u + 8 * 4);
    EXPECT_EQ(tree.root.children[2].kind, NodeKind::PlainLeaf);
    EXPECT_FALSE(tree.root.modified);

    ResourceNode* third = FindFrameNode(tree, tree.frames[2]);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->data, Texture(3));
    // One level less names the pack that holds the frame.
    FramePath lowered = tree.frames[2];
    lowered.depth -= 1;
    EXPECT_EQ(FindFrameNode(tree, lowered), &tree.root.children[1]);
}

TEST(ResourceTree, FramesOfNestedContainersFollowEntryOrder) {
    const Bytes inner = BuildLink({BuildGt1g({Texture(1)}), BuildGt1g({Texture(2), Texture(3)})});
    BlockTree tree;
    ParseBlock(tree, BuildLink({inner, BuildGt1g({Texture(4)})}, LinkHeader::Short16), nullptr);
    const std::vector<FramePath> expected = {Path(3, {0, 0, 0, 0}), Path(3, {0, 0, 1, 0}),
                                             Path(3, {0, 0, 1, 1}), Path(2, {0, 1, 0})};
    EXPECT_EQ(tree.frames, expected);
    EXPECT_EQ(FindFrameNode(tree, expected[2])->data, Texture(3));
}

TEST(ResourceTree, TexturePackEntriesAreFramesWhateverTheyStartWith) {
    // An entry of a pack that begins with "LINK" or "GT1G" is still a picture, as long as its
    // header says ("LINK": format 'I' is Dxt5, size byte 'N' is 16384 x 16).
    Bytes link_like = BuildLink({});
    link_like.resize(ReadTextureInfo(link_like).entry_size, 0x11);
    Bytes pack_like = BuildGt1g({});
    pack_like.resize(ReadTextureInfo(pack_like).entry_size, 0x22);
    BlockTree tree;
    ParseBlock(tree, BuildGt1g({link_like, pack_like}), nullptr);
    ASSERT_EQ(tree.frames.size(), 2u);
    EXPECT_EQ(FindFrameNode(tree, tree.frames[0])->kind, NodeKind::FrameLeaf);
    EXPECT_EQ(FindFrameNode(tree, tree.frames[0])->data, link_like);
    EXPECT_EQ(FindFrameNode(tree, tree.frames[1])->data, pack_like);
}

TEST(ResourceTree, LwcEntryExpandingToAPackBecomesACompressedPack) {
    TestCodec codec;
    const Bytes pack = BuildGt1g({Texture(7), Texture(8)});
    BlockTree tree;
    ParseBlock(tree, BuildLink({TestCodec::MakeStream(pack, 100 + pack.size())}), &codec);
    ASSERT_EQ(tree.root.children.size(), 1u);
    const ResourceNode& node = tree.root.children[0];
    EXPECT_EQ(node.kind, NodeKind::TexturePack);
    EXPECT_TRUE(node.was_compressed);
    ASSERT_EQ(tree.frames.size(), 2u);
    EXPECT_EQ(FindFrameNode(tree, tree.frames[1])->data, Texture(8));
    EXPECT_FALSE(FindFrameNode(tree, tree.frames[1])->was_compressed);
}

TEST(ResourceTree, ExpandedLengthIsRaisedToCPlus268WithZeroBytes) {
    TestCodec codec;
    const Bytes payload(100, 0x5A);
    struct Case {
        std::uint32_t c;
        std::size_t length;
    };
    // c = 200: raised to 468. A c far beyond the output: the raise stops 4096 bytes behind it.
    for (const Case& k : {Case{200, 468}, Case{100, 368}, Case{6000, 100 + 4096}}) {
        auto leaf = ExpandLeaf(TestCodec::MakeStream(payload, k.c), &codec);
        EXPECT_TRUE(leaf.was_compressed);
        ASSERT_EQ(leaf.bytes.size(), k.length) << "c " << k.c;
        EXPECT_TRUE(std::equal(payload.begin(), payload.end(), leaf.bytes.begin()));
        EXPECT_TRUE(
            std::all_of(leaf.bytes.begin() + 100, leaf.bytes.end(), [](auto b) { return b == 0; }));
    }
}

TEST(ResourceTree, LwcThatCannotBeExpandedStaysAPlainLeaf) {
    const Bytes stream = TestCodec::MakeStream(Bytes(40, 1), 40);
    Bytes truncated = stream;
    truncated.resize(stream.size() - 1);
    TestCodec failing;
    failing.fail_decode = true;
    TestCodec working;
    struct Case {
        const char* name;
        Bytes bytes;
        LwCodec* codec;
    };
    for (const Case& k : {Case{"no codec", stream, nullptr}, Case{"decode fails", stream, &failing},
                          Case{"truncated", truncated, &working},
                          Case{"header only", Bytes{'L', 'W', 'C', 0}, &working}}) {
        BlockTree tree;
        ParseBlock(tree, BuildLink({k.bytes}), k.codec);
        ASSERT_EQ(tree.root.children.size(), 1u) << k.name;
        const ResourceNode& leaf = tree.root.children[0];
        EXPECT_EQ(leaf.kind, NodeKind::PlainLeaf) << k.name;
        EXPECT_FALSE(leaf.was_compressed) << k.name;
        EXPECT_EQ(leaf.data, k.bytes) << k.name;
    }
}

TEST(ResourceTree, BlockStartingWithLwcIsAPlainRootNeverExpanded) {
    TestCodec codec;
    const Bytes stream = TestCodec::MakeStream(BuildGt1g({Texture(1)}), 60);
    BlockTree tree;
    ParseBlock(tree, stream, &codec);
    EXPECT_EQ(tree.root.kind, NodeKind::PlainLeaf);
    EXPECT_EQ(tree.root.data, stream);
    EXPECT_TRUE(tree.frames.empty());
    EXPECT_EQ(codec.decodes, 0);
}

TEST(ResourceTree, PathsThatNameNothingAreRefused) {
    BlockTree tree;
    ParseBlock(tree, BuildLink({BuildGt1g({Texture(1)}), Other(4, 9)}), nullptr);
    // Past the last entry, below a leaf, deeper than a path can name.
    for (const FramePath& p :
         {Path(2, {0, 2, 0}), Path(2, {0, 0, 1}), Path(3, {0, 0, 0, 0}), Path(16, {})}) {
        EXPECT_EQ(FindFrameNode(tree, p), nullptr) << "depth " << p.depth;
        EXPECT_FALSE(ReplaceFrameData(tree, p, Bytes(3, 1)));
    }
    // A container: its bytes are rebuilt from its children, so it takes no new bytes.
    ASSERT_NE(FindFrameNode(tree, Path(1, {0, 0})), nullptr);
    EXPECT_FALSE(ReplaceFrameData(tree, Path(1, {0, 0}), Bytes(3, 1)));
    EXPECT_FALSE(tree.root.modified);
}

TEST(ResourceTree, ReplaceFrameDataMarksLeafAndRootOnly) {
    BlockTree tree;
    ParseBlock(tree, BuildLink({BuildGt1g({Texture(1), Texture(2)})}), nullptr);
    const Bytes replacement = Texture(9);
    ASSERT_TRUE(ReplaceFrameData(tree, tree.frames[1], replacement));
    const ResourceNode& pack = tree.root.children[0];
    EXPECT_TRUE(tree.root.modified);
    EXPECT_FALSE(pack.modified);
    EXPECT_FALSE(pack.children[0].modified);
    EXPECT_TRUE(pack.children[1].modified);
    EXPECT_EQ(pack.children[1].data, replacement);
    EXPECT_EQ(pack.children[1].size, replacement.size());
}

TEST(ResourceTree, ReadLeafTextureInfoSetsSizeToTheEntryWithinTheBytesHeld) {
    ResourceNode leaf;
    leaf.kind = NodeKind::FrameLeaf;
    leaf.data = Texture(3);
    leaf.data.resize(leaf.data.size() + 40, 0x77);  // further levels behind the top one
    leaf.size = static_cast<std::uint32_t>(leaf.data.size());
    EXPECT_EQ(ReadLeafTextureInfo(leaf).entry_size, 24);
    EXPECT_EQ(leaf.size, 24u);
    EXPECT_TRUE(LeafHoldsEntry(leaf));

    leaf.data.resize(20);  // cut short: 24 bytes declared, 20 held
    EXPECT_EQ(ReadLeafTextureInfo(leaf).entry_size, 24);
    EXPECT_EQ(leaf.size, 20u);
    EXPECT_FALSE(LeafHoldsEntry(leaf));
}

TEST(ResourceTree, FreeBlockTreeEmptiesEverything) {
    BlockTree tree;
    ParseBlock(tree, BuildLink({BuildGt1g({Texture(1)})}), nullptr);
    FreeBlockTree(tree);
    EXPECT_TRUE(tree.frames.empty());
    EXPECT_EQ(tree.root.kind, NodeKind::PlainLeaf);
    EXPECT_TRUE(tree.root.children.empty());
    EXPECT_TRUE(tree.root.header.empty());
}

}  // namespace
}  // namespace tavrel
