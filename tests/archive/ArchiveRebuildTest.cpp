#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive/ArchiveRebuild.h"
#include "archive/ContainerBuilder.h"
#include "support/Fixtures.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

using test::ReadFile;
using test::WriteFile;

namespace fs = std::filesystem;

Bytes Fill(std::size_t n, std::uint8_t v) { return Bytes(n, v); }

// An archive of 3 blocks with a 32-byte header, block 1 at 56 + gap (100 bytes), each block
// followed by the tflag 00 00 00 00 and `gap` zero bytes.
struct ThreeBlocks {
    test::TestDir dir;
    fs::path archive = dir / "abc.bin";
    fs::path temp = dir / "temppacks" / "abc.bin";
    Bytes original;

    explicit ThreeBlocks(std::uint32_t gap = 8)
        : original(BuildLink({Fill(100, 1), Fill(40, 2), Fill(3, 3)}, LinkHeader::Long32,
                             Bytes(4, 0), gap)) {
        WriteFile(archive, original);
        fs::create_directories(temp);
    }
    void ExpectUntouched() const {
        EXPECT_EQ(ReadFile(archive), original);
        EXPECT_FALSE(fs::exists(archive.string() + ".new"));
    }
};

TEST(ArchiveRebuild, TakesTemporaryCopiesAndRewritesTheTable) {
    ThreeBlocks a;
    ASSERT_EQ(LoadU32(a.original.data() + 32), 64u);
    WriteFile(a.temp / "00002.data", Fill(80, 0x22));
    std::vector<std::uint32_t> progress;
    const auto result =
        RebuildArchive(a.archive, a.temp, [&](std::uint32_t done, std::uint32_t count) {
            EXPECT_EQ(count, 3u);
            progress.push_back(done);
        });
    ASSERT_TRUE(result.ok) << result.error;

    Bytes expected(a.original.begin(), a.original.begin() + 64);
    const std::uint32_t table[6] = {64, 100, 168, 80, 252, 3};
    for (int i = 0; i < 6; ++i) StoreU32(expected.data() + 32 + 4 * i, table[i]);
    for (const Bytes& block : {Fill(100, 1), Fill(80, 0x22), Fill(3, 3)}) {
        expected.insert(expected.end(), block.begin(), block.end());
        expected.insert(expected.end(), 4, 0);
    }
    EXPECT_EQ(ReadFile(a.archive), expected);
    EXPECT_FALSE(fs::exists(a.archive.string() + ".new"));
    EXPECT_TRUE(fs::exists(a.temp / "00002.data"));  // deleting the copies is the caller's
    EXPECT_EQ(progress, (std::vector<std::uint32_t>{1, 2, 3}));
}

TEST(ArchiveRebuild, WritesBlocksInTableOrderWithTheTflagOfBlockOne) {
    // Short header; blocks stored in reverse order with gaps; tflag AB CD EF 01 behind block 1.
    test::TestDir dir;
    Bytes old(40, 0);
    StoreU32(old.data(), kMagicLink);
    StoreU32(old.data() + 4, 2);
    old.insert(old.end(), {9, 9, 9, 0x77, 0x77});                 // block 2 at 40
    old.insert(old.end(), 6, 0x55);                               // gap
    old.insert(old.end(), {5, 5, 5, 5, 0xAB, 0xCD, 0xEF, 0x01});  // block 1 at 51, tflag
    const std::uint32_t table[4] = {51, 4, 40, 3};
    for (int i = 0; i < 4; ++i) StoreU32(old.data() + 16 + 4 * i, table[i]);
    WriteFile(dir / "x.kx4", old);

    const auto result = RebuildArchive(dir / "x.kx4", dir / "none");
    ASSERT_TRUE(result.ok) << result.error;
    const Bytes out = ReadFile(dir / "x.kx4");
    ASSERT_EQ(out.size(), 51u + 4 + 4 + 3 + 4);
    EXPECT_EQ(LoadU32(out.data() + 16), 51u);
    EXPECT_EQ(LoadU32(out.data() + 20), 4u);
    EXPECT_EQ(LoadU32(out.data() + 24), 59u);
    EXPECT_EQ(LoadU32(out.data() + 28), 3u);
    EXPECT_EQ(Bytes(out.begin() + 51, out.end()),
              (Bytes{5, 5, 5, 5, 0xAB, 0xCD, 0xEF, 0x01, 9, 9, 9, 0xAB, 0xCD, 0xEF, 0x01}));
}

TEST(ArchiveRebuild, StaleNewFileIsReplaced) {
    ThreeBlocks a(0);  // no gaps: the rebuilt archive has the same bytes
    WriteFile(a.archive.string() + ".new", Fill(5000, 0xEE));
    ASSERT_TRUE(RebuildArchive(a.archive, a.temp).ok);
    EXPECT_EQ(ReadFile(a.archive), a.original);
    EXPECT_FALSE(fs::exists(a.archive.string() + ".new"));

    // A stale .new that is a link to another file: that file is not written through.
    WriteFile(a.dir / "other", Fill(7, 7));
    fs::create_symlink(a.dir / "other", a.archive.string() + ".new");
    ASSERT_TRUE(RebuildArchive(a.archive, a.temp).ok);
    EXPECT_EQ(ReadFile(a.dir / "other"), Fill(7, 7));
    EXPECT_EQ(ReadFile(a.archive), a.original);
}

TEST(ArchiveRebuild, MissingArchiveIsReported) {
    test::TestDir dir;
    const auto result = RebuildArchive(dir / "gone.bin", dir.path());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "数据包路径错误!");
    EXPECT_FALSE(fs::exists(dir / "gone.bin.new"));
}

TEST(ArchiveRebuild, FailureKeepsTheOldArchiveAndTheCopies) {
    struct Case {
        const char* name;
        std::function<void(ThreeBlocks&)> damage;
    };
    const std::vector<Case> cases = {
        {"block 3 runs past the end of the file",
         [](ThreeBlocks& a) {
             a.original = Bytes(a.original.begin(), a.original.end() - 5);
             WriteFile(a.archive, a.original);
         }},
        {"entry table runs past the end of the file",
         [](ThreeBlocks& a) {
             StoreU32(a.original.data() + 4, 1000);
             WriteFile(a.archive, a.original);
         }},
        {"not a LINK archive",
         [](ThreeBlocks& a) {
             a.original[0] = 'X';
             WriteFile(a.archive, a.original);
         }},
        {"block 1 begins inside the table",
         [](ThreeBlocks& a) {
             StoreU32(a.original.data() + 32, 40);
             WriteFile(a.archive, a.original);
         }},
        {"a copy that cannot be read",
         [](ThreeBlocks& a) { fs::create_directory(a.temp / "00003.data"); }},
        {"a FIFO in a copy's place (must not hang)",
         [](ThreeBlocks& a) { ASSERT_EQ(mkfifo((a.temp / "00002.data").c_str(), 0600), 0); }},
        {"the new file cannot be created",
         [](ThreeBlocks& a) { fs::create_directory(a.archive.string() + ".new"); }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        ThreeBlocks a;
        WriteFile(a.temp / "00001.data", Fill(10, 0x11));
        k.damage(a);
        const auto result = RebuildArchive(a.archive, a.temp);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(ReadFile(a.archive), a.original);
        EXPECT_EQ(ReadFile(a.temp / "00001.data"), Fill(10, 0x11));
        EXPECT_FALSE(fs::is_regular_file(a.archive.string() + ".new"));
    }
}

TEST(ArchiveRebuild, FullDiskKeepsTheOldArchive) {
    // A file size limit makes the writes of .new fail as a full disk would.
    ThreeBlocks a;
    a.original =
        BuildLink({Fill(100000, 1), Fill(200000, 2), Fill(3, 3)}, LinkHeader::Long32, Bytes(4, 0));
    WriteFile(a.archive, a.original);
    WriteFile(a.temp / "00002.data", Fill(300000, 0x22));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{150000, 150000};
        setrlimit(RLIMIT_FSIZE, &limit);
        const auto result = RebuildArchive(a.archive, a.temp);
        _exit(result.ok ? 0 : result.error.empty() ? 2 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    a.ExpectUntouched();
    EXPECT_EQ(ReadFile(a.temp / "00002.data").size(), 300000u);
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

TEST(ArchiveRebuild, ArchiveBehindALinkIsReplacedWhereItIs) {
    ThreeBlocks a(0);
    const fs::path link = a.dir / "link.bin";
    fs::create_symlink(a.archive, link);
    WriteFile(a.temp / "00003.data", Fill(2, 9));
    ASSERT_TRUE(RebuildArchive(link, a.temp).ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(link), ReadFile(a.archive));
    EXPECT_EQ(ReadFile(a.archive).size(), a.original.size() - 1);
}

}  // namespace
}  // namespace tavrel
