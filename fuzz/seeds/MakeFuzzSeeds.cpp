// make_fuzz_seeds OUT_DIR: writes a small seed corpus for every fuzz target into
// OUT_DIR/<target>/, built by the same format writers the tests use, so no binary sample
// is ever committed. The fuzzers start from well-formed inputs and damage them from there.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/ContainerBuilder.h"
#include "archive/LwCodec.h"
#include "format/Bytes.h"
#include "format/TextureInfo.h"
#include "picture/BitmapFile.h"
#include "support/BmpWriter.h"

namespace {

using tavrel::Bytes;
namespace fs = std::filesystem;

class SeedWriter {
public:
    explicit SeedWriter(fs::path root) : root_(std::move(root)) {}

    void Add(const std::string& target, const std::string& name, const Bytes& bytes) {
        const fs::path dir = root_ / target;
        fs::create_directories(dir);
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) failed_ = true;
    }
    void Add(const std::string& target, const std::string& name, const std::string& text) {
        Add(target, name, Bytes(text.begin(), text.end()));
    }
    bool failed() const { return failed_; }

private:
    fs::path root_;
    bool failed_ = false;
};

Bytes Pattern(std::size_t n, std::uint32_t seed) {
    Bytes out(n);
    for (auto& b : out) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return out;
}

// Texture entries of every pixel class, both header lengths, square and oblong.
std::vector<Bytes> TextureEntries() {
    using tavrel::BuildTextureEntry;
    return {
        BuildTextureEntry(1, 1, 2, 2, Pattern(4 * 4 * 4, 1)),           // Bgra32 4x4
        BuildTextureEntry(3, 6, 3, 3, Pattern(8 * 8 / 2 + 16 + 8, 2)),  // Dxt1 8x8, levels
        BuildTextureEntry(2, 8, 3, 2, Pattern(8 * 4, 3)),               // Dxt5 8x4
        BuildTextureEntry(1, 8, 2, 2, Pattern(16, 4), tavrel::kLongHeaderTags[0]),
        BuildTextureEntry(1, 6, 1, 1, Pattern(2, 5)),  // Dxt1 below 4x4
        BuildTextureEntry(1, 1, 0, 3, Pattern(8 * 4, 6), tavrel::kLongHeaderTags[2]),
    };
}

void TextureSeeds(SeedWriter& seeds, const std::vector<Bytes>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        seeds.Add("TextureDecode", "entry" + std::to_string(i), entries[i]);
}

// Blocks: packs, nested LINK containers of both header variants, LWC-compressed entries.
std::vector<Bytes> Blocks(const std::vector<Bytes>& entries, tavrel::LwCodec& codec) {
    using tavrel::BuildGt1g;
    using tavrel::BuildLink;
    const Bytes pack = BuildGt1g(entries);
    const Bytes small_pack = BuildGt1g({entries[0], entries[2]});
    const Bytes lwc_pack = codec.Encode(small_pack).value_or(Bytes{});
    const Bytes lwc_entry = BuildGt1g({codec.Encode(entries[1]).value_or(Bytes{})});
    return {
        pack,
        BuildLink({Pattern(20, 7), pack, Pattern(9, 8)}),
        BuildLink({small_pack, BuildLink({small_pack}, tavrel::LinkHeader::Short16)},
                  tavrel::LinkHeader::Long32, {}, 4),
        BuildLink({lwc_pack, Pattern(12, 9)}),
        lwc_entry,
        BuildLink({BuildLink({BuildLink({small_pack})})}, tavrel::LinkHeader::Short16),
    };
}

// Archives, for opening and for the rebuild.
void ArchiveSeeds(SeedWriter& seeds, const std::vector<Bytes>& blocks) {
    using tavrel::BuildLink;
    using tavrel::LinkHeader;
    const Bytes tflag = {0, 0, 0, 0};
    for (const char* target : {"ArchiveOpen", "ArchiveRebuild"}) {
        seeds.Add(target, "long32", BuildLink(blocks, LinkHeader::Long32, tflag));
        seeds.Add(target, "short16", BuildLink({blocks[1], blocks[3]}, LinkHeader::Short16, tflag));
        seeds.Add(target, "gaps",
                  BuildLink({blocks[0], blocks[2]}, LinkHeader::Long32, {1, 2, 3, 4}, 16));
        seeds.Add(target, "gt1g", blocks[0]);
    }
}

void LwcSeeds(SeedWriter& seeds, tavrel::LwCodec& codec, const std::vector<Bytes>& blocks) {
    seeds.Add("LwcDecode", "empty", codec.Encode(Bytes{}).value_or(Bytes{}));
    seeds.Add("LwcDecode", "pattern", codec.Encode(Pattern(300, 10)).value_or(Bytes{}));
    seeds.Add("LwcDecode", "zeros", codec.Encode(Bytes(5000, 0)).value_or(Bytes{}));
    seeds.Add("LwcDecode", "block", codec.Encode(blocks[1]).value_or(Bytes{}));
}

void BitmapSeeds(SeedWriter& seeds) {
    using tavrel::test::BmpLayout;
    using tavrel::test::MakeBmp;
    using tavrel::test::PatternPicture;
    const std::string written = tavrel::EncodeBitmapFile(PatternPicture(8, 4, 1));
    seeds.Add("BitmapRead", "written", Bytes(written.begin(), written.end()));
    seeds.Add("BitmapRead", "bottom_up24", MakeBmp(PatternPicture(5, 3, 2), BmpLayout{24}));
    seeds.Add("BitmapRead", "top_down24", MakeBmp(PatternPicture(3, 2, 3), BmpLayout{24, true}));
    seeds.Add("BitmapRead", "v5_32", MakeBmp(PatternPicture(4, 4, 4), BmpLayout{32, false, 124}));
    seeds.Add("BitmapRead", "bitfields",
              MakeBmp(PatternPicture(4, 2, 5), BmpLayout{32, false, 124, 3}));
    seeds.Add("BitmapRead", "one_wide24", MakeBmp(PatternPicture(1, 4, 6), BmpLayout{24}));
}

void SettingsSeeds(SeedWriter& seeds) {
    seeds.Add("SettingsParse", "plain",
              std::string("[GamePath]\r\nPATH_Ostrim=/games/Ostrim\r\n[TOOLSET]\r\nLOGOUT=1\r\n"));
    seeds.Add("SettingsParse", "utf8",
              std::string("\xEF\xBB\xBF; comment\n[gamepath]\npath_ostrim = /游戏/奥斯特 \n"));
    seeds.Add(
        "SettingsParse", "multi",
        std::string("[A]\nx=1\n[TOOLSET]\nLOGOUT=0\nLOGOUT=1\n[GamePath]\nPATH_Ostrim=<<<END\n"
                    "line\nEND\n"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds OUT_DIR\n");
        return 2;
    }
    SeedWriter seeds{fs::path(argv[1])};
    auto codec = tavrel::MakeBuiltinLwCodec();
    const std::vector<Bytes> entries = TextureEntries();
    const std::vector<Bytes> blocks = Blocks(entries, *codec);
    TextureSeeds(seeds, entries);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        seeds.Add("BlockParse", "block" + std::to_string(i), blocks[i]);
    ArchiveSeeds(seeds, blocks);
    LwcSeeds(seeds, *codec, blocks);
    BitmapSeeds(seeds);
    SettingsSeeds(seeds);
    if (seeds.failed()) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot write under %s\n", argv[1]);
        return 1;
    }
    return 0;
}
