#pragma once

#include <QObject>
#include <filesystem>
#include <memory>

#include "QtDialogProvider.h"
#include "batch/BatchState.h"
#include "browse/Session.h"

namespace tavrel::shell {

class CMainFrame;
struct ShellContext;

// The application object: owns the one browsing session and batch state, builds and shows
// the main window (title "Tavrel 1.0    by Kelvane"), shows the About box. Nothing is read
// from the settings file at start; leaving writes a pending block to its temporary copy.
class CTavrelApp : public QObject {
    Q_OBJECT
public:
    // `dialogs` replaces the real dialogs (tests); nullptr uses them.
    explicit CTavrelApp(std::filesystem::path program_dir, DialogProvider* dialogs = nullptr);
    ~CTavrelApp() override;

    bool InitInstance();  // builds and shows the main window
    int ExitInstance();
    void OnAppAbout();

    // Runs Open with the game directory of Tavrel.ini when that names a folder, then selects
    // `archive` in the tree (or opens it directly when the tree does not list it).
    void OpenArchiveAtStart(const std::filesystem::path& archive);

    CMainFrame* MainFrame() const { return frame_.get(); }
    Session& GetSession() { return session_; }
    BatchState& Batch() { return batch_; }
    ShellContext& Context() { return *ctx_; }

private:
    QtDialogProvider real_dialogs_;
    Session session_;
    BatchState batch_;
    std::unique_ptr<ShellContext> ctx_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace tavrel::shell
