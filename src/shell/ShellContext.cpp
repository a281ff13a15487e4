#include "ShellContext.h"

#include "CLeftView.h"
#include "CMainFrame.h"
#include "CTavrelView.h"
#include "UiThread.h"

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

bool FlushPendingBlock(ShellContext& ctx) {
    if (ctx.batch_active) return false;  // the batch's worker owns the tree
    return FlushBeforeLeaving(ctx.session);
}

}  // namespace tavrel::shell
