// tavrel-cli import ARCHIVE --from DIR
// The batch import: every file DIR/<block>_<frame>.bmp (five digits each) replaces its frame,
// and the archive is rebuilt. Exit 3 when some files were refused (each message on stderr).
#include <cstdio>

#include "CliCommand.h"
#include "CliUi.h"
#include "batch/BatchState.h"

namespace tavrel::cli {

namespace {

int Run(const Args& args) {
    if (args.positional.size() != 1 || !args.Has("from")) {
        std::fprintf(stderr, "usage: tavrel-cli import ARCHIVE --from DIR\n");
        return kUsage;
    }
    CliSession cli(args.program_dir);
    Session& s = cli.session;
    if (!cli.Open(args.positional[0])) return kFatal;
    BatchState batch;
    if (const std::string refusal = CheckImportParameters(batch, args.Get("from"));
        !refusal.empty()) {
        cli.ui.ShowMessage(refusal, kDefaultCaption);
        return kFatal;
    }
    s.state.busy = true;  // as from the opening of the import's parameter dialog
    OpenBatch(s, batch, BatchMode::Import);
    CliProgress progress;
    BatchWorker(s, batch, progress);
    std::printf("%u frames replaced, %u refused\n", batch.frames_done, batch.frames_refused);
    if (!batch.rebuild_ok) return kFatal;
    return batch.frames_refused != 0 ? kRefused : kOk;
}

Registrar registrar{{"import", "import ARCHIVE --from DIR", {"from"}, &Run}};

}  // namespace
}  // namespace tavrel::cli
