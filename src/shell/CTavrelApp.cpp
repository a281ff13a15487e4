#include "CTavrelApp.h"

#include <QApplication>
#include <system_error>

#include "CAboutDlg.h"
#include "CLeftView.h"
#include "CMainFrame.h"
#include "ShellContext.h"
#include "ShellText.h"
#include "StartPicture.h"
#include "browse/SettingsFile.h"

namespace tavrel::shell {

CTavrelApp::CTavrelApp(std::filesystem::path program_dir, DialogProvider* dialogs) {
    session_.program_dir = std::move(program_dir);
    ctx_ = std::make_unique<ShellContext>(ShellContext{
        session_, batch_, dialogs ? *dialogs : static_cast<DialogProvider&>(real_dialogs_)});
}

CTavrelApp::~CTavrelApp() { frame_.reset(); }

bool CTavrelApp::InitInstance() {
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    QApplication::setWindowIcon(MakeAppIcon());
    frame_ = std::make_unique<CMainFrame>(*ctx_);
    connect(frame_.get(), &CMainFrame::aboutRequested, this, &CTavrelApp::OnAppAbout);
    frame_->show();
    frame_->setWindowTitle(ToQt(kAppTitle));
    frame_->update();
    return true;
}

int CTavrelApp::ExitInstance() {
    frame_.reset();
    session_.codec.reset();
    return 0;
}

void CTavrelApp::OnAppAbout() {
    CAboutDlg about(frame_.get());
    ctx_->dialogs.Exec(about);
}

void CTavrelApp::OpenArchiveAtStart(const std::filesystem::path& archive) {
    std::error_code ec;
    Settings settings = ReadSettings(session_.program_dir);
    CLeftView* tree = frame_->Tree();
    if (settings.file_exists && std::filesystem::is_directory(settings.game_path, ec)) {
        tree->OpenGameDirectory();
        if (QTreeWidgetItem* item = tree->FindItem(archive)) {
            tree->setCurrentItem(item);
            frame_->RefreshCommandStates();
            return;
        }
    }
    session_.state.archive.archive_name = archive.filename().string();
    session_.state.archive.archive_path = std::filesystem::absolute(archive, ec);
    SendPrivateMessage(*ctx_, kMsgOpenSelectedArchive);
    frame_->RefreshCommandStates();
}

}  // namespace tavrel::shell
