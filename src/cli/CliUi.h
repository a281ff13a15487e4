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

// The batch progress on the command line: a one-line bar on stderr when stderr is a
// terminal, nothing otherwise (scripts and tests get only the command's summary).
class CliProgress : public BatchProgress {
public:
    CliProgress();
    void SetProgressText(const std::string& text) override;
    void SetRange(std::uint16_t maximum) override;
    void SetPosition(std::int32_t position) override;
    void Close() override;
    // For work that reports (done, total) itself, such as the archive rebuild.
    void Update(std::int64_t done, std::int64_t total, const std::string& text);

private:
    void Draw();
    bool enabled_ = false;
    bool drawn_ = false;
    std::int64_t done_ = 0;
    std::int64_t total_ = 0;
    std::string text_;
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
