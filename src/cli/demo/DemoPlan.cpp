#include "demo/DemoPlan.h"

#include <algorithm>

namespace tavrel::demo {

PixelClass FrameSpec::Class() const {
    if (format_code == 1) return PixelClass::Bgra32;
    if (format_code == 6) return PixelClass::Dxt1;
    return PixelClass::Dxt5;
}

int FrameSpec::HeaderLength() const {
    for (std::uint32_t t : kLongHeaderTags) {
        if (t == tag) return 20;
    }
    return 8;
}

namespace {

// Format codes as the game uses them: 1 and 6 name Bgra32 and Dxt1, every other code Dxt5.
constexpr std::uint8_t kBgra = 1, kDxt1 = 6, kDxt5 = 0, kDxt5b = 8, kDxt5c = 2, kDxt5d = 255;
constexpr std::uint32_t kTagA = 0x10011111, kTagB = 0x10111000, kTagC = 0x10211000;

int Exp(int pixels) { return SizeExponent(pixels); }

FrameSpec Frame(PictureKind kind, int w, int h, std::uint8_t code, int levels, std::uint32_t seed,
                std::uint32_t tag = 0) {
    return FrameSpec{kind, Exp(w), Exp(h), code, levels, tag, seed};
}

NodeSpec Plain(std::uint32_t size, std::uint32_t seed) {
    NodeSpec n;
    n.plain_size = size;
    n.seed = seed;
    return n;
}

NodeSpec Pack(std::vector<FrameSpec> frames) {
    NodeSpec n;
    n.type = NodeType::Pack;
    n.frames = std::move(frames);
    return n;
}

NodeSpec Link(std::vector<NodeSpec> children, LinkHeader header = LinkHeader::Long32) {
    NodeSpec n;
    n.type = NodeType::Link;
    n.header = header;
    n.children = std::move(children);
    return n;
}

NodeSpec Lwc(NodeSpec node) {
    node.compressed = true;
    return node;
}

using K = PictureKind;

// Eight block layouts that between them use every container, header and pixel format.
NodeSpec MixedBlock(std::uint32_t b) {
    const std::uint32_t s = b * 16;
    switch (b % 8) {
        case 0:
            return Pack({Frame(K::Gradient, 64, 64, kBgra, 1, s),
                         Frame(K::Map, 128, 64, kDxt1, 6, s + 1, kTagB),
                         Frame(K::Icon, 32, 32, kDxt5, 6, s + 2)});
        case 1:  // data, a pack of four, data: the plain entries stay leaves
            return Link({Plain(96, s),
                         Pack({Frame(K::Shapes, 64, 32, kDxt1, 6, s + 1),
                               Frame(K::Icon, 32, 32, kBgra, 1, s + 2),
                               Frame(K::Portrait, 64, 64, kDxt5b, 7, s + 3, kTagA),
                               Frame(K::Gradient, 16, 16, kDxt5c, 5, s + 4)}),
                         Plain(40, s + 5)});
        case 2:  // nested containers with compressed entries, short outer header
            return Link({Link({Lwc(Pack({Frame(K::Map, 128, 128, kDxt1, 8, s + 1),
                                         Frame(K::Icon, 64, 64, kDxt5, 7, s + 2, kTagC)})),
                               Lwc(Plain(300, s + 3))}),
                         Pack({Frame(K::Shapes, 32, 64, kBgra, 1, s + 4)})},
                        LinkHeader::Short16);
        case 3:
            return Plain(200, s);
        case 4:
            return Link({Lwc(Pack({Frame(K::Portrait, 64, 64, kDxt5b, 7, s + 1)})),
                         Lwc(Pack({Frame(K::Gradient, 32, 16, kBgra, 1, s + 2),
                                   Frame(K::Icon, 16, 16, kDxt5d, 5, s + 3)}))});
        case 5:  // a whole block stored compressed: never expanded, so no frames
            return Lwc(Plain(500, s));
        case 6:  // a container without pictures
            return Link({Plain(64, s), Plain(64, s + 1)}, LinkHeader::Short16);
        default:
            return Pack({Frame(K::Icon, 32, 32, kBgra, 1, s, kTagA),
                         Frame(K::Icon, 32, 32, kDxt5, 6, s + 1),
                         Frame(K::Icon, 32, 32, kDxt1, 6, s + 2)});
    }
}

// Most blocks of the big archives are small data; every sixteenth one holds pictures.
NodeSpec SparseBlock(std::uint32_t b) {
    if (b % 16 == 0) return MixedBlock(b / 16);
    switch (b % 3) {
        case 0:
            return Plain(32 + (b * 37) % 200, b);
        case 1:
            return Link({Plain(24, b), Plain(16 + b % 50, b + 1)}, LinkHeader::Short16);
        default:
            return Link({Lwc(Plain(120, b))});
    }
}

ArchiveSpec Archive(std::string path, std::uint32_t count, LinkHeader header, Bytes tflag,
                    NodeSpec first, NodeSpec (*block)(std::uint32_t)) {
    ArchiveSpec a{std::move(path), header, std::move(tflag), {}};
    a.blocks.push_back(std::move(first));
    for (std::uint32_t b = 2; b <= count; ++b) a.blocks.push_back(block(b));
    return a;
}

ArchiveSpec Faces() {
    ArchiveSpec a = Archive("RES/Faces/Faces.bin", 49, LinkHeader::Long32, {0x01, 0x00, 0x00, 0x00},
                            Pack({Frame(K::Portrait, 256, 256, kBgra, 1, 1),
                                  Frame(K::Portrait, 128, 128, kDxt5, 8, 2, kTagA),
                                  Frame(K::Portrait, 64, 64, kDxt1, 7, 3)}),
                            MixedBlock);
    // Blocks 33 to 37 are the portrait blocks that take the forced portrait import.
    for (std::uint32_t b = 33; b <= 37; ++b) {
        a.blocks[b - 1] = Pack({Frame(K::Portrait, 128, 128, b % 2 ? kDxt5 : kDxt5b, 8, b * 3),
                                Frame(K::Portrait, 64, 64, kDxt5b, 7, b * 3 + 1, kTagA)});
    }
    return a;
}

void Shrink(NodeSpec& node) {
    for (FrameSpec& f : node.frames) {
        f.width_exp = std::max(2, f.width_exp - 3);
        f.height_exp = std::max(2, f.height_exp - 3);
    }
    for (NodeSpec& child : node.children) Shrink(child);
}

void CollectFrames(const NodeSpec& node, std::vector<FrameSpec>& out) {
    if (node.type == NodeType::Pack) out.insert(out.end(), node.frames.begin(), node.frames.end());
    for (const NodeSpec& child : node.children) CollectFrames(child, out);
}

}  // namespace

GamePlan MakeGamePlan(DemoSize size) {
    GamePlan plan;
    const Bytes tflag = {0x74, 0x66, 0x6C, 0x67};
    plan.archives.push_back(Faces());
    plan.archives.push_back(Archive(
        "RES/Maps/World.bin", 294, LinkHeader::Short16, tflag,
        Pack({Frame(K::Map, 512, 512, kDxt1, 10, 11, kTagB), Frame(K::Map, 256, 128, kBgra, 1, 12),
              Frame(K::Map, 512, 256, kDxt5, 9, 13)}),
        SparseBlock));
    plan.archives.push_back(Archive(
        "RES/Interface/Icons.kx4", 131, LinkHeader::Long32, {},
        Link({Lwc(Pack({Frame(K::Icon, 64, 64, kBgra, 1, 0), Frame(K::Icon, 64, 64, kBgra, 1, 1),
                        Frame(K::Icon, 64, 64, kBgra, 1, 2), Frame(K::Icon, 64, 64, kBgra, 1, 3),
                        Frame(K::Icon, 128, 128, kDxt5d, 7, 4, kTagC),
                        Frame(K::Icon, 32, 32, kDxt1, 6, 5)}))}),
        MixedBlock));
    plan.archives.push_back(Archive("RES/Interface/Menus/Old/Banners.BIN", 24, LinkHeader::Short16,
                                    {0x00, 0x00},
                                    Pack({Frame(K::Shapes, 512, 128, kDxt5, 8, 21),
                                          Frame(K::Gradient, 256, 64, kDxt1, 7, 22, kTagA),
                                          Frame(K::Shapes, 128, 32, kBgra, 1, 23)}),
                                    MixedBlock));
    plan.archives.push_back(Archive("RES/Scenes/Battle.kx4", 30, LinkHeader::Long32, tflag,
                                    Pack({Frame(K::Gradient, 256, 256, kDxt5b, 9, 31),
                                          Frame(K::Shapes, 256, 256, kDxt1, 9, 32, kTagB)}),
                                    MixedBlock));
    plan.archives.push_back(
        Archive("RES/Scenario/Campaign.bin", 499, LinkHeader::Short16, {0x00, 0x00, 0x00, 0x00},
                Link({Plain(80, 41), Pack({Frame(K::Map, 256, 256, kDxt1, 9, 42),
                                           Frame(K::Portrait, 128, 128, kDxt5, 8, 43)})}),
                SparseBlock));
    // A "LINK" file with a count the tool does not browse, named like an archive.
    plan.unrecognised_archive = "RES/Scenario/Patch.bin";
    plan.archives.push_back(Archive(plan.unrecognised_archive, 7, LinkHeader::Long32, {},
                                    Pack({Frame(K::Icon, 32, 32, kBgra, 1, 51)}), MixedBlock));
    plan.archive_free_folder = "RES/Sound";
    plan.other_files = {
        {"RES/Sound/Readme.txt",
         "Sound files of the demo game live here. There are no archives in this folder.\n"},
        {"RES/Sound/voices.bin.bak",
         "A backup file: its name does not end in an archive extension.\n"},
        {"RES/Readme.txt",
         "Demo game folder written by tavrel-cli make-demo. Every picture is generated.\n"},
    };
    if (size == DemoSize::Fixture) {
        for (ArchiveSpec& a : plan.archives) {
            for (NodeSpec& block : a.blocks) Shrink(block);
        }
    }
    return plan;
}

std::vector<FrameSpec> ExpectedFrames(const NodeSpec& block) {
    std::vector<FrameSpec> out;
    if (!block.compressed) CollectFrames(block, out);
    return out;
}

std::filesystem::path PlanPath(const std::filesystem::path& game_dir, const std::string& path) {
    std::filesystem::path out = game_dir;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start) out /= path.substr(start, end - start);
        start = end + 1;
    }
    return out;
}

}  // namespace tavrel::demo
