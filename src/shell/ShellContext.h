#pragma once

#include "CommandIds.h"
#include "CommandRules.h"
#include "batch/BatchState.h"
#include "browse/Browsing.h"
#include "browse/Session.h"

namespace tavrel::shell {

class CLeftView;
class CMainFrame;
class CTavrelView;
class DialogProvider;

// What the windows of one application share: the browsing session and batch state, the
// dialog provider, and the registry of the three windows that private messages go to.
// The registry is filled while the main frame is built and never cleared.
struct ShellContext {
    Session& session;
    BatchState& batch;
    DialogProvider& dialogs;

    CMainFrame* frame = nullptr;  // 0x1803
    CLeftView* tree = nullptr;    // 0x1801, 0x1802
    CTavrelView* view = nullptr;  // every other message but 0x1818

    bool game_path_known = false;  // set by 0x1803, never cleared
    bool batch_active = false;     // a progress dialog is open (from OK until it closes)

    // A batch holds browsing off from the moment its progress dialog opens (the range is
    // computed then) until the dialog has closed; the browsing layer adds its own guard.
    ShellFlags Flags() const { return {game_path_known, batch_active || CommandsHeldOff(session)}; }
};

// Synchronous delivery of a private message to the window the registry names for it.
void SendPrivateMessage(ShellContext& ctx, PrivateMessage message);

// Writes a modified current block to its temporary copy before the in-memory tree is
// replaced (another archive, another game directory, a batch, leaving the program).
// False when the caller must not go on: the copy could not be written (the browsing layer
// has shown why), or a batch owns the tree.
bool FlushPendingBlock(ShellContext& ctx);

}  // namespace tavrel::shell
