#include "ShellContext.h"

#include "CLeftView.h"
#include "CMainFrame.h"
#include "CTavrelView.h"
#include "UiThread.h"
#include "browse/Browsing.h"

namespace tavrel::shell {

void SendPrivateMessage(ShellContext& ctx, PrivateMessage message) {
    switch (message) {
        case kMsgOpenGameDir:
        case kMsgChangeGameDir:
            if (ctx.tree)
                RunOnUiThreadBlocking(ctx.tree, [&] { ctx.tree->HandleMessage(message); });
            return;
        case kMsgGamePathKnown:
            if (ctx.frame)
                RunOnUiThreadBlocking(ctx.frame, [&] { ctx.frame->HandleMessage(message); });
            return;
        case kMsgRefreshProgressText:
            return;  // goes to the progress dialog object itself, not through the registry
        default:
            if (ctx.view)
                RunOnUiThreadBlocking(ctx.view, [&] { ctx.view->HandleMessage(message); });
            return;
    }
}

bool FlushBeforeLeaving(ShellContext& ctx) {
    BrowseState& state = ctx.session.state;
    // Only a block of the open, recognised archive can be pending; a batch owns the block
    // while it runs.
    if (!state.archive_open || state.busy || ctx.batch_active) return true;
    return FlushModifiedBlock(ctx.session);
}

}  // namespace tavrel::shell
