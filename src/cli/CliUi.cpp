#include "CliUi.h"

#include <charconv>
#include <cstdio>

#include "archive/LwCodec.h"
#include "browse/Browsing.h"
#include "browse/SettingsFile.h"

namespace tavrel::cli {

void CliUi::ShowMessage(const std::string& text, const std::string& caption) {
    ++message_count;
    // The system's texts end with a line break and a blank; one line each on stderr.
    std::string line = text;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n')) line.pop_back();
    std::fprintf(stderr, "%s\n", line.c_str());
}

CliSession::CliSession(const std::filesystem::path& program_dir) {
    session.ui = &ui;
    session.program_dir = program_dir;
    session.codec = LoadLwCodec(program_dir);
    session.logout = ReadSettings(program_dir).logout == "1";
}

bool CliSession::Open(const std::filesystem::path& archive, bool any_entry_count) {
    BrowseState& st = session.state;
    st.archive.archive_path = archive;
    st.archive.archive_name = archive.filename().string();
    const int messages = ui.message_count;
    OpenSelectedArchive(session);
    if (st.archive_open && st.block_count != 0) return true;
    if (any_entry_count && st.archive.file_open && st.archive.entry_count != 0) {
        st.block_count = st.archive.entry_count;
        st.archive_open = true;
        st.current_block = 1;
        LoadBlock(session);
        return true;
    }
    if (ui.message_count == messages) {
        std::fprintf(stderr, "%s: not a recognised archive\n", archive.string().c_str());
    }
    return false;
}

std::optional<std::uint32_t> ParseNumber(const std::string& text) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

}  // namespace tavrel::cli
