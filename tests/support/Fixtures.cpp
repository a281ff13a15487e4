#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "archive/ContainerBuilder.h"

namespace tavrel::test {

namespace {

Bytes Pattern(std::size_t n, std::uint8_t seed) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(seed * 31 + i * 7 + (i >> 5));
    return out;
}

}  // namespace

Bytes Bgra32Entry(int wexp, int hexp, std::uint8_t seed, int levels) {
    const std::size_t n = (std::size_t{1} << wexp) * (std::size_t{1} << hexp) * 4;
    return BuildTextureEntry(levels, kFormatBgra32, wexp, hexp, Pattern(n, seed));
}

Bytes Dxt1Entry(int wexp, int hexp, std::uint8_t seed, int levels) {
    const std::size_t n = (std::size_t{1} << wexp) * (std::size_t{1} << hexp) / 2;
    return BuildTextureEntry(levels, kFormatDxt1, wexp, hexp, Pattern(n, seed));
}

Bytes Dxt5Entry(int wexp, int hexp, std::uint8_t seed, int levels) {
    const std::size_t n = (std::size_t{1} << wexp) * (std::size_t{1} << hexp);
    return BuildTextureEntry(levels, kFormatDxt5, wexp, hexp, Pattern(n, seed));
}

Bytes WithData(const Bytes& entry, std::size_t header, const Bytes& data) {
    EXPECT_LE(header, entry.size()) << "the entry is shorter than its header";
    const std::size_t keep = std::min(header, entry.size());
    // Sized once and filled by copies: growing the vector by inserting at its end makes GCC 12
    // warn (-Warray-bounds) about the empty tail it would move.
    Bytes out(keep + data.size());
    std::copy_n(entry.begin(), keep, out.begin());
    std::copy(data.begin(), data.end(), out.begin() + static_cast<std::ptrdiff_t>(keep));
    return out;
}

Bytes PictureBlock(const std::vector<Bytes>& entries) {
    return BuildLink({Pattern(12, 1), BuildGt1g(entries), Pattern(5, 2)});
}

Bytes PlainBlock(std::uint8_t seed) { return BuildLink({Pattern(40, seed)}); }

Bytes ArchiveBytes(const std::vector<Bytes>& blocks) {
    return BuildLink(blocks, LinkHeader::Long32, kTflag);
}

std::vector<Bytes> StandardBlocks() {
    std::vector<Bytes> blocks;
    blocks.push_back(
        PictureBlock({Bgra32Entry(3, 3, 10), Dxt1Entry(3, 3, 11), Dxt5Entry(3, 3, 12, 2)}));
    blocks.push_back(PlainBlock(3));
    for (int b = 3; b <= 24; ++b)
        blocks.push_back(PictureBlock({Bgra32Entry(2, 2, static_cast<std::uint8_t>(b))}));
    return blocks;
}

std::vector<Bytes> PortraitBlocks() {
    std::vector<Bytes> blocks;
    for (int b = 1; b <= 49; ++b) {
        if (b == 34) {
            blocks.push_back(PlainBlock(static_cast<std::uint8_t>(b)));
        } else if (b >= 33 && b <= 37) {
            blocks.push_back(PictureBlock({Bgra32Entry(3, 3, static_cast<std::uint8_t>(b)),
                                           Dxt5Entry(3, 3, static_cast<std::uint8_t>(b + 1), 2)}));
        } else {
            blocks.push_back(PictureBlock({Bgra32Entry(2, 2, static_cast<std::uint8_t>(b))}));
        }
    }
    return blocks;
}

std::vector<Bytes> Bgra32Blocks() {
    std::vector<Bytes> blocks;
    for (int b = 1; b <= 24; ++b) {
        if (b == 4) {
            blocks.push_back(PlainBlock(4));
            continue;
        }
        std::vector<Bytes> entries;
        for (int f = 0; f < 1 + b % 3; ++f) {
            entries.push_back(Bgra32Entry(2 + f % 2, 2, static_cast<std::uint8_t>(b * 5 + f)));
        }
        blocks.push_back(PictureBlock(entries));
    }
    return blocks;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Picture PatternPicture(int width, int height, std::uint8_t seed, int alpha) {
    Picture p(width, height);
    for (std::size_t i = 0; i < p.pixels.size(); ++i) {
        p.pixels[i] = (i % 4 == 3 && alpha >= 0)
                          ? static_cast<std::uint8_t>(alpha)
                          : static_cast<std::uint8_t>(seed + i * 13 + (i >> 6));
    }
    return p;
}

Bytes BmpBytes(const Picture& picture, int bits, bool top_down) {
    const int w = picture.width;
    const int h = picture.height;
    const std::size_t bpp = static_cast<std::size_t>(bits / 8);
    const std::size_t row = (w * bpp + 3) / 4 * 4;
    const auto data = static_cast<std::uint32_t>(row * h);
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    AppendU32(out, 54 + data);
    AppendU32(out, 0);
    AppendU32(out, 54);
    AppendU32(out, 40);
    AppendU32(out, static_cast<std::uint32_t>(w));
    AppendU32(out, static_cast<std::uint32_t>(top_down ? -h : h));
    AppendU16(out, 1);
    AppendU16(out, static_cast<std::uint16_t>(bits));
    AppendU32(out, 0);
    AppendU32(out, data);
    for (int i = 0; i < 4; ++i) AppendU32(out, 0);
    for (int r = 0; r < h; ++r) {
        const int y = top_down ? r : h - 1 - r;
        const std::uint8_t* src = picture.row(y);
        std::size_t written = 0;
        for (int x = 0; x < w; ++x) {
            out.insert(out.end(), src + x * 4, src + x * 4 + bpp);
            written += bpp;
        }
        out.resize(out.size() + (row - written), 0);
    }
    return out;
}

}  // namespace tavrel::test
