#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "archive/ContainerBuilder.h"
#include "picture/BitmapFile.h"
#include "picture/TextureDecoder.h"
#include "support/CliRunner.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TestDir;

Bytes Pattern(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 37);
    return b;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ExpectedFile(const Bytes& entry) {
    return EncodeBitmapFile(DecodeTexture(entry, ReadTextureInfo(entry)));
}

// Three blocks: two frames (Dxt1 8x4, Bgra32 2x2 with its own alpha), none, one (Dxt5 4x4).
struct Fixture {
    TestDir dir;
    fs::path archive = dir / "pics.bin";
    fs::path out = dir / "out";
    Bytes dxt1 = BuildTextureEntry(1, 6, 3, 2, Pattern(16, 1));
    Bytes bgra = BuildTextureEntry(1, 1, 1, 1, Pattern(16, 2));
    Bytes dxt5 = BuildTextureEntry(1, 0, 2, 2, Pattern(16, 3));

    Fixture() {
        const Bytes archive_bytes =
            BuildLink({BuildLink({BuildGt1g({dxt1, bgra})}), BuildLink({Pattern(10, 4)}),
                       BuildLink({BuildGt1g({dxt5})})});
        std::ofstream(archive, std::ios::binary)
            .write(reinterpret_cast<const char*>(archive_bytes.data()),
                   static_cast<std::streamsize>(archive_bytes.size()));
        fs::create_directory(out);
    }

    test::CliRun Export(std::vector<std::string> extra) {
        std::vector<std::string> args = {"--program-dir", dir.path().string(),
                                         "export",        archive.string(),
                                         "--out",         out.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(dir.path(), args);
    }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(out))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST(ExportCommand, WritesEveryFrameOfEveryBlockByDefault) {
    Fixture f;
    const auto run = f.Export({});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(f.Files(),
              (std::vector<std::string>{"00001_00001.bmp", "00001_00002.bmp", "00003_00001.bmp"}));
    EXPECT_EQ(ReadAll(f.out / "00001_00001.bmp"), ExpectedFile(f.dxt1));
    EXPECT_EQ(ReadAll(f.out / "00001_00002.bmp"), ExpectedFile(f.bgra));  // alpha as stored
    EXPECT_EQ(ReadAll(f.out / "00003_00001.bmp"), ExpectedFile(f.dxt5));
}

TEST(ExportCommand, RangeTextsAreReadLikeAtoiAndClamped) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> files;
    };
    const std::vector<std::string> block1 = {"00001_00001.bmp", "00001_00002.bmp"};
    const std::vector<std::string> block3 = {"00003_00001.bmp"};
    const Case cases[] = {
        {{"--first", "1", "--last", "1"}, block1},
        {{"--first", "3", "--last", "1"}, block3},    // last below first becomes first
        {{"--first", "-5"}, block3},                  // negative counts as very large
        {{"--first", "abc", "--last", "0"}, block1},  // no digits read as 0, then 1
        {{"--first", " +2x", "--last", "99"}, block3},
        {{"--first", "99999999999"}, block3},
    };
    for (const auto& c : cases) {
        Fixture f;
        const auto run = f.Export(c.args);
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(f.Files(), c.files) << c.args[1];
    }
}

TEST(ExportCommand, MissingFolderAndUnwritableFiles) {
    Fixture f;
    auto run = RunCli(f.dir.path(), {"--program-dir", f.dir.path().string(), "export",
                                     f.archive.string(), "--out", (f.dir / "nowhere").string()});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("该路径文件夹不存在，请手动创建！"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(f.dir / "nowhere"));

    // A folder in the way of one file: that frame fails, the others are written.
    fs::create_directory(f.out / "00001_00002.bmp");
    run = f.Export({});
    EXPECT_EQ(run.exit_code, 3);
    EXPECT_NE(run.err.find("导出失败！"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(f.out / "00001_00001.bmp"), ExpectedFile(f.dxt1));
    EXPECT_EQ(ReadAll(f.out / "00003_00001.bmp"), ExpectedFile(f.dxt5));
    EXPECT_TRUE(fs::is_directory(f.out / "00001_00002.bmp"));

    // Trailing separators on the folder change nothing.
    Fixture g;
    run =
        RunCli(g.dir.path(), {"--program-dir", g.dir.path().string(), "export", g.archive.string(),
                              "--out", g.out.string() + "//", "--first", "3"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(g.Files(), (std::vector<std::string>{"00003_00001.bmp"}));
}

}  // namespace
}  // namespace tavrel
