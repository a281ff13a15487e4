// tavrel-cli export ARCHIVE --out DIR [--first A] [--last B]: every frame of blocks A..B as
// DIR/<block>_<frame>.bmp ("%.5d_%.5d.bmp"), the files the batch import reads back. It runs
// the batch export itself: the same range rules, file names and messages as in the window.
#include <cstdio>
#include <string>

#include "CliCommand.h"
#include "CliUi.h"
#include "batch/BatchState.h"

namespace tavrel::cli {

namespace {

int RunExport(const Args& args) {
    if (args.positional.size() != 1 || !args.Has("out")) {
        std::fprintf(stderr, "usage: tavrel-cli export ARCHIVE --out DIR [--first A] [--last B]\n");
        return kUsage;
    }
    CliSession cli(args.program_dir);
    Session& s = cli.session;
    // Any archive with an entry table can be exported, recognised or not.
    if (!cli.Open(args.positional[0], /*any_entry_count=*/true)) return kFatal;
    BatchState batch;
    const std::string refusal = CheckExportParameters(
        batch, args.Get("first", "1"), args.Get("last", std::to_string(s.state.block_count)),
        args.Get("out"));
    if (!refusal.empty()) {
        cli.ui.ShowMessage(refusal, kDefaultCaption);
        std::fprintf(stderr, "%s\n", batch.picture_dir.c_str());
        return kFatal;
    }
    OpenBatch(s, batch, BatchMode::Export);
    CliProgress progress;
    BatchWorker(s, batch, progress);
    std::printf("exported %u frame(s) of blocks %u-%u to %s\n", batch.frames_done,
                batch.first_block, batch.last_block, batch.picture_dir.c_str());
    return batch.frames_refused == 0 ? kOk : kRefused;
}

Registrar registrar{
    {"export",
     "export ARCHIVE --out DIR [--first A] [--last B]   every frame of blocks A..B as "
     "DIR/%.5d_%.5d.bmp",
     {"out", "first", "last"},
     RunExport}};

}  // namespace
}  // namespace tavrel::cli
