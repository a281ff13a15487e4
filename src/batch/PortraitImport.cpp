// The forced portrait import: the current frame takes over a picture of any (power-of-two)
// size, with the portrait dump file when LOGOUT is on.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "archive/BlockWriter.h"
#include "batch/BatchState.h"
#include "browse/Browsing.h"
#include "browse/FrameAccess.h"
#include "browse/Messages.h"
#include "picture/BitmapFile.h"

namespace tavrel {

namespace {

constexpr std::int32_t kMaxSide = 32768;  // the largest side the size byte can express

bool PowerOfTwoSide(std::int32_t n) { return n > 0 && n <= kMaxSide && (n & (n - 1)) == 0; }

std::string Number5(std::uint32_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%.5u", n);
    return text;
}

// The one-entry texture pack of the dump: the header of the pack that holds the frame, cut to
// one entry (entry count 1, the frame's own per-entry word, one offset slot) so the file reads
// back as the pack it claims to be, and a copy of the frame's new entry.
bool BuildDumpPack(Session& s, const FramePath& frame_path, const ResourceNode& leaf,
                   ResourceNode& pack) {
    if (frame_path.depth == 0) return false;
    FramePath pack_path = frame_path;
    pack_path.depth -= 1;
    const ResourceNode* holder = FindFrameNode(s.state.tree, pack_path);
    if (!holder || holder->kind != NodeKind::TexturePack) return false;
    constexpr std::size_t kFixed = 28;
    const std::size_t word = kFixed + 4 * std::size_t{frame_path.index[frame_path.depth]};
    if (holder->header.size() < kFixed || holder->header.size() < word + 4) return false;
    pack.kind = NodeKind::TexturePack;
    pack.header.assign(holder->header.begin(), holder->header.begin() + kFixed);
    pack.header.insert(pack.header.end(), holder->header.begin() + word,
                       holder->header.begin() + word + 4);
    pack.header.resize(kFixed + 8, 0);
    StoreU32(pack.header.data() + 16, 1);
    pack.header_size = kFixed + 8;
    pack.was_compressed = holder->was_compressed;
    pack.depth = 0;
    ResourceNode entry;
    entry.kind = NodeKind::FrameLeaf;
    const ByteView bytes = LeafEntry(leaf);
    entry.data.assign(bytes.begin(), bytes.end());
    entry.size = static_cast<std::uint32_t>(bytes.size());
    entry.was_compressed = leaf.was_compressed;
    entry.depth = 1;
    entry.modified = true;
    pack.children.push_back(std::move(entry));
    return SerializeNode(pack, s.codec.get());
}

bool WritePortraitDump(Session& s, const FramePath& frame_path, const ResourceNode& leaf) {
    ResourceNode pack;
    if (!BuildDumpPack(s, frame_path, leaf, pack)) return false;
    const auto path = PortraitDumpPath(s.program_dir, s.state.current_block, s.state.current_frame);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::size_t n = std::min<std::size_t>(pack.size, pack.data.size());
    out.write(reinterpret_cast<const char*>(pack.data.data()), static_cast<std::streamsize>(n));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

std::filesystem::path PortraitDumpPath(const std::filesystem::path& program_dir,
                                       std::uint32_t block, std::uint32_t frame) {
    return program_dir / "facetemp" / Number5(block) / (Number5(frame) + ".data");
}

void ForcePortraitImport(Session& s) {
    BrowseState& st = s.state;
    if (CommandsHeldOff(s) || !st.portrait_import_enabled) return;
    ResourceNode* leaf = CurrentFrameLeaf(st);
    if (!leaf) {
        s.ui->ShowMessage(text::kImportFormatFailed);
        return;
    }
    const TextureInfo info = ReadLeafTextureInfo(*leaf);
    const auto chosen = s.ui->AskOpenBitmap();
    if (!chosen) return;
    const BitmapRead read = ReadReplacementBitmap(*chosen, std::nullopt, std::nullopt);
    if (read.outcome != BitmapOutcome::Success) {
        s.ui->ShowMessage(BitmapOutcomeMessage(read.outcome));
        return;
    }
    // The size byte holds exponents only: any other side would promise bytes the entry lacks.
    if (!PowerOfTwoSide(read.picture.width) || !PowerOfTwoSide(read.picture.height)) {
        s.ui->ShowMessage(text::kPortraitSize);
        return;
    }
    const ReplacementEntry entry = BuildReplacementEntry(s, s.encode_options, LeafEntry(*leaf), info, read.picture);
    if (!entry.ok) {
        s.ui->ShowMessage(entry.error);
        return;
    }
    const FramePath path = st.tree.frames[st.current_frame - 1];
    ReplaceFrameData(st.tree, path, entry.bytes);
    if (s.logout) {
        ResourceNode* replaced = FindFrameNode(st.tree, path);
        if (!replaced || !WritePortraitDump(s, path, *replaced))
            s.ui->ShowMessage(text::kPortraitDumpFailed);
    }
    ShowCurrentFrame(s);
    st.save_enabled = true;
    st.restore_enabled = true;
}

}  // namespace tavrel
