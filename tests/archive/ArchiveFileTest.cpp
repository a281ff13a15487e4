#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "archive/ArchiveIndex.h"
#include "archive/ContainerBuilder.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

using test::TestDir;

std::filesystem::path WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

Bytes Filled(std::size_t size, std::uint8_t value) { return Bytes(size, value); }

struct OpenedArchive {
    ArchiveIndex index;
    OpenOutcome outcome;
    ~OpenedArchive() { CloseArchive(index); }
};

TEST(ArchiveFile, ReadsBothHeaderVariantsAndTheirBlocks) {
    const std::vector<Bytes> entries = {Filled(5, 0xA1), Filled(9, 0xB2), Filled(1, 0xC3)};
    for (LinkHeader header : {LinkHeader::Long32, LinkHeader::Short16}) {
        SCOPED_TRACE(header == LinkHeader::Long32 ? "32-byte header" : "16-byte header");
        TestDir dir;
        const Bytes file = BuildLink(entries, header, Bytes{'T', 'F'}, 3);
        const auto path = WriteFile(dir / "a.bin", file);
        OpenedArchive a{{}, {}};
        a.outcome = OpenArchive(a.index, path);
        ASSERT_EQ(a.outcome, OpenOutcome::Opened);
        EXPECT_TRUE(a.index.file_open);
        EXPECT_EQ(a.index.archive_name, "a.bin");
        EXPECT_EQ(a.index.file_length, file.size());
        ASSERT_EQ(a.index.entry_count, 3u);
        EXPECT_FALSE(a.index.table_truncated);
        for (std::uint32_t n = 1; n <= 3; ++n) {
            const BlockRead read = ReadBlock(a.index, dir.path(), n);
            ASSERT_TRUE(read.ok) << read.error;
            EXPECT_FALSE(read.from_temp);
            EXPECT_EQ(read.bytes, entries[n - 1]);
        }
    }
}

// The word at 20 picks the layout: with the short header it is entry 1's size, so an empty
// first entry makes the table be read from 32, where this file's second block begins. That
// block's bytes are made to read as the pair (32, 8), and the count is cut to the one pair.
TEST(ArchiveFile, ShortHeaderWithEmptyFirstEntryIsReadAsLongHeader) {
    TestDir dir;
    Bytes second(8);
    StoreU32(second.data(), 32);
    StoreU32(second.data() + 4, 8);
    Bytes file = BuildLink({Bytes{}, second}, LinkHeader::Short16);
    ASSERT_EQ(LoadU32(file.data() + 20), 0u);
    StoreU32(file.data() + 4, 1);
    OpenedArchive a{{}, {}};
    a.outcome = OpenArchive(a.index, WriteFile(dir / "a.bin", file));
    ASSERT_EQ(a.index.entry_count, 1u);
    EXPECT_EQ(a.index.entry_offsets[0], 32u);
    EXPECT_EQ(a.index.entry_sizes[0], 8u);
}

TEST(ArchiveFile, FilesOf32BytesOrLessHaveNoEntries) {
    TestDir dir;
    const Bytes file = BuildLink({Bytes{0x42}}, LinkHeader::Short16);
    ASSERT_EQ(file.size(), 33u);
    {
        OpenedArchive a{{}, {}};
        a.outcome = OpenArchive(a.index, WriteFile(dir / "33.bin", file));
        EXPECT_EQ(a.outcome, OpenOutcome::Opened);
        EXPECT_TRUE(a.index.file_open);
        ASSERT_EQ(a.index.entry_count, 1u);
        EXPECT_EQ(ReadBlock(a.index, dir.path(), 1).bytes, Bytes{0x42});
    }
    for (std::size_t size : {32, 4, 0}) {
        OpenedArchive a{{}, {}};
        a.outcome = OpenArchive(
            a.index, WriteFile(dir / "short.bin", Bytes(file.begin(), file.begin() + size)));
        EXPECT_EQ(a.outcome, OpenOutcome::Opened) << size;
        EXPECT_FALSE(a.index.file_open) << size;
        EXPECT_EQ(a.index.entry_count, 0u) << size;
        EXPECT_FALSE(ReadBlock(a.index, dir.path(), 1).ok);
    }
}

TEST(ArchiveFile, TopLevelTexturePackIsOneUnrecognisedEntry) {
    TestDir dir;
    const Bytes file = BuildGt1g({BuildTextureEntry(1, 0, 2, 2, Filled(64, 7))});
    OpenedArchive a{{}, {}};
    a.outcome = OpenArchive(a.index, WriteFile(dir / "pack.kx4", file));
    ASSERT_EQ(a.index.entry_count, 1u);
    EXPECT_EQ(a.index.entry_offsets[0], 0u);
    EXPECT_EQ(a.index.entry_sizes[0], file.size());
    EXPECT_FALSE(IsRecognisedCount(a.index.entry_count));
    EXPECT_EQ(ReadBlock(a.index, dir.path(), 1).bytes, file);
}

TEST(ArchiveFile, OtherMagicIsOpenWithoutEntries) {
    TestDir dir;
    Bytes file = Filled(64, 0);
    file[0] = 'D';
    file[1] = 'D';
    file[2] = 'S';
    OpenedArchive a{{}, {}};
    a.outcome = OpenArchive(a.index, WriteFile(dir / "x.bin", file));
    EXPECT_EQ(a.outcome, OpenOutcome::Opened);
    EXPECT_TRUE(a.index.file_open);
    EXPECT_EQ(a.index.entry_count, 0u);
}

TEST(ArchiveFile, OnlySixEntryCountsAreRecognised) {
    struct Case {
        std::uint32_t count;
        bool recognised;
    };
    const Case cases[] = {{294, true}, {131, true}, {49, true},   {24, true},
                          {30, true},  {499, true}, {295, false}, {0, false},
                          {1, false},  {48, false}, {500, false}};
    TestDir dir;
    for (const Case& c : cases) {
        std::vector<Bytes> entries(c.count, Bytes{1, 2});
        OpenedArchive a{{}, {}};
        a.outcome = OpenArchive(a.index, WriteFile(dir / "n.bin", BuildLink(entries)));
        EXPECT_EQ(a.index.entry_count, c.count);
        EXPECT_EQ(IsRecognisedCount(a.index.entry_count), c.recognised) << c.count;
    }
}

// Damaged tables: nothing is read outside the file and the archive is not browsed.
TEST(ArchiveFile, TablesOrEntriesPastTheEndAreUnrecognised) {
    const Bytes good = BuildLink({Filled(40, 1), Filled(40, 2)});
    struct Case {
        const char* name;
        std::size_t field;  // u32 to overwrite
        std::uint32_t value;
    };
    const Case cases[] = {
        {"count larger than the table fits", 4, 1000},
        {"absurd count", 4, 0xFFFFFFFFu},
        {"entry offset past the end", 32 + 8, static_cast<std::uint32_t>(good.size())},
        {"entry size past the end", 32 + 12, 41},
        {"offset + size wraps 32 bits", 32, 0xFFFFFFF0u},
    };
    TestDir dir;
    for (const Case& c : cases) {
        Bytes file = good;
        StoreU32(file.data() + c.field, c.value);
        OpenedArchive a{{}, {}};
        a.outcome = OpenArchive(a.index, WriteFile(dir / "bad.bin", file));
        EXPECT_EQ(a.outcome, OpenOutcome::Opened) << c.name;
        EXPECT_EQ(a.index.entry_count, 0u) << c.name;
        EXPECT_TRUE(a.index.table_truncated) << c.name;
        EXPECT_TRUE(a.index.entry_offsets.empty()) << c.name;
        EXPECT_FALSE(ReadBlock(a.index, dir.path(), 1).ok) << c.name;
    }
    OpenedArchive a{{}, {}};
    a.outcome = OpenArchive(a.index, WriteFile(dir / "good.bin", good));
    EXPECT_EQ(a.index.entry_count, 2u);
    EXPECT_FALSE(a.index.table_truncated);
}

TEST(ArchiveFile, SecondOpenerIsRefusedUntilTheFirstCloses) {
    TestDir dir;
    const auto path = WriteFile(dir / "a.bin", BuildLink({Filled(3, 3)}));
    ArchiveIndex first;
    ASSERT_EQ(OpenArchive(first, path), OpenOutcome::Opened);
    ArchiveIndex second;
    EXPECT_EQ(OpenArchive(second, path), OpenOutcome::Failed);
    EXPECT_FALSE(second.file_open);
    CloseArchive(first);
    CloseArchive(first);  // safe when nothing is open
    EXPECT_EQ(OpenArchive(second, path), OpenOutcome::Opened);
    // Reopening with the same index releases its own lock first.
    EXPECT_EQ(OpenArchive(second, path), OpenOutcome::Opened);
    CloseArchive(second);
}

TEST(ArchiveFile, MissingFileOrDirectoryFailsToOpen) {
    TestDir dir;
    ArchiveIndex index;
    EXPECT_EQ(OpenArchive(index, dir / "missing.bin"), OpenOutcome::Failed);
    EXPECT_EQ(OpenArchive(index, dir.path()), OpenOutcome::Failed);
    EXPECT_FALSE(index.file_open);
}

TEST(ArchiveFile, ReadOnlyArchiveBecomesWritableForItsOwner) {
    TestDir dir;
    const auto path = WriteFile(dir / "ro.bin", BuildLink({Filled(3, 3)}));
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    OpenedArchive a{{}, {}};
    a.outcome = OpenArchive(a.index, path);
    ASSERT_EQ(a.outcome, OpenOutcome::Opened);
    const auto perms = std::filesystem::status(path).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
    EXPECT_NE(perms & std::filesystem::perms::group_read, std::filesystem::perms::none);
}

}  // namespace
}  // namespace tavrel
