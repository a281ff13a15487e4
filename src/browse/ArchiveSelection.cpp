// Opening and closing the archive selected in the file tree.
#include "browse/Browsing.h"
#include "browse/Messages.h"

namespace tavrel {

void CloseSelectedArchive(Session& s) {
    BrowseState& st = s.state;
    st.save_enabled = false;
    st.restore_enabled = false;
    st.archive_open = false;
    st.frames_available = false;
    st.portrait_import_enabled = false;
    s.display.size_text.clear();
    s.display.bitmap = Picture{};
    s.display.picture_shown = false;
    s.ui->InvalidateView();
    CloseArchive(st.archive);
    s.ui->SetTitle(kAppTitle);
}

namespace {

void DisableEverything(BrowseState& st) {
    st.archive_open = false;
    st.frames_available = false;
    st.save_enabled = false;
    st.restore_enabled = false;
    st.portrait_import_enabled = false;
}

}  // namespace

void OpenSelectedArchive(Session& s) {
    BrowseState& st = s.state;
    if (!FlushModifiedBlock(s)) {
        // The change could not be kept on disk: stay on the archive it belongs to.
        if (st.archive.file_open) {
            st.archive.archive_path = st.tree_archive_path;
            st.archive.archive_name = st.tree_archive_name;
        }
        return;
    }
    CloseSelectedArchive(s);
    st.block_count = 0;
    st.current_block = 1;
    if (OpenArchive(st.archive, st.archive.archive_path) == OpenOutcome::Failed) {
        s.ui->ShowMessage(text::kOpenFailed);
        return;
    }
    if (st.archive.file_length > 32) st.archive_open = true;
    if (IsRecognisedCount(st.archive.entry_count)) {
        st.block_count = st.archive.entry_count;
        st.current_block = 1;
        st.current_frame = 1;
        st.has_frames = false;
        st.show_start_picture = false;
        LoadBlock(s);
    } else {
        DisableEverything(st);
        s.ui->SetTitle(text::kUnrecognisedTitle);
    }
}

bool CommandsHeldOff(const Session& s) { return s.state.busy || s.state.batch_running; }

}  // namespace tavrel
