#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "archive/ResourceTree.h"

// Exporting one frame of a parsed block as a 32-bit BMP file.
namespace tavrel::cli {

enum class FrameExportOutcome {
    Written,
    NotAPicture,  // the frame's node is missing, not a texture entry, or too damaged to decode
    WriteFailed,  // the file could not be written (nothing is left at its path)
};

struct FrameExportResult {
    FrameExportOutcome outcome = FrameExportOutcome::NotAPicture;
    std::string message;  // the user-visible text for a failure, "" when written
};

// Frame `frame` (1-based) of `tree`: reads its header (setting the leaf's size), decodes it
// and writes it to `file` with WriteBitmapFile, replacing a file of that name.
FrameExportResult ExportFrame(BlockTree& tree, std::uint32_t frame,
                              const std::filesystem::path& file);

}  // namespace tavrel::cli
