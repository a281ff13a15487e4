#include "UiThread.h"
#include "batch/BatchState.h"
#include "browse/FrameAccess.h"
#include "browse/Messages.h"
#include "picture/BitmapFile.h"

namespace tavrel {

void ExportBatchFrame(Session& s, BatchState& batch, BatchProgress& progress) {
    BrowseState& st = s.state;
    bool written = false;
    if (ResourceNode* leaf = CurrentFrameLeaf(st)) {
        const TextureInfo info = ReadLeafTextureInfo(*leaf);
        if (const auto picture = DecodeLeaf(*leaf, info)) {
            const auto path = BatchFileName(batch.picture_dir, st.current_block, st.current_frame);
            written = WriteBitmapFile(path, *picture);
        }
    }
    if (written) {
        ++batch.frames_done;
    } else {
        ++batch.frames_refused;
        batch_detail::ShowMessageOnUi(s, text::kExportFailed);
    }
    batch_detail::OnUi(s, [&] { RefreshProgressText(batch, progress); });
}

}  // namespace tavrel
