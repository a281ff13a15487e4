// Moving between the blocks of the open archive and the frames of the current block.
#include "browse/Browsing.h"

namespace tavrel {

namespace {

// Block commands need a recognised archive and must not run under a batch or a rebuild.
bool BlockCommandAllowed(const Session& s) {
    return !CommandsHeldOff(s) && s.state.block_count != 0;
}

// Writes the pending change, then loads `block`. A failed write cancels the move.
void MoveToBlock(Session& s, std::uint32_t block) {
    if (!FlushModifiedBlock(s)) return;
    s.state.current_block = block;
    LoadBlock(s);
}

bool FrameCommandAllowed(const Session& s) {
    return !CommandsHeldOff(s) && s.state.frame_count != 0;
}

}  // namespace

void NextBlock(Session& s) {
    if (!BlockCommandAllowed(s)) return;
    const auto& st = s.state;
    MoveToBlock(s, st.current_block < st.block_count ? st.current_block + 1 : st.current_block);
}

void PrevBlock(Session& s) {
    if (!BlockCommandAllowed(s)) return;
    const auto& st = s.state;
    MoveToBlock(s, st.current_block > 1 ? st.current_block - 1 : st.current_block);
}

void FirstBlock(Session& s) {
    if (!BlockCommandAllowed(s)) return;
    MoveToBlock(s, 1);
}

void LastBlock(Session& s) {
    if (!BlockCommandAllowed(s)) return;
    MoveToBlock(s, s.state.block_count);
}

void GoToBlock(Session& s) {
    if (!BlockCommandAllowed(s)) return;
    const auto number = AskNumber(s, s.state.block_count);
    if (!number) return;
    MoveToBlock(s, *number);
}

void NextFrame(Session& s) {
    if (!FrameCommandAllowed(s)) return;
    auto& st = s.state;
    if (st.current_frame < st.frame_count) ++st.current_frame;
    ShowCurrentFrame(s);
}

void PrevFrame(Session& s) {
    if (!FrameCommandAllowed(s)) return;
    auto& st = s.state;
    if (st.current_frame > 1) --st.current_frame;
    ShowCurrentFrame(s);
}

void GoToFrame(Session& s) {
    if (!FrameCommandAllowed(s)) return;
    const auto number = AskNumber(s, s.state.frame_count);
    if (!number) return;
    s.state.current_frame = *number;
    ShowCurrentFrame(s);
}

std::optional<std::uint32_t> AskNumber(Session& s, std::uint32_t bound) {
    const std::optional<std::string> typed = s.ui->AskNumberText();
    if (!typed) return std::nullopt;
    return ClampNumberText(*typed, bound);
}

}  // namespace tavrel
