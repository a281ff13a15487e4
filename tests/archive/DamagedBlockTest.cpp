#include <gtest/gtest.h>

#include <functional>

#include "TestCodec.h"
#include "archive/BlockWriter.h"
#include "archive/ContainerBuilder.h"
#include "archive/ResourceTree.h"

// Damaged blocks: whatever the tables say, parsing stays inside the bytes, the damaged
// container is kept as a plain leaf with its original bytes, and writing the block back
// reproduces it byte for byte.
namespace tavrel {
namespace {

using test::TestCodec;

Bytes Texture(std::uint8_t fill) { return BuildTextureEntry(1, 1, 1, 1, Bytes(16, fill)); }

Bytes Patched(Bytes b, std::size_t offset, std::uint32_t value) {
    StoreU32(b.data() + offset, value);
    return b;
}

Bytes Cut(Bytes b, std::size_t length) {
    b.resize(length);
    return b;
}

const Bytes kPack = BuildGt1g({Texture(1), Texture(2)});    // table at 36, entries at 44, 68
const Bytes kLink = BuildLink({Bytes(8, 1), Bytes(4, 2)});  // table at 32, entries at 48, 56

struct DamagedCase {
    const char* name;
    Bytes damaged;  // placed as entry 2 of a good LINK, between a good pack and plain bytes
};

std::vector<DamagedCase> DamagedContainers() {
    Bytes huge_texture = Texture(3);
    huge_texture[2] = 0xFF;  // 32768 x 32768 declared, 24 bytes held
    Bytes link_past_end = kLink;
    return {
        {"link count huge", Patched(kLink, 4, 0xFFFFFFFF)},
        {"link count beyond table", Patched(kLink, 4, 3)},
        {"link offset past end", Patched(kLink, 40, 61)},
        {"link size past end", Patched(kLink, 44, 5)},
        {"link offset+size wraps", Patched(Patched(kLink, 40, 0xFFFFFFF0), 44, 0x20)},
        {"link entry 1 inside its table", Patched(kLink, 32, 36)},
        {"link entry 1 beyond the bytes", Patched(kLink, 32, 0x7FFFFFFF)},
        {"link cut in its header", Cut(kLink, 22)},
        {"link long header cut before 36", Cut(Patched(BuildLink({}), 4, 0), 33)},
        {"link magic only", Bytes{'L', 'I', 'N', 'K'}},
        {"pack count huge", Patched(kPack, 16, 0xFFFFFFFF)},
        {"pack count beyond bytes", Patched(kPack, 16, 9)},
        {"pack count beyond kMaxChildren", Patched(kPack, 16, kMaxChildren + 1)},
        {"pack offset past end", Patched(kPack, 40, 0xFFFFFFF0)},
        {"pack entry size past end", BuildGt1g({Texture(1), huge_texture})},
        {"pack cut in its last entry", Cut(kPack, kPack.size() - 1)},
        {"pack cut in its header", Cut(kPack, 18)},
        {"pack magic only", Bytes{'G', 'T', '1', 'G'}},
        {"truncated LWC",
         Cut(TestCodec::MakeStream(kPack, static_cast<std::uint32_t>(kPack.size())), 300)},
        {"LWC header cut", Bytes{'L', 'W', 'C', 0, 1, 0, 0, 0, 9}},
        {"LWC with damaged payload",
         [] {
             Bytes s = TestCodec::MakeStream(kPack, static_cast<std::uint32_t>(kPack.size()));
             StoreU32(s.data() + 4, 0xFFFFFF);  // declares more than its payload holds
             return s;
         }()},
    };
}

TEST(DamagedBlock, DamagedContainerIsKeptAsPlainBytesAndRoundTrips) {
    TestCodec codec;
    for (const auto& k : DamagedContainers()) {
        SCOPED_TRACE(k.name);
        const Bytes block = BuildLink({kPack, k.damaged, Bytes(3, 7)});
        BlockTree tree;
        ParseBlock(tree, block, &codec);
        ASSERT_EQ(tree.root.kind, NodeKind::LinkContainer);
        ASSERT_EQ(tree.root.children.size(), 3u);
        const ResourceNode& node = tree.root.children[1];
        EXPECT_EQ(node.kind, NodeKind::PlainLeaf);
        EXPECT_FALSE(node.was_compressed);
        EXPECT_TRUE(node.children.empty());
        EXPECT_EQ(node.data, k.damaged);
        EXPECT_EQ(tree.frames.size(), 2u);  // those of the good pack only

        auto out = SerializeToBytes(tree.root, &codec);
        ASSERT_TRUE(out);
        EXPECT_EQ(*out, block);
    }
}

TEST(DamagedBlock, DamagedRootIsAPlainRootAndRoundTrips) {
    TestCodec codec;
    for (const auto& k : DamagedContainers()) {
        SCOPED_TRACE(k.name);
        BlockTree tree;
        ParseBlock(tree, k.damaged, &codec);
        EXPECT_EQ(tree.root.kind, NodeKind::PlainLeaf);
        EXPECT_TRUE(tree.frames.empty());
        auto out = SerializeToBytes(tree.root, &codec);
        ASSERT_TRUE(out);
        EXPECT_EQ(*out, k.damaged);
    }
}

TEST(DamagedBlock, NestingBeyondWhatAPathNamesIsKeptAsPlainBytes) {
    // 20 LINK levels around a pack: the container at depth 15 could only hold nodes that no
    // FramePath can name, so it stays plain bytes and nothing below it is parsed.
    Bytes block = BuildGt1g({Texture(1)});
    for (int i = 0; i < 20; ++i) block = BuildLink({block});
    BlockTree tree;
    ParseBlock(tree, block, nullptr);
    const ResourceNode* node = &tree.root;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        ASSERT_EQ(node->kind, NodeKind::LinkContainer) << depth;
        ASSERT_EQ(node->children.size(), 1u);
        node = &node->children[0];
    }
    EXPECT_EQ(node->depth, static_cast<std::uint32_t>(kMaxDepth));
    EXPECT_EQ(node->kind, NodeKind::PlainLeaf);
    EXPECT_TRUE(tree.frames.empty());
    auto out = SerializeToBytes(tree.root, nullptr);
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, block);
}

TEST(DamagedBlock, PackAtDepthFourteenStillHasFramesAtFifteen) {
    Bytes block = BuildGt1g({Texture(1)});
    for (int i = 0; i < kMaxDepth - 1; ++i) block = BuildLink({block});
    BlockTree tree;
    ParseBlock(tree, block, nullptr);
    ASSERT_EQ(tree.frames.size(), 1u);
    EXPECT_EQ(tree.frames[0].depth, static_cast<std::uint32_t>(kMaxDepth));
    EXPECT_EQ(FindFrameNode(tree, tree.frames[0])->data, Texture(1));
}

TEST(DamagedBlock, RandomDamageNeverReadsOutsideTheBytes) {
    // Every single-byte change of a nested block parses, serializes and reads back the same.
    TestCodec codec;
    const Bytes good = BuildLink({BuildGt1g({Texture(1), Texture(2)}),
                                  BuildLink({Bytes(5, 1), kPack}, LinkHeader::Short16),
                                  TestCodec::MakeStream(kPack, 90)});
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t value : {std::uint8_t{0}, std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
            Bytes block = good;
            block[i] = value;
            BlockTree tree;
            ParseBlock(tree, block, &codec);
            for (const auto& path : tree.frames) {
                ASSERT_NE(FindFrameNode(tree, path), nullptr);
            }
            ASSERT_TRUE(SerializeToBytes(tree.root, &codec).has_value()) << i;
        }
    }
}

// Bytes the tree holds, as the parse budget counts them, and its nodes.
std::uint64_t HeldBytes(const ResourceNode& node) {
    std::uint64_t held = node.data.size() + node.header.size() + sizeof(ResourceNode);
    for (const auto& child : node.children) held += HeldBytes(child);
    return held;
}

std::uint64_t Nodes(const ResourceNode& node) {
    std::uint64_t n = 1;
    for (const auto& child : node.children) n += Nodes(child);
    return n;
}

TEST(DamagedBlock, EntriesNamingTheirOwnContainerCannotExhaustMemory) {
    // An 80-byte LINK whose entries 2 to 4 are the whole container again: followed level by
    // level this would be 3^15 copies. The parse stops at its budget and keeps what is over
    // it as plain bytes; the tree still writes back.
    const std::uint32_t n = 4, header = 32 + 8 * n, size = header + 16;
    Bytes block(size, 0);
    StoreU32(block.data(), kMagicLink);
    StoreU32(block.data() + 4, n);
    StoreU32(block.data() + 32, header);
    StoreU32(block.data() + 36, 16);
    for (std::uint32_t i = 1; i < n; ++i) {
        StoreU32(block.data() + 32 + 8 * i, 0);
        StoreU32(block.data() + 36 + 8 * i, size);
    }
    BlockTree tree;
    ParseBlock(tree, block, nullptr);
    EXPECT_EQ(tree.root.kind, NodeKind::LinkContainer);
    EXPECT_LE(HeldBytes(tree.root), ParseBudget(size));
    EXPECT_LE(Nodes(tree.root), kMaxParseNodes + 1);
    EXPECT_TRUE(SerializeToBytes(tree.root, nullptr).has_value());
}

TEST(DamagedBlock, StreamLongerThanTheBudgetStaysCompressed) {
    TestCodec codec;
    const Bytes payload(1000, 7);
    const Bytes stream = TestCodec::MakeStream(payload, 1000);
    EXPECT_FALSE(ExpandLeaf(stream, &codec, 999).was_compressed);  // declared length too long
    EXPECT_EQ(ExpandLeaf(stream, &codec, 999).bytes, stream);
    EXPECT_FALSE(ExpandLeaf(stream, &codec, 1267).was_compressed);  // raised to c + 268: 1268
    const ExpandedLeaf leaf = ExpandLeaf(stream, &codec, 1268);
    EXPECT_TRUE(leaf.was_compressed);
    EXPECT_EQ(leaf.bytes.size(), 1268u);
}

}  // namespace
}  // namespace tavrel
