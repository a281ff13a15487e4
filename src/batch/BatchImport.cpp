// The batch import: every file of the folder named by BatchFileName replaces its frame, the
// changed blocks go to their temporary copies and the archive is rebuilt in the same run.
#include <algorithm>
#include <system_error>

#include "UiThread.h"
#include "archive/ArchiveRebuild.h"
#include "batch/BatchState.h"
#include "browse/Browsing.h"
#include "browse/FrameAccess.h"
#include "browse/Messages.h"
#include "picture/BitmapFile.h"

namespace tavrel {

using batch_detail::OnUi;
using batch_detail::ShowMessageOnUi;

bool ImportBatchFrame(Session& s, BatchState& batch, std::uint32_t block, std::uint32_t frame,
                      const std::filesystem::path& path) {
    BrowseState& st = s.state;
    st.current_frame = frame;
    ResourceNode* leaf = CurrentFrameLeaf(st);
    if (!leaf) {
        ShowMessageOnUi(s, text::kImportFormatFailed);
        return false;
    }
    const TextureInfo info = ReadLeafTextureInfo(*leaf);
    const BitmapRead read = ReadReplacementBitmap(path, info.width, info.height);
    if (read.outcome != BitmapOutcome::Success) {
        ShowMessageOnUi(s, BitmapOutcomeMessage(read.outcome));
        return false;
    }
    const ReplacementEntry entry = BuildReplacementEntry(s, s.batch_encode_options, LeafEntry(*leaf), info, read.picture);
    if (!entry.ok) {
        ShowMessageOnUi(s, entry.error);
        return false;
    }
    ReplaceFrameData(st.tree, st.tree.frames[frame - 1], entry.bytes);
    OnUi(s, [&] { ShowCurrentFrame(s); });
    return true;
}

namespace {

void Status(Session& s, BatchState& batch, BatchProgress& progress, const char* status) {
    batch.status_text = status;
    OnUi(s, [&] { RefreshProgressText(batch, progress); });
}

void Position(Session& s, BatchProgress& progress, std::int32_t position) {
    OnUi(s, [&] { progress.SetPosition(position); });
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// Imports the matching files of one loaded block and writes the block's copy when changed.
void ImportBlock(Session& s, BatchState& batch, BatchProgress& progress, std::uint32_t b) {
    BrowseState& st = s.state;
    const std::uint32_t frames = st.frame_count;
    batch.progress_total = static_cast<std::int32_t>(frames);
    batch.progress_done = 0;
    OnUi(s, [&] {
        progress.SetRange(static_cast<std::uint16_t>(frames));
        progress.SetPosition(0);
    });
    for (std::uint32_t f = 1; f <= frames; ++f) {
        st.current_frame = f;
        const std::string path = BatchFileName(batch.picture_dir, b, f);
        if (FileExists(path)) {
            if (ImportBatchFrame(s, batch, b, f, path)) {
                ++batch.frames_done;
            } else {
                ++batch.frames_refused;
            }
        }
        Position(s, progress, ++batch.progress_done);
    }
    if (!st.tree.root.modified) return;
    std::string error;
    if (!WriteModifiedBlock(s, &error)) {
        // The next load replaces this tree: say so, and let the changes of this block go.
        ShowMessageOnUi(s, error);
        batch.frames_refused += 1;
        st.tree.root.modified = false;
        return;
    }
    if (s.logout) WriteChangeLogEntry(s.program_dir, st.archive.archive_name, b);
}

void DeleteTempCopies(Session& s) {
    for (std::uint32_t i = 1; i <= s.state.block_count; ++i) {
        std::error_code ec;
        std::filesystem::remove(BlockTempPath(s.state.archive, s.program_dir, i), ec);
    }
}

void Rebuild(Session& s, BatchState& batch) {
    ArchiveIndex& archive = s.state.archive;
    const auto path = archive.archive_path;
    const auto name = archive.archive_name;
    CloseArchive(archive);
    archive.archive_path = path;
    archive.archive_name = name;
    RebuildResult rebuilt;
    if (EnsureBlockTempDir(archive, s.program_dir)) {
        rebuilt = RebuildArchive(path, BlockTempDir(archive, s.program_dir));
    }
    batch.rebuild_ok = rebuilt.ok;
    if (!rebuilt.ok)
        ShowMessageOnUi(s, rebuilt.error.empty() ? std::string(text::kSaveFailed) : rebuilt.error);
}

// Reopens the archive and returns to the remembered block and frame, when it is recognised.
void Reopen(Session& s, std::uint32_t block, std::uint32_t frame) {
    BrowseState& st = s.state;
    OnUi(s, [&] { OpenSelectedArchive(s); });
    if (!st.archive_open || st.block_count == 0) return;
    OnUi(s, [&] {
        st.current_block = std::clamp<std::uint32_t>(block, 1, st.block_count);
        LoadBlock(s);
    });
    st.current_frame = std::min(frame, st.frame_count);
    if (st.current_frame != 0) OnUi(s, [&] { ShowCurrentFrame(s); });
    st.archive_open = true;
}

}  // namespace

void RunBatchImport(Session& s, BatchState& batch, BatchProgress& progress) {
    BrowseState& st = s.state;
    st.busy = true;
    const std::uint32_t block = st.current_block;
    const std::uint32_t frame = st.current_frame;
    Status(s, batch, progress, text::kStatusInit);
    DeleteChangeLog(s.program_dir);
    st.archive_open = false;
    st.frames_available = false;
    st.save_enabled = false;
    st.restore_enabled = false;
    Status(s, batch, progress, text::kStatusWorking);
    const std::uint32_t blocks = st.block_count;
    for (std::uint32_t b = 1; b <= blocks; ++b) {
        OnUi(s, [&] {
            st.current_block = b;
            LoadBlock(s);
        });
        ImportBlock(s, batch, progress, b);
    }
    Status(s, batch, progress, text::kStatusRebuild);
    Position(s, progress, ++batch.progress_done);
    Rebuild(s, batch);
    Position(s, progress, ++batch.progress_done);
    Status(s, batch, progress, text::kStatusCleanup);
    if (batch.rebuild_ok) DeleteTempCopies(s);
    st.busy = false;
    Reopen(s, block, frame);
}

}  // namespace tavrel
