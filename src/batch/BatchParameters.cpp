// The batch parameters: dialog checks, the export range and the progress text.
#include <cstdio>
#include <filesystem>

#include "batch/BatchState.h"
#include "browse/Browsing.h"
#include "browse/Messages.h"

namespace tavrel {

namespace {

// The range texts are read the way atoi reads them, from at most 31 characters (a pasted
// long number is cut, never copied past a buffer), and taken as unsigned.
std::uint32_t RangeValue(const std::string& text) {
    return static_cast<std::uint32_t>(AtoiSaturating(text.substr(0, 31)));
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

}  // namespace

void ComputeExportRange(BatchState& batch, std::uint32_t block_count) {
    std::uint32_t first = RangeValue(batch.first_block_text);
    if (first < 1) {
        first = 1;
    } else if (first > block_count) {
        first = block_count;
    }
    std::uint32_t last = RangeValue(batch.last_block_text);
    if (last < first) {
        last = first;
    } else if (last > block_count) {
        last = block_count;
    }
    batch.first_block = first;
    batch.last_block = last;
}

std::string ProgressText(const BatchState& batch) {
    if (batch.mode == BatchMode::Import) return batch.status_text;
    char text[64];
    std::snprintf(text, sizeof text, text::kExportProgressFormat, batch.progress_done,
                  batch.progress_total);
    return text;
}

void RefreshProgressText(const BatchState& batch, BatchProgress& progress) {
    progress.SetProgressText(ProgressText(batch));
}

std::string CheckExportParameters(BatchState& batch, const std::string& first,
                                  const std::string& last, const std::string& folder) {
    batch.first_block_text = first;
    batch.last_block_text = last;
    batch.picture_dir = TrimTrailingBackslashes(folder);
    if (!Exists(batch.picture_dir)) return text::kFolderMissing;
    if (first.empty() || last.empty()) return text::kRangeEmpty;
    return "";
}

std::string CheckImportParameters(BatchState& batch, const std::string& folder) {
    batch.picture_dir = TrimTrailingBackslashes(folder);
    if (!Exists(batch.picture_dir)) return text::kIllegalPath;
    return "";
}

void OpenBatch(Session& s, BatchState& batch, BatchMode mode) {
    batch.mode = mode;
    batch.abort_requested = false;
    batch.status_text.clear();
    batch.frames_done = 0;
    batch.frames_refused = 0;
    batch.rebuild_ok = false;
    if (mode == BatchMode::Import) {
        batch.first_block = 1;
        batch.last_block = s.state.block_count;
    } else {
        ComputeExportRange(batch, s.state.block_count);
    }
}

}  // namespace tavrel
