#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "browse/Session.h"

// The operations on the browsing state, each run on the user-interface thread.
namespace tavrel {

// Opening, closing and loading.
void CloseSelectedArchive(Session& s);
// Uses s.state.archive.archive_path / archive_name. A modified block of the archive shown so
// far is written to its temporary copy first; when that fails the message is shown, the
// previous archive stays open and the selection fields are set back to it.
void OpenSelectedArchive(Session& s);
// Loads s.state.current_block. A temporary copy that exists but cannot be read is reported
// and the archive's own block is shown instead; the copy is left where it is.
void LoadBlock(Session& s);
void RefreshTitle(Session& s);
std::string DebugCode(const BrowseState& state);
void ShowCurrentFrame(Session& s);

// True while a batch runs or a rebuild is under way: commands that would change the browsing
// state (navigation, import, export, Save, Restore, another archive, Open or Change game
// directory, another batch) must not run. The shell's enabling rules read it.
bool CommandsHeldOff(const Session& s);

// Navigation.
// Writes a modified current block to its temporary copy. The tree stays usable either way
// (a copy of it is serialized): after success it is no longer marked modified; after a
// failure it stays modified in memory, the message is shown and false is returned, and the
// caller must not replace the tree (the navigation is cancelled).
bool FlushModifiedBlock(Session& s);
// The same without a message: the failure text goes to `error`.
bool WriteModifiedBlock(Session& s, std::string* error);
// Called by the shell before Open or Change game directory and at exit: a pending
// modification reaches its temporary copy. False (message shown) when it could not be
// written, or (nothing done) while a batch owns the tree; the caller should then not go on.
bool FlushBeforeLeaving(Session& s);
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
