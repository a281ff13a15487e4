#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "picture/BitmapFile.h"
#include "support/BmpWriter.h"
#include "support/Fixtures.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

using test::BmpLayout;
using test::MakeBmp;
using test::PatternPicture;
using test::ReadFile;
using test::WriteFile;

Picture Opaque(Picture p) {
    for (std::size_t i = 3; i < p.pixels.size(); i += 4) p.pixels[i] = 255;
    return p;
}

TEST(BitmapFile, WrittenFileHasTheHeaderAndReadsBackUnchanged) {
    test::TestDir dir;
    const Picture picture = PatternPicture(5, 3);
    const auto path = dir / "00001_00002.bmp";
    ASSERT_TRUE(WriteBitmapFile(path, picture));

    const Bytes file = ReadFile(path);
    ASSERT_EQ(file.size(), 54u + 5 * 3 * 4);
    const std::string encoded = EncodeBitmapFile(picture);
    EXPECT_EQ(std::string(file.begin(), file.end()), encoded);
    const std::uint8_t* h = file.data();
    EXPECT_EQ(h[0], 'B');
    EXPECT_EQ(h[1], 'M');
    EXPECT_EQ(LoadU32(h + 2), 54u + 60);
    EXPECT_EQ(LoadU32(h + 6), 0u);
    EXPECT_EQ(LoadU32(h + 10), 54u);
    EXPECT_EQ(LoadU32(h + 14), 40u);
    EXPECT_EQ(static_cast<std::int32_t>(LoadU32(h + 18)), 5);
    EXPECT_EQ(static_cast<std::int32_t>(LoadU32(h + 22)), -3);
    EXPECT_EQ(LoadU16(h + 26), 1);
    EXPECT_EQ(LoadU16(h + 28), 32);
    EXPECT_EQ(LoadU32(h + 30), 0u);
    EXPECT_EQ(LoadU32(h + 34), 60u);
    EXPECT_EQ(Bytes(h + 38, h + 54), Bytes(16, 0));
    EXPECT_EQ(Bytes(h + 54, h + file.size()), picture.pixels);

    BitmapRead read = ReadReplacementBitmap(path, 5, 3);
    ASSERT_EQ(read.outcome, BitmapOutcome::Success);
    EXPECT_EQ(read.picture.width, 5);
    EXPECT_EQ(read.picture.height, 3);
    EXPECT_EQ(read.picture.pixels, picture.pixels);  // alpha included
    EXPECT_FALSE(std::filesystem::exists(dir / "00001_00002.bmp.tavrel-part"));
}

struct LayoutCase {
    const char* name;
    int width;
    int height;
    BmpLayout layout;
};

TEST(BitmapFile, ReadsEveryLayoutAsTopDownPicture) {
    const LayoutCase cases[] = {
        {"24-bit bottom-up, width 1", 1, 3, {24}},
        {"24-bit bottom-up, width 2", 2, 3, {24}},
        {"24-bit bottom-up, width 3", 3, 2, {24}},
        {"24-bit bottom-up, width 5", 5, 4, {24}},
        {"24-bit top-down, width 3", 3, 3, {24, true}},
        {"32-bit bottom-up", 4, 3, {32}},
        {"32-bit bottom-up, one row", 3, 1, {32}},
        {"32-bit top-down", 4, 3, {32, true}},
        {"24-bit V5 header", 5, 3, {24, false, 124}},
        {"32-bit V5 header, top-down", 4, 2, {32, true, 124}},
        {"32-bit V4 header", 2, 2, {32, false, 108}},
    };
    test::TestDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture picture = PatternPicture(c.width, c.height);
        const auto path = dir / "in.bmp";
        WriteFile(path, MakeBmp(picture, c.layout));
        BitmapRead read = ReadReplacementBitmap(path, c.width, c.height);
        ASSERT_EQ(read.outcome, BitmapOutcome::Success);
        const Picture expected = c.layout.bits == 24 ? Opaque(picture) : picture;
        EXPECT_EQ(read.picture.pixels, expected.pixels);
        // Without a required size (forced portrait import) the same picture is read.
        EXPECT_EQ(ReadReplacementBitmap(path, std::nullopt, std::nullopt).picture.pixels,
                  expected.pixels);
    }
}

struct RefusalCase {
    const char* name;
    Bytes file;
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
    BitmapOutcome outcome;
};

Bytes WithU32(Bytes file, std::size_t offset, std::uint32_t value) {
    StoreU32(file.data() + offset, value);
    return file;
}

TEST(BitmapFile, RefusesWithTheRightOutcome) {
    const Bytes good32 = MakeBmp(PatternPicture(4, 2), {32});
    const Bytes good24 = MakeBmp(PatternPicture(3, 2), {24});
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};
    Bytes short_header(good32.begin(), good32.begin() + 40);
    Bytes short_pixels(good24.begin(), good24.end() - 1);  // last row's padding missing
    const auto u = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };

    const RefusalCase cases[] = {
        {"PNG named .bmp", png, 4, 2, BitmapOutcome::NotBmp},
        {"empty file", {}, 4, 2, BitmapOutcome::OpenFailed},
        {"bit fields", MakeBmp(PatternPicture(4, 2), {32, false, 124, 3}), 4, 2,
         BitmapOutcome::BadDepth},
        {"8-bit", MakeBmp(PatternPicture(4, 2), {8}), 4, 2, BitmapOutcome::BadDepth},
        {"16-bit", MakeBmp(PatternPicture(4, 2), {16}), 4, 2, BitmapOutcome::BadDepth},
        {"width differs", good32, 8, 2, BitmapOutcome::SizeMismatch},
        {"height differs", good32, 4, 4, BitmapOutcome::SizeMismatch},
        {"header cut short", short_header, 4, 2, BitmapOutcome::OpenFailed},
        {"pixels cut short", short_pixels, 3, 2, BitmapOutcome::OpenFailed},
        {"pixel offset past the end", WithU32(good32, 10, 1u << 31), 4, 2,
         BitmapOutcome::OpenFailed},
        {"claims 32768 x 32768", WithU32(WithU32(good32, 18, 32768), 22, 32768), std::nullopt,
         std::nullopt, BitmapOutcome::OpenFailed},
        {"width 0", WithU32(good32, 18, 0), std::nullopt, std::nullopt, BitmapOutcome::OpenFailed},
        {"width negative", WithU32(good32, 18, u(-4)), std::nullopt, std::nullopt,
         BitmapOutcome::OpenFailed},
        {"width above 32768", WithU32(good32, 18, 40000), std::nullopt, std::nullopt,
         BitmapOutcome::OpenFailed},
        {"height 0", WithU32(good32, 22, 0), std::nullopt, std::nullopt, BitmapOutcome::OpenFailed},
        {"height INT_MIN", WithU32(good32, 22, 0x80000000u), std::nullopt, std::nullopt,
         BitmapOutcome::OpenFailed},
        {"height INT_MIN, size required", WithU32(good32, 22, 0x80000000u), 4, 2,
         BitmapOutcome::SizeMismatch},
        {"width negative, size required", WithU32(good32, 18, u(-4)), 4, 2,
         BitmapOutcome::SizeMismatch},
    };
    test::TestDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir / "in.bmp";
        WriteFile(path, c.file);
        BitmapRead read = ReadReplacementBitmap(path, c.width, c.height);
        EXPECT_EQ(read.outcome, c.outcome);
        EXPECT_TRUE(read.picture.empty());
    }
    EXPECT_EQ(ReadReplacementBitmap(dir / "missing.bmp", 4, 2).outcome, BitmapOutcome::OpenFailed);
    EXPECT_EQ(ReadReplacementBitmap(dir.path(), 4, 2).outcome, BitmapOutcome::OpenFailed);
    // A FIFO under a picture's name is refused at once instead of waiting for a writer.
    ASSERT_EQ(mkfifo((dir / "fifo.bmp").c_str(), 0600), 0);
    EXPECT_EQ(ReadReplacementBitmap(dir / "fifo.bmp", 4, 2).outcome, BitmapOutcome::OpenFailed);

    // Opposite-sign height is accepted: only the absolute value is compared.
    const auto path = dir / "top-down.bmp";
    WriteFile(path, MakeBmp(PatternPicture(4, 2), {32, true}));
    EXPECT_EQ(ReadReplacementBitmap(path, 4, 2).outcome, BitmapOutcome::Success);
}

TEST(BitmapFile, OutcomeMessages) {
    EXPECT_STREQ(BitmapOutcomeMessage(BitmapOutcome::Success), "");
    EXPECT_STREQ(BitmapOutcomeMessage(BitmapOutcome::OpenFailed), "文件读取失败！\n ");
    EXPECT_STREQ(BitmapOutcomeMessage(BitmapOutcome::NotBmp),
                 "目前只支持bmp格式图片的导入，请重新选择图片！\n ");
    EXPECT_STREQ(BitmapOutcomeMessage(BitmapOutcome::BadDepth),
                 "仅支持24位色和32位色的bmp图片！\n ");
    EXPECT_STREQ(BitmapOutcomeMessage(BitmapOutcome::SizeMismatch), "图片大小不相符！\n ");
}

TEST(BitmapFile, WriteFailureIsReportedAndLeavesNoPartialFile) {
    test::TestDir dir;
    const Picture picture = PatternPicture(64, 64);
    // The target is a directory; the target's folder does not exist.
    std::filesystem::create_directory(dir / "taken");
    EXPECT_FALSE(WriteBitmapFile(dir / "taken", picture));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken"));
    EXPECT_FALSE(WriteBitmapFile(dir / "no-such-folder" / "x.bmp", picture));

    // A read-only file of that name is refused and kept (file modes do not bind root).
    const auto read_only = dir / "read-only.bmp";
    WriteFile(read_only, {'r', 'o'});
    std::filesystem::permissions(read_only, std::filesystem::perms::owner_read);
    if (geteuid() != 0) {
        EXPECT_FALSE(WriteBitmapFile(read_only, picture));
        EXPECT_EQ(ReadFile(read_only), (Bytes{'r', 'o'}));
    }

    // A short write (file size limit standing in for a full disk): the old file survives.
    const auto path = dir / "old.bmp";
    WriteFile(path, {'o', 'l', 'd'});
    rlimit old_limit{};
    getrlimit(RLIMIT_FSIZE, &old_limit);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteBitmapFile(path, picture);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(path), (Bytes{'o', 'l', 'd'}));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_NE(entry.path().extension(), ".tavrel-part") << entry.path();
    }
}

}  // namespace
}  // namespace tavrel
