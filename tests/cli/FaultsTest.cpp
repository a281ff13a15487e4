#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>

#include "archive/ArchiveIndex.h"
#include "archive/ContainerBuilder.h"
#include "picture/BitmapFile.h"
#include "support/Fixtures.h"
#include "support/TestDir.h"

// tavrel-cli when things go wrong. Save killed at any moment, on a full disk, with an archive
// that vanished or cannot be replaced: the archive is always either the old one or the
// complete new one, and the temporary copies survive until the new archive is in place.
// Export on a full disk: a clear message and no partial file.
namespace tavrel {
namespace {

using test::ReadFile;
using test::WriteFile;

namespace fs = std::filesystem;

Bytes Pattern(std::size_t n, std::uint32_t seed) {
    Bytes b(n);
    for (auto& byte : b) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    return b;
}

struct CliOutcome {
    bool killed = false;  // ended by SIGKILL
    int exit_code = -1;
    std::string err;
};

// Runs tavrel-cli directly (no shell, so only the program sees `env`), with an optional
// file size limit standing in for a full disk.
CliOutcome RunCli(const fs::path& scratch, const std::vector<std::string>& args,
                  const std::vector<std::string>& env = {},
                  rlim_t file_size_limit = RLIM_INFINITY) {
    CliOutcome run;
    const char* cli = std::getenv("TAVREL_CLI");
    if (!cli) {
        run.err = "TAVREL_CLI is not set";
        return run;
    }
    const fs::path err_path = scratch / "cli-err.txt";
    std::vector<std::string> argv_text = {cli};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<std::string> env_text;
    for (char** e = environ; *e; ++e) env_text.push_back(*e);
    env_text.insert(env_text.end(), env.begin(), env.end());
    std::vector<char*> argv, envp;
    for (auto& a : argv_text) argv.push_back(a.data());
    for (auto& e : env_text) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int null_fd = open("/dev/null", O_RDWR);
        const int err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(null_fd, 0);
        dup2(null_fd, 1);
        dup2(err_fd, 2);
        if (file_size_limit != RLIM_INFINITY) {
            signal(SIGXFSZ, SIG_IGN);  // a failing write, not a killed process
            const rlimit limit{file_size_limit, file_size_limit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const Bytes err = ReadFile(err_path);
    run.err.assign(err.begin(), err.end());
    return run;
}

// A 30-block archive of about 3 MiB with temporary copies of every other block, under a
// program directory of its own.
struct SaveFixture {
    test::TestDir dir;
    test::TestDir scratch;  // the program's messages, apart from folders the tests lock
    fs::path archive = dir / "maps.bin";
    fs::path program = dir / "prog";
    Bytes original;
    std::map<std::uint32_t, Bytes> copies;  // block -> bytes of its temporary copy

    SaveFixture() {
        // The bytes are made once; the kill test sets up a fresh fixture for every kill.
        static const auto made = [] {
            std::pair<Bytes, std::map<std::uint32_t, Bytes>> m;
            std::vector<Bytes> blocks;
            for (std::uint32_t b = 1; b <= 30; ++b) blocks.push_back(Pattern(100000 + 37 * b, b));
            m.first = BuildLink(blocks, LinkHeader::Long32, Bytes(4, 0));
            for (std::uint32_t b = 2; b <= 30; b += 2) m.second[b] = Pattern(90000 + 1000 * b, b);
            return m;
        }();
        original = made.first;
        copies = made.second;
        WriteFile(archive, original);
        ArchiveIndex index;
        EXPECT_EQ(OpenArchive(index, archive), OpenOutcome::Opened);
        EXPECT_TRUE(EnsureBlockTempDir(index, program));
        for (const auto& [block, bytes] : copies)
            WriteFile(BlockTempPath(index, program, block), bytes);
        CloseArchive(index);
    }

    fs::path CopyPath(std::uint32_t block) const {
        ArchiveIndex index;
        OpenArchive(index, archive);
        auto path = BlockTempPath(index, program, block);
        CloseArchive(index);
        return path;
    }

    CliOutcome Save(const std::vector<std::string>& env = {}, rlim_t limit = RLIM_INFINITY) {
        return RunCli(scratch.path(), {"--program-dir", program.string(), "save", archive.string()},
                      env, limit);
    }

    // Copies that still exist hold their bytes; returns how many exist.
    int ExpectIntactCopies() const {
        int present = 0;
        for (const auto& [block, bytes] : copies) {
            const auto path = CopyPath(block);
            if (!fs::exists(path)) continue;
            ++present;
            EXPECT_EQ(ReadFile(path), bytes) << "copy of block " << block;
        }
        return present;
    }
};

#ifdef TAVREL_KILL_AT_CALL_LIB
TEST(SaveFaults, KilledAnywhereLeavesTheOldOrTheNewArchive) {
    const std::string preload = std::string("LD_PRELOAD=") + TAVREL_KILL_AT_CALL_LIB;
    // A complete save, counting the calls that change files: the kill points.
    SaveFixture reference;
    const fs::path count_file = reference.dir / "calls.txt";
    const CliOutcome complete =
        reference.Save({preload, "TAVREL_COUNT_CALLS_TO=" + count_file.string()});
    ASSERT_EQ(complete.exit_code, 0) << complete.err;
    const Bytes saved = ReadFile(reference.archive);
    ASSERT_NE(saved, reference.original);
    ASSERT_EQ(reference.ExpectIntactCopies(), 0);
    long calls = 0;
    std::ifstream(count_file) >> calls;
    ASSERT_GE(calls, 30) << "too few points to kill the save at";
    RecordProperty("kill_points", static_cast<int>(calls));

    // Kill the save before each of those calls (at most 60, spread over the run).
    const long points = std::min(calls, 60L);
    int ended_old = 0, ended_new = 0;
    for (long i = 0; i < points; ++i) {
        const long at = 1 + i * calls / points;
        SCOPED_TRACE("killed before call " + std::to_string(at) + " of " + std::to_string(calls));
        SaveFixture f;
        const CliOutcome killed = f.Save({preload, "TAVREL_KILL_AT_CALL=" + std::to_string(at)});
        ASSERT_TRUE(killed.killed) << killed.err;
        const Bytes after = ReadFile(f.archive);
        const int copies_left = f.ExpectIntactCopies();
        if (after == f.original) {
            ++ended_old;
            EXPECT_EQ(copies_left, static_cast<int>(f.copies.size()));
        } else {
            ++ended_new;
            ASSERT_TRUE(after == saved) << "the archive is neither the old nor the new one";
        }
        // Saving again finishes the job, whatever the kill left behind (a stale .new, some
        // copies): checked after every kill that left the new archive, and every fourth other.
        if (after == f.original && i % 4 != 0) continue;
        const CliOutcome again = f.Save();
        ASSERT_EQ(again.exit_code, 0) << again.err;
        EXPECT_EQ(ReadFile(f.archive), saved);
        EXPECT_EQ(f.ExpectIntactCopies(), 0);
        EXPECT_FALSE(fs::exists(f.archive.string() + ".new"));
    }
    EXPECT_GT(ended_old, 15);
    EXPECT_GT(ended_new, 0);
}
#endif

TEST(SaveFaults, FullDiskKeepsTheArchiveAndTheCopies) {
    SaveFixture f;
    const CliOutcome run = f.Save({}, 1 << 20);  // .new can grow to 1 MiB only
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the archive and its temporary copies are unchanged"), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFile(f.archive), f.original);
    EXPECT_EQ(f.ExpectIntactCopies(), static_cast<int>(f.copies.size()));
    EXPECT_FALSE(fs::exists(f.archive.string() + ".new"));
}

TEST(SaveFaults, VanishedOrReplacedArchiveKeepsTheCopies) {
    {
        SaveFixture f;
        fs::remove(f.archive);
        const CliOutcome run = f.Save();
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_NE(run.err.find("数据包路径错误!"), std::string::npos) << run.err;
        EXPECT_EQ(f.ExpectIntactCopies(), static_cast<int>(f.copies.size()));
        EXPECT_FALSE(fs::exists(f.archive));
    }
    {
        SaveFixture f;
        fs::remove(f.archive);
        fs::create_directory(f.archive);  // a folder now has the archive's name
        const CliOutcome run = f.Save();
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_NE(run.err.find("该文件打开失败！"), std::string::npos) << run.err;
        EXPECT_EQ(f.ExpectIntactCopies(), static_cast<int>(f.copies.size()));
        EXPECT_TRUE(fs::is_directory(f.archive));
    }
}

TEST(SaveFaults, ReadOnlyArchiveIsMadeWritableAndSaved) {
    // A read-only archive is made writable when opened, as the tool always did, and saved.
    SaveFixture f;
    fs::permissions(f.archive, fs::perms::owner_read | fs::perms::group_read);
    const CliOutcome run = f.Save();
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(ReadFile(f.archive), f.original);
    EXPECT_EQ(f.ExpectIntactCopies(), 0);
}

TEST(SaveFaults, FolderWhereNothingCanBeCreatedIsRefused) {
    // File modes do not bind root, so this runs only for other users (the rebuild tests
    // cover a .new that cannot be created, for root too).
    if (geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind root";
    SaveFixture g;
    fs::permissions(g.dir.path(), fs::perms::owner_write, fs::perm_options::remove);
    const CliOutcome run = g.Save();
    fs::permissions(g.dir.path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("cannot create"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(g.archive), g.original);
    EXPECT_EQ(g.ExpectIntactCopies(), static_cast<int>(g.copies.size()));
}

TEST(SaveFaults, UnwritableProgramDirectoryChangesNothing) {
    // The program directory's path runs through a regular file: nothing can be created there
    // (this binds root too). There are no copies to take, so the archive stays as it is.
    SaveFixture f;
    WriteFile(f.dir / "plain-file", {'x'});
    const fs::path program = f.dir / "plain-file" / "prog";
    for (const char* command : {"save", "restore"}) {
        const CliOutcome run =
            RunCli(f.dir.path(), {"--program-dir", program.string(), command, f.archive.string()});
        EXPECT_EQ(run.exit_code, 0) << command << ": " << run.err;
    }
    EXPECT_EQ(ReadFile(f.archive), f.original);
    EXPECT_EQ(f.ExpectIntactCopies(), static_cast<int>(f.copies.size()));
}

TEST(ReplaceFaults, FullDiskKeepsTheEarlierCopy) {
    // A 24-block archive whose block 2 holds one 256 x 256 Bgra32 picture (a 256 KiB copy).
    test::TestDir dir;
    const fs::path archive = dir / "faces.bin";
    const fs::path program = dir / "prog";
    std::vector<Bytes> blocks(24, Bytes{1, 2, 3});
    blocks[1] = BuildGt1g({BuildTextureEntry(1, 1, 8, 8, Pattern(256 * 256 * 4, 1))});
    const Bytes original = BuildLink(blocks, LinkHeader::Long32, Bytes(4, 0));
    WriteFile(archive, original);
    auto bmp = [&](std::uint32_t seed) {
        Picture picture(256, 256);
        picture.pixels = Pattern(picture.pixels.size(), seed);
        const fs::path path = dir / ("p" + std::to_string(seed) + ".bmp");
        const std::string file = EncodeBitmapFile(picture);
        WriteFile(path, Bytes(file.begin(), file.end()));
        return path.string();
    };
    auto replace = [&](const std::string& picture, rlim_t limit) {
        return RunCli(
            dir.path(),
            {"--program-dir", program.string(), "replace", archive.string(), "2", "1", picture}, {},
            limit);
    };
    const CliOutcome first = replace(bmp(2), RLIM_INFINITY);
    ASSERT_EQ(first.exit_code, 0) << first.err;
    ArchiveIndex index;
    ASSERT_EQ(OpenArchive(index, archive), OpenOutcome::Opened);
    const fs::path copy = BlockTempPath(index, program, 2);
    CloseArchive(index);
    const Bytes earlier = ReadFile(copy);
    ASSERT_FALSE(earlier.empty());

    // The second replacement cannot be written: a message, the earlier copy as it was, nothing
    // half-written beside it, the archive untouched.
    const CliOutcome full = replace(bmp(3), 100000);
    EXPECT_EQ(full.exit_code, 1);
    EXPECT_NE(full.err.find("数据块写入临时文件失败"), std::string::npos) << full.err;
    EXPECT_NE(full.err.find("File too large"), std::string::npos) << full.err;
    EXPECT_EQ(ReadFile(copy), earlier);
    for (const auto& e : fs::directory_iterator(copy.parent_path())) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name == "00002.data" || name == ".owner") << name;
    }
    EXPECT_EQ(ReadFile(archive), original);
}

TEST(ExportFaults, FullDiskLeavesNoPartialPicture) {
    test::TestDir dir;
    const fs::path archive = dir / "big.bin";
    const fs::path out = dir / "out";
    fs::create_directory(out);
    // Two 256 x 256 Bgra32 frames: 262198-byte BMP files, more than the limit lets through.
    const Bytes entry = BuildTextureEntry(1, 1, 8, 8, Pattern(256 * 256 * 4, 5));
    const Bytes archive_bytes = BuildLink({BuildLink({BuildGt1g({entry, entry})})});
    WriteFile(archive, archive_bytes);
    const CliOutcome run = RunCli(dir.path(),
                                  {"--program-dir", (dir / "prog").string(), "export",
                                   archive.string(), "--out", out.string()},
                                  {}, 200000);
    EXPECT_EQ(run.exit_code, 3);
    EXPECT_NE(run.err.find("导出失败！"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_EQ(ReadFile(archive), archive_bytes);
}

}  // namespace
}  // namespace tavrel
