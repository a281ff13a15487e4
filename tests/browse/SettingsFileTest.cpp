#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "browse/SettingsFile.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

using test::TestDir;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(SettingsFile, MissingFileGivesDefaultsAndWritingCreatesIt) {
    TestDir dir;
    Settings s = ReadSettings(dir.path());
    EXPECT_FALSE(s.file_exists);
    EXPECT_EQ(s.game_path, "");
    EXPECT_EQ(s.logout, "0");
    EXPECT_FALSE(std::filesystem::exists(dir / kSettingsFileName));

    ASSERT_TRUE(WriteGamePath(dir.path(), "/games/Ostrim/RES/"));
    s = ReadSettings(dir.path());
    EXPECT_TRUE(s.file_exists);
    EXPECT_EQ(s.game_path, "/games/Ostrim/RES/");  // a trailing separator stays as written
    EXPECT_EQ(s.logout, "0");
}

TEST(SettingsFile, PathsComeBackByteForByte) {
    const std::string long_path =
        "/" + std::string(150, 'a') + "/" + std::string(200, 'b') + "/RES";
    const std::string cases[] = {
        "/home/玩家/游戏/奥斯特姆/RES",
        long_path,
        "/home/me/Ostrim 2/RES",
        "C:\\Games\\Ostrim\\RES\\",
    };
    ASSERT_GT(long_path.size(), 300u);
    for (const std::string& path : cases) {
        TestDir dir;
        ASSERT_TRUE(WriteGamePath(dir.path(), path));
        EXPECT_EQ(ReadSettings(dir.path()).game_path, path);
        ASSERT_TRUE(WriteGamePath(dir.path(), path));  // overwriting keeps one value
        EXPECT_EQ(ReadSettings(dir.path()).game_path, path);
    }
}

TEST(SettingsFile, WritingKeepsOtherSectionsKeysAndComments) {
    TestDir dir;
    WriteAll(dir / kSettingsFileName,
             "; written by hand\n"
             "[toolset]\n"
             "; 1 turns the log on\n"
             "logout = 1\n"
             "Colour=blue\n"
             "\n"
             "[Other]\n"
             "Key=值\n"
             "[gamepath]\n"
             "path_ostrim=/old/RES\n"
             "Extra=kept\n");
    ASSERT_TRUE(WriteGamePath(dir.path(), "/new/RES"));
    const std::string text = ReadAll(dir / kSettingsFileName);
    for (const char* kept : {"; written by hand", "; 1 turns the log on", "Colour", "blue",
                             "[Other]", "Key", "值", "Extra", "kept"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
    }
    EXPECT_EQ(text.find("/old/RES"), std::string::npos) << text;
    const Settings s = ReadSettings(dir.path());
    EXPECT_EQ(s.game_path, "/new/RES");
    EXPECT_EQ(s.logout, "1");
}

TEST(SettingsFile, LookupsIgnoreCaseAndSurroundingBlanks) {
    struct Case {
        const char* text;
        const char* game_path;
        const char* logout;
    };
    const Case cases[] = {
        {"[GamePath]\nPATH_Ostrim=/a\n[TOOLSET]\nLOGOUT=1\n", "/a", "1"},
        {"[GAMEPATH]\npath_ostrim =   /b c  \n[Toolset]\nLogOut= 0\n", "/b c", "0"},
        {"[GamePath]\nPATH_Ostrim=\n", "", "0"},
        {"[Elsewhere]\nPATH_Ostrim=/x\n", "", "0"},
        {"", "", "0"},
        {"\xEF\xBB\xBF[GamePath]\r\nPATH_Ostrim=/bom\r\n[TOOLSET]\r\nLOGOUT=yes\r\n", "/bom",
         "yes"},
    };
    for (const Case& c : cases) {
        const Settings s = ParseSettings(c.text);
        EXPECT_EQ(s.game_path, c.game_path) << c.text;
        EXPECT_EQ(s.logout, c.logout) << c.text;
    }
}

TEST(SettingsFile, UnwritableProgramDirectoryReportsFailure) {
    TestDir dir;
    EXPECT_FALSE(WriteGamePath(dir / "missing" / "deeper", "/x"));
    std::filesystem::create_directory(dir /
                                      kSettingsFileName);  // a folder where the file should be
    EXPECT_FALSE(WriteGamePath(dir.path(), "/x"));
}

}  // namespace
}  // namespace tavrel
