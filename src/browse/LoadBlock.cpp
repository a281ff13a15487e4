#include <cstdio>

#include "browse/Browsing.h"
#include "browse/Messages.h"

namespace tavrel {

namespace {

// Reads and parses current_block; the tree stays empty when nothing could be read.
void ReadCurrentBlock(Session& s) {
    BrowseState& st = s.state;
    if (st.current_block == 0 || st.current_block > st.block_count) return;
    BlockRead read = ReadBlock(st.archive, s.program_dir, st.current_block);
    if (!read.ok) {
        s.ui->ShowMessage(text::kBlockReadFailed);
        return;
    }
    // The copy that could not be read stays on disk untouched; the archive's block is shown.
    if (!read.error.empty() && !read.from_temp) s.ui->ShowMessage(text::kTempCopyUnreadable);
    ParseBlock(st.tree, std::move(read.bytes), s.codec.get());
    st.tree_block = st.current_block;
    st.tree_archive_path = st.archive.archive_path;
    st.tree_archive_name = st.archive.archive_name;
}

std::string SizeText(const PictureDisplay& d) {
    if (d.width == 0) return text::kNotPicture;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, text::kSizeFormat, d.width, d.height);
    return buffer;
}

}  // namespace

void LoadBlock(Session& s) {
    BrowseState& st = s.state;
    s.display.picture_shown = false;
    FreeBlockTree(st.tree);
    st.tree_block = 0;
    st.restore_enabled = false;
    st.save_enabled = false;
    st.portrait_import_enabled = false;
    st.frames_available = false;
    if (!st.busy && HasTempCopies(st.archive, s.program_dir, st.block_count)) {
        st.save_enabled = true;
        st.restore_enabled = true;
    }
    ReadCurrentBlock(s);
    if (!st.tree.frames.empty()) {
        st.current_frame = 1;
        st.frame_count = static_cast<std::uint32_t>(st.tree.frames.size());
        st.has_frames = true;
        ShowCurrentFrame(s);
    } else {
        st.has_frames = false;
    }
    if (st.archive_open && st.has_frames) st.frames_available = true;
    if (!st.has_frames) {
        st.current_frame = 0;
        st.frame_count = 0;
        s.display.bitmap = Picture{};
        s.ui->InvalidateView();
        s.display.width = 0;
        s.display.height = 0;
    }
    if (st.block_count == 49 && st.current_block >= 33 && st.current_block <= 37 &&
        st.frames_available) {
        st.portrait_import_enabled = true;
    }
    RefreshTitle(s);
    s.display.size_text = SizeText(s.display);
}

}  // namespace tavrel
