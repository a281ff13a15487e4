// Save (rebuild the archive with the temporary copies) and Restore (drop the copies).
#include <algorithm>
#include <system_error>

#include "archive/ArchiveRebuild.h"
#include "browse/Browsing.h"
#include "browse/Messages.h"

namespace tavrel {

namespace {

// Deletes the temporary copies of blocks 1..block_count; false when one could not go.
bool DeleteTempCopies(const Session& s) {
    bool all = true;
    for (std::uint32_t block = 1; block <= s.state.block_count; ++block) {
        std::error_code ec;
        const auto path = BlockTempPath(s.state.archive, s.program_dir, block);
        if (std::filesystem::exists(path, ec)) {
            std::filesystem::remove(path, ec);
            if (ec) all = false;
        }
    }
    return all;
}

// Shows `frame` of the loaded block (kept within the block's frames).
void ShowFrame(Session& s, std::uint32_t frame) {
    BrowseState& st = s.state;
    st.current_frame = std::min(frame, st.frame_count);
    if (st.current_frame != 0) ShowCurrentFrame(s);
}

bool RecognisedArchiveOpen(const BrowseState& st) { return st.archive_open && st.block_count != 0; }

}  // namespace

void SaveArchive(Session& s) {
    BrowseState& st = s.state;
    if (CommandsHeldOff(s) || st.block_count == 0) return;
    if (!FlushModifiedBlock(s)) return;  // the change stays in memory; nothing is rebuilt
    const std::uint32_t block = st.current_block;
    const std::uint32_t frame = st.current_frame;
    st.busy = true;
    const auto path = st.archive.archive_path;
    const auto name = st.archive.archive_name;
    CloseArchive(st.archive);  // the rebuild replaces the file; our lock must not be held
    st.archive.archive_path = path;
    st.archive.archive_name = name;
    RebuildResult rebuilt;
    if (EnsureBlockTempDir(st.archive, s.program_dir)) {
        rebuilt = RebuildArchive(path, BlockTempDir(st.archive, s.program_dir));
    }
    if (rebuilt.ok) {
        if (!DeleteTempCopies(s)) s.ui->ShowMessage(text::kTempDeleteFailed);
    } else {
        s.ui->ShowMessage(rebuilt.error.empty() ? std::string(text::kSaveFailed) : rebuilt.error);
    }
    st.busy = false;
    OpenSelectedArchive(s);
    // An archive that cannot be opened again, or is not recognised, has shown its own message
    // or title; nothing of it is loaded.
    if (!RecognisedArchiveOpen(st)) return;
    st.current_block = std::clamp<std::uint32_t>(block, 1, st.block_count);
    LoadBlock(s);
    ShowFrame(s, frame);
}

void RestoreArchive(Session& s) {
    BrowseState& st = s.state;
    if (CommandsHeldOff(s) || st.block_count == 0) return;
    st.restore_enabled = false;
    bool deleted = EnsureBlockTempDir(st.archive, s.program_dir) && DeleteTempCopies(s);
    if (!deleted) s.ui->ShowMessage(text::kTempDeleteFailed);
    const std::uint32_t frame = st.current_frame;
    LoadBlock(s);  // from the archive: a change not yet written is dropped on purpose
    ShowFrame(s, frame);
    // A copy that could not be deleted still counts: Save and Restore stay as LoadBlock set them.
    if (deleted) st.save_enabled = false;
}

}  // namespace tavrel
