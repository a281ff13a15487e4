#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "browse/Session.h"

// Batch import and export on a worker thread behind the progress dialog.
namespace tavrel {

enum class BatchMode { Import, Export };

// What the progress dialog shows; every call arrives on the user-interface thread (the
// worker goes through UiPort::RunOnUiThread).
class BatchProgress {
public:
    virtual ~BatchProgress() = default;
    virtual void SetProgressText(const std::string& text) = 0;
    virtual void SetRange(std::uint16_t maximum) = 0;  // the bar's 16-bit maximum
    virtual void SetPosition(std::int32_t position) = 0;
    virtual void Close() = 0;  // the worker ends the dialog
};

struct BatchState {
    BatchMode mode = BatchMode::Export;
    std::string picture_dir;  // after TrimTrailingBackslashes
    std::string first_block_text = "1";
    std::string last_block_text = "1";
    std::uint32_t first_block = 1;
    std::uint32_t last_block = 1;
    std::int32_t progress_total = 0;
    std::int32_t progress_done = 0;
    std::string status_text;
    std::atomic<bool> abort_requested{false};
    std::atomic<bool> running{false};
    // Outcome counters for the command line (frames written / replaced / refused).
    std::uint32_t frames_done = 0;
    std::uint32_t frames_refused = 0;
    bool rebuild_ok = false;  // batch import: the archive was rebuilt
};

// picture_dir + separator + "%.5d_%.5d.bmp" of block and frame.
std::string BatchFileName(const std::string& picture_dir, std::uint32_t block, std::uint32_t frame);
// Drops trailing path separators, keeping at least one character.
std::string TrimTrailingBackslashes(std::string text);
// The export range from the two texts (atoi reading, clamped to 1..block_count).
void ComputeExportRange(BatchState& batch, std::uint32_t block_count);
std::string ProgressText(const BatchState& batch);  // RefreshProgressText's text

// Dialog checks; return the message to show, or "" when the parameters pass.
std::string CheckExportParameters(BatchState& batch, const std::string& first,
                                  const std::string& last, const std::string& folder);
std::string CheckImportParameters(BatchState& batch, const std::string& folder);

// Called when the progress dialog opens (clears abort, computes the range).
void OpenBatch(Session& s, BatchState& batch, BatchMode mode);
// The worker procedure; runs on the calling thread (the worker), talking to the
// user-interface thread through s.ui->RunOnUiThread and to the dialog through `progress`.
void BatchWorker(Session& s, BatchState& batch, BatchProgress& progress);

// Sets the progress text (RefreshProgressText); call on the user-interface thread.
void RefreshProgressText(const BatchState& batch, BatchProgress& progress);

// Export of frame current_frame of block current_block to BatchFileName (worker thread).
void ExportBatchFrame(Session& s, BatchState& batch, BatchProgress& progress);

// The whole batch import (worker thread): every matching file of picture_dir replaces its
// frame, changed blocks go to their temporary copies, the archive is rebuilt and reopened at
// the block and frame that were current before.
void RunBatchImport(Session& s, BatchState& batch, BatchProgress& progress);
// Replaces frame `frame` of the loaded block `block` from `path`; false (message shown) when
// the file was refused.
bool ImportBatchFrame(Session& s, BatchState& batch, std::uint32_t block, std::uint32_t frame,
                      const std::filesystem::path& path);

// The change log "OSTRIMdatachange.log" in the program directory (INI format: one section
// named after the archive, one line "<block>=1" per changed block).
inline constexpr const char* kChangeLogName = "OSTRIMdatachange.log";
void DeleteChangeLog(const std::filesystem::path& program_dir);
bool WriteChangeLogEntry(const std::filesystem::path& program_dir, const std::string& archive_name,
                         std::uint32_t block);

// The forced portrait import of the current frame: any size whose sides are powers of two up
// to 32768. With LOGOUT on, the replaced frame is also dumped as a one-entry texture pack to
// PortraitDumpPath; a failed dump is reported and leaves the replacement in place.
void ForcePortraitImport(Session& s);
// program_dir/facetemp/"%.5d"/"%.5d.data" of block and frame.
std::filesystem::path PortraitDumpPath(const std::filesystem::path& program_dir,
                                       std::uint32_t block, std::uint32_t frame);

}  // namespace tavrel
