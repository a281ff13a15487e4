// Writing a modified block to its temporary copy before anything replaces the tree.
#include "archive/BlockWriter.h"
#include "browse/Browsing.h"
#include "browse/Messages.h"

namespace tavrel {

bool WriteModifiedBlock(Session& s, std::string* error) {
    BrowseState& st = s.state;
    if (!st.tree.root.modified || st.tree_block == 0) return true;
    // The copy belongs to the archive and block the tree was loaded from.
    ArchiveIndex owner;
    owner.archive_path = st.tree_archive_path;
    owner.archive_name = st.tree_archive_name;
    std::string detail;
    bool ok = EnsureBlockTempDir(owner, s.program_dir);
    if (ok) {
        // Serializing turns a tree into write-back bytes; writing a copy keeps the user's
        // tree intact (and still modified) when the write fails.
        BlockTree copy = st.tree;
        ok = WriteBlockTemp(copy, BlockTempPath(owner, s.program_dir, st.tree_block), s.codec.get(),
                            &detail);
    }
    if (!ok) {
        if (error) *error = std::string(text::kTempWriteFailed) + detail;
        return false;
    }
    st.tree.root.modified = false;  // the copy on disk now holds the change
    return true;
}

bool FlushModifiedBlock(Session& s) {
    std::string error;
    if (WriteModifiedBlock(s, &error)) return true;
    s.ui->ShowMessage(error);
    return false;
}

bool FlushBeforeLeaving(Session& s) {
    if (s.state.batch_running) return false;  // the worker owns the tree until it ends
    return FlushModifiedBlock(s);
}

}  // namespace tavrel
