#include <cstdio>

#include "browse/Browsing.h"
#include "browse/Messages.h"

namespace tavrel {

std::string DebugCode(const BrowseState& state) {
    if (state.frame_count == 0) return "";
    const std::uint32_t frame = state.current_frame;
    if (frame == 0 || frame > state.tree.frames.size()) return "";
    const FramePath& path = state.tree.frames[frame - 1];
    char code[16];
    std::snprintf(code, sizeof code, "%.4X%.4X%.4X", unsigned{path.index[0]},
                  unsigned{path.index[1]}, unsigned{path.index[2]});
    return code;
}

void RefreshTitle(Session& s) {
    const BrowseState& st = s.state;
    char title[256];
    if (s.logout) {
        std::snprintf(title, sizeof title, text::kDebugTitleFormat, st.current_block,
                      st.block_count, st.current_frame, st.frame_count, DebugCode(st).c_str());
    } else {
        std::snprintf(title, sizeof title, text::kTitleFormat, st.current_block, st.block_count,
                      st.current_frame, st.frame_count);
    }
    s.ui->SetTitle(title);
}

}  // namespace tavrel
