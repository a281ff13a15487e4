// Import and Export of the picture shown.
#include <algorithm>
#include <cctype>

#include "browse/Browsing.h"
#include "browse/FrameAccess.h"
#include "browse/Messages.h"
#include "picture/BitmapFile.h"

namespace tavrel {

void ImportPicture(Session& s) {
    if (CommandsHeldOff(s)) return;
    BrowseState& st = s.state;
    ResourceNode* leaf = CurrentFrameLeaf(st);
    if (!leaf) {
        s.ui->ShowMessage(text::kImportFormatFailed);
        return;
    }
    const TextureInfo info = ReadLeafTextureInfo(*leaf);
    const auto path = s.ui->AskOpenBitmap();
    if (!path) return;
    const BitmapRead read = ReadReplacementBitmap(*path, info.width, info.height);
    if (read.outcome != BitmapOutcome::Success) {
        s.ui->ShowMessage(BitmapOutcomeMessage(read.outcome));
        return;
    }
    const ReplacementEntry entry = BuildReplacementEntry(s, s.encode_options, LeafEntry(*leaf), info, read.picture);
    if (!entry.ok) {
        s.ui->ShowMessage(entry.error);
        return;
    }
    ReplaceFrameData(st.tree, st.tree.frames[st.current_frame - 1], entry.bytes);
    ShowCurrentFrame(s);
    st.save_enabled = true;
    st.restore_enabled = true;
}

namespace {

// The save dialog's name with ".bmp" appended unless its extension already is bmp (any case).
std::filesystem::path WithBitmapExtension(std::filesystem::path path) {
    std::string ext = path.extension().string();
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (ext != "bmp") path += ".bmp";
    return path;
}

}  // namespace

void ExportPicture(Session& s) {
    if (CommandsHeldOff(s)) return;
    ResourceNode* leaf = CurrentFrameLeaf(s.state);
    if (!leaf) {
        s.ui->ShowMessage(text::kUnknownPicture);
        return;
    }
    const TextureInfo info = ReadLeafTextureInfo(*leaf);
    const std::optional<Picture> picture = DecodeLeaf(*leaf, info);
    const auto chosen = s.ui->AskSaveBitmap();
    if (!chosen) return;
    if (!picture || !WriteBitmapFile(WithBitmapExtension(*chosen), *picture)) {
        s.ui->ShowMessage(text::kExportFailed);
    }
}

}  // namespace tavrel
