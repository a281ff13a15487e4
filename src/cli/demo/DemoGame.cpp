#include "demo/DemoGame.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "archive/LwCodec.h"
#include "picture/TextureEncoder.h"

namespace tavrel::demo {
namespace {

namespace fs = std::filesystem;

// Plain data: a readable line followed by a counting pattern. It starts with "DATA", so it
// is never taken for a container or a compressed stream.
Bytes RenderPlain(std::uint32_t size, std::uint32_t seed) {
    char line[64];
    std::snprintf(line, sizeof line, "DATA demo block data %05u\n", seed);
    Bytes out;
    out.reserve(size);
    for (const char* p = line; *p && out.size() < size; ++p)
        out.push_back(static_cast<std::uint8_t>(*p));
    for (std::uint32_t i = 0; out.size() < size; ++i)
        out.push_back(static_cast<std::uint8_t>(seed * 7 + i));
    return out;
}

Bytes PixelData(const FrameSpec& frame) {
    const Picture picture = MakePicture(frame.picture, frame.Width(), frame.Height(), frame.seed);
    // The fast mode keeps the demo quick to write; it is plenty for smooth pictures.
    const EncodeOptions options{EncodeQuality::Fast, 0};
    switch (frame.Class()) {
        case PixelClass::Bgra32:
            return picture.pixels;
        case PixelClass::Dxt1:
            return EncodeBc1(picture, options);
        case PixelClass::Dxt5:
            return EncodeBc3(picture, options);
    }
    return {};
}

bool WriteFile(const fs::path& path, ByteView bytes, DemoResult& result) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) {
        result.error = "cannot create folder " + path.parent_path().string() + ": " + ec.message();
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        result.error = "cannot write " + path.string();
        return false;
    }
    ++result.files;
    result.bytes += bytes.size();
    return true;
}

std::size_t CountFrames(const NodeSpec& node) {
    std::size_t n = node.frames.size();
    for (const NodeSpec& child : node.children) n += CountFrames(child);
    return n;
}

}  // namespace

Bytes RenderFrame(const FrameSpec& frame) {
    return BuildTextureEntry(frame.levels, frame.format_code, frame.width_exp, frame.height_exp,
                             PixelData(frame), frame.tag);
}

std::optional<Bytes> RenderNode(const NodeSpec& node, LwCodec& codec, std::string& error) {
    Bytes bytes;
    switch (node.type) {
        case NodeType::Plain:
            bytes = RenderPlain(node.plain_size, node.seed);
            break;
        case NodeType::Pack: {
            std::vector<Bytes> entries;
            for (const FrameSpec& f : node.frames) entries.push_back(RenderFrame(f));
            bytes = BuildGt1g(entries);
            break;
        }
        case NodeType::Link: {
            std::vector<Bytes> entries;
            for (const NodeSpec& child : node.children) {
                auto entry = RenderNode(child, codec, error);
                if (!entry) return std::nullopt;
                entries.push_back(std::move(*entry));
            }
            bytes = BuildLink(entries, node.header);
            break;
        }
    }
    if (!node.compressed) return bytes;
    auto stream = codec.Encode(bytes);
    if (!stream) error = "the LWC codec could not compress an entry";
    return stream;
}

DemoResult WriteGame(const GamePlan& plan, const fs::path& dir) {
    DemoResult result;
    auto codec = MakeBuiltinLwCodec();
    for (const ArchiveSpec& archive : plan.archives) {
        std::vector<Bytes> blocks;
        for (const NodeSpec& block : archive.blocks) {
            auto bytes = RenderNode(block, *codec, result.error);
            if (!bytes) {
                result.error += " (" + archive.path + ")";
                return result;
            }
            blocks.push_back(std::move(*bytes));
            result.frames += CountFrames(block);
        }
        if (!WriteFile(PlanPath(dir, archive.path),
                       BuildLink(blocks, archive.header, archive.tflag), result))
            return result;
    }
    for (const OtherFile& file : plan.other_files) {
        const Bytes text(file.text.begin(), file.text.end());
        if (!WriteFile(PlanPath(dir, file.path), text, result)) return result;
    }
    result.ok = true;
    return result;
}

DemoResult WriteDemoGame(const fs::path& dir, DemoSize size) {
    return WriteGame(MakeGamePlan(size), dir);
}

}  // namespace tavrel::demo
