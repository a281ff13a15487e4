#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "browse/Session.h"

// The operations on the browsing state, each run on the user-interface thread.
namespace tavrel {

// Opening, closing and loading.
void CloseSelectedArchive(Session& s);
void OpenSelectedArchive(Session& s);  // uses s.state.archive.archive_path / archive_name
void LoadBlock(Session& s);            // loads s.state.current_block
void RefreshTitle(Session& s);
std::string DebugCode(const BrowseState& state);
void ShowCurrentFrame(Session& s);

// Navigation.
bool FlushModifiedBlock(Session& s);  // false (with a message shown) when the copy failed
void NextBlock(Session& s);
void PrevBlock(Session& s);
void FirstBlock(Session& s);
void LastBlock(Session& s);
void GoToBlock(Session& s);
void NextFrame(Session& s);
void PrevFrame(Session& s);
void GoToFrame(Session& s);
// atoi reading of at most 31 characters with saturation, then unsigned clamping to 1..bound.
std::uint32_t ClampNumberText(const std::string& text, std::uint32_t bound);
std::optional<std::uint32_t> AskNumber(Session& s, std::uint32_t bound);
// atoi as the C library reads it, saturating at the 32-bit limits.
std::int32_t AtoiSaturating(const std::string& text);

// Single-picture import and export, Save and Restore.
void ImportPicture(Session& s);
void ExportPicture(Session& s);
void SaveArchive(Session& s);
void RestoreArchive(Session& s);

}  // namespace tavrel
