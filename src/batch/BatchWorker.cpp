// The worker procedure of both batch modes and the export loop over blocks and frames.
#include "UiThread.h"
#include "batch/BatchState.h"
#include "browse/Browsing.h"

namespace tavrel {

using batch_detail::OnUi;

namespace {

void SetRange(Session& s, BatchProgress& progress, std::int32_t total) {
    // The bar's maximum travels as a 16-bit value.
    OnUi(s, [&] { progress.SetRange(static_cast<std::uint16_t>(total)); });
}

void SetPosition(Session& s, BatchProgress& progress, std::int32_t position) {
    OnUi(s, [&] { progress.SetPosition(position); });
}

void RunBatchExport(Session& s, BatchState& batch, BatchProgress& progress) {
    BrowseState& st = s.state;
    if (st.block_count == 0 || batch.first_block == 0) return;
    batch.progress_total = static_cast<std::int32_t>(batch.last_block - batch.first_block + 1);
    batch.progress_done = 0;
    SetRange(s, progress, batch.progress_total);
    SetPosition(s, progress, 0);
    for (std::uint32_t b = batch.first_block; b <= batch.last_block; ++b) {
        ++batch.progress_done;
        OnUi(s, [&] {
            st.current_block = b;
            LoadBlock(s);
        });
        if (st.has_frames) {
            const std::uint32_t frames = st.frame_count;
            // An abort stops the frames only: every remaining block is still loaded.
            for (std::uint32_t f = 1; f <= frames && !batch.abort_requested; ++f) {
                st.current_frame = f;
                ExportBatchFrame(s, batch, progress);
            }
        }
        SetPosition(s, progress, batch.progress_done);
    }
}

// Writes a pending single-import change before the batch replaces the tree. False when it
// could not be written (message shown): the batch does not start.
bool FlushBeforeBatch(Session& s) {
    bool flushed = true;
    OnUi(s, [&] { flushed = FlushModifiedBlock(s); });
    return flushed;
}

}  // namespace

void BatchWorker(Session& s, BatchState& batch, BatchProgress& progress) {
    batch.running = true;
    s.state.batch_running = true;
    if (FlushBeforeBatch(s)) {
        if (batch.mode == BatchMode::Import) {
            RunBatchImport(s, batch, progress);
        } else {
            RunBatchExport(s, batch, progress);
        }
    } else if (batch.mode == BatchMode::Import) {
        s.state.busy = false;  // set when the import's parameter dialog opened
    }
    OnUi(s, [&] { progress.Close(); });
    s.state.batch_running = false;
    batch.running = false;
}

}  // namespace tavrel
