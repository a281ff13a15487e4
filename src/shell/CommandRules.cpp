#include "CommandRules.h"

namespace tavrel::shell {

bool HeldOffWhileBatchRuns(int id) {
    switch (id) {
        case kCmdAbout:
        case kCmdExit:
            return false;
        default:
            return true;
    }
}

bool CommandEnabled(int id, const BrowseState& state, const ShellFlags& shell) {
    if (shell.batch_running && HeldOffWhileBatchRuns(id)) return false;
    switch (id) {
        case kCmdOpen:
        case kCmdAbout:
        case kCmdExit:
            return true;
        case kCmdChangeGameDir:
            return shell.game_path_known;
        case kCmdNextBlock:
        case kCmdPrevBlock:
        case kCmdFirstBlock:
        case kCmdLastBlock:
        case kCmdGoToBlock:
        case kCmdBatchImport:
        case kCmdBatchExport:
            return state.archive_open;
        // Go to frame asks for a frame number, so it needs frames whichever pane runs it.
        case kCmdImport:
        case kCmdExport:
        case kCmdPrevFrame:
        case kCmdNextFrame:
        case kCmdGoToFrame:
            return state.frames_available;
        case kCmdSave:
            return state.save_enabled;
        case kCmdRestore:
            return state.restore_enabled;
        case kCmdForceImport:
            return state.portrait_import_enabled;
        default:
            return false;
    }
}

}  // namespace tavrel::shell
