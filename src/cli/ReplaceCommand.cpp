// tavrel-cli replace ARCHIVE BLOCK FRAME FILE.bmp [--force]
// Replaces one frame as the Import command would (or as the forced portrait import, with
// --force) and writes the block to its temporary copy, as leaving the block would.
#include <cstdio>

#include "CliCommand.h"
#include "CliUi.h"
#include "batch/BatchState.h"
#include "browse/Browsing.h"

namespace tavrel::cli {

namespace {

int Run(const Args& args) {
    if (args.positional.size() != 4) {
        std::fprintf(stderr, "usage: tavrel-cli replace ARCHIVE BLOCK FRAME FILE.bmp [--force]\n");
        return kUsage;
    }
    const auto block = ParseNumber(args.positional[1]);
    const auto frame = ParseNumber(args.positional[2]);
    if (!block || !frame) {
        std::fprintf(stderr, "BLOCK and FRAME must be decimal numbers\n");
        return kUsage;
    }
    CliSession cli(args.program_dir);
    Session& s = cli.session;
    BrowseState& st = s.state;
    if (!cli.Open(args.positional[0])) return kFatal;
    if (*block < 1 || *block > st.block_count) {
        std::fprintf(stderr, "block %u is outside 1..%u\n", *block, st.block_count);
        return kUsage;
    }
    st.current_block = *block;
    LoadBlock(s);
    if (*frame < 1 || *frame > st.frame_count) {
        std::fprintf(stderr, "frame %u is outside 1..%u of block %u\n", *frame, st.frame_count,
                     *block);
        return kUsage;
    }
    st.current_frame = *frame;
    ShowCurrentFrame(s);
    cli.ui.open_path = args.positional[3];
    if (args.Has("force")) {
        if (!st.portrait_import_enabled) {
            std::fprintf(stderr, "--force applies to blocks 33..37 of a 49-block archive only\n");
            return kRefused;
        }
        ForcePortraitImport(s);
    } else {
        ImportPicture(s);
    }
    if (!st.tree.root.modified) return kRefused;  // the system's message is on stderr
    if (!FlushModifiedBlock(s)) return kFatal;
    std::printf("block %u frame %u replaced; block copy %s\n", *block, *frame,
                BlockTempPath(st.archive, s.program_dir, *block).string().c_str());
    return kOk;
}

Registrar registrar{{"replace", "replace ARCHIVE BLOCK FRAME FILE.bmp [--force]", {}, &Run}};

}  // namespace
}  // namespace tavrel::cli
