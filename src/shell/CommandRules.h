#pragma once

#include "CommandIds.h"
#include "batch/BatchState.h"
#include "browse/Session.h"

// Whether a command may run now. The tree pane and the picture view follow the same rules,
// so a command has the same effect whichever pane executes it.
namespace tavrel::shell {

struct ShellFlags {
    bool game_path_known = false;  // an Open accepted a game directory in this run
    bool batch_running = false;    // a batch's progress dialog is open
};

bool CommandEnabled(int id, const BrowseState& state, const ShellFlags& shell);

// Commands that would change the browsing state under a running batch worker.
bool HeldOffWhileBatchRuns(int id);

}  // namespace tavrel::shell
