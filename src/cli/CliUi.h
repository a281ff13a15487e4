#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "batch/BatchState.h"
#include "browse/Session.h"
#include "browse/UiPort.h"

// The user-interface port of the command line: messages go to stderr, the title is ignored,
// dialogs are answered from values preset by the command, and there is only one thread.
namespace tavrel::cli {

class CliUi : public UiPort {
public:
    std::optional<std::filesystem::path> open_path;  // answer of the open dialog
    std::optional<std::filesystem::path> save_path;  // answer of the save dialog
    std::optional<std::filesystem::path> folder;     // answer of the folder browser
    std::optional<std::string> number_text;          // answer of the number prompt
    int message_count = 0;

    void ShowMessage(const std::string& text, const std::string& caption) override;
    void SetTitle(const std::string&) override {}
    void InvalidateView() override {}
    void SetScrollExtent(int, int) override {}
    std::optional<std::filesystem::path> AskOpenBitmap() override { return open_path; }
    std::optional<std::filesystem::path> AskSaveBitmap() override { return save_path; }
    std::optional<std::string> AskNumberText() override { return number_text; }
    std::optional<std::filesystem::path> BrowseFolder(const std::string&) override {
        return folder;
    }
    void RunOnUiThread(const std::function<void()>& task) override { task(); }
};

// A batch progress display that stays silent (the command prints its own summary).
class CliProgress : public BatchProgress {
public:
    void SetProgressText(const std::string&) override {}
    void SetRange(std::uint16_t) override {}
    void SetPosition(std::int32_t) override {}
    void Close() override {}
};

// A session on the command line: program directory, codec and LOGOUT setting as the program
// would have them, and the CLI port.
struct CliSession {
    CliUi ui;
    Session session;

    explicit CliSession(const std::filesystem::path& program_dir);
    // Opens `archive` as the file tree would; false (reason on stderr) unless it is a
    // recognised archive. With `any_entry_count`, an archive with an entry table of another
    // size is browsed as well (its entry count taken as the block count).
    bool Open(const std::filesystem::path& archive, bool any_entry_count = false);
};

// Strict decimal reading of a command-line number; nullopt for anything else.
std::optional<std::uint32_t> ParseNumber(const std::string& text);

}  // namespace tavrel::cli
