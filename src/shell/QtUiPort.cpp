#include "QtUiPort.h"

#include "CSELPICDlg.h"
#include "CTavrelView.h"
#include "DialogProvider.h"
#include "ShellText.h"
#include "UiThread.h"

namespace tavrel::shell {
namespace {

std::optional<std::filesystem::path> ToPath(const std::optional<QString>& text) {
    if (!text) return std::nullopt;
    return PathFromQt(*text);
}

}  // namespace

QtUiPort::QtUiPort(QWidget* view, DialogProvider& dialogs) : view_(view), dialogs_(dialogs) {}

void QtUiPort::ShowMessage(const std::string& text, const std::string& caption) {
    RunOnUiThread([&] { dialogs_.Message(view_->window(), ToQt(text), ToQt(caption)); });
}

void QtUiPort::SetTitle(const std::string& title) {
    RunOnUiThread([&] { view_->window()->setWindowTitle(ToQt(title)); });
}

void QtUiPort::InvalidateView() {
    RunOnUiThread([&] {
        if (auto* view = qobject_cast<CTavrelView*>(view_)) view->Invalidate();
    });
}

void QtUiPort::SetScrollExtent(int width, int height) {
    RunOnUiThread([&] {
        if (auto* view = qobject_cast<CTavrelView*>(view_))
            view->SetScrollExtent(QSize(width, height));
    });
}

std::optional<std::filesystem::path> QtUiPort::AskOpenBitmap() {
    std::optional<QString> chosen;
    RunOnUiThread([&] { chosen = dialogs_.OpenBitmap(view_->window()); });
    return ToPath(chosen);
}

std::optional<std::filesystem::path> QtUiPort::AskSaveBitmap() {
    std::optional<QString> chosen;
    RunOnUiThread([&] { chosen = dialogs_.SaveBitmap(view_->window()); });
    return ToPath(chosen);
}

std::optional<std::string> QtUiPort::AskNumberText() {
    std::optional<std::string> typed;
    RunOnUiThread([&] {
        CSELPICDlg dialog(view_->window());
        if (dialogs_.Exec(dialog) == QDialog::Accepted) typed = ToUtf8(CSELPICDlg::ResultText());
    });
    return typed;
}

std::optional<std::filesystem::path> QtUiPort::BrowseFolder(const std::string& title) {
    std::optional<QString> chosen;
    RunOnUiThread([&] { chosen = dialogs_.Folder(view_->window(), ToQt(title)); });
    return ToPath(chosen);
}

void QtUiPort::RunOnUiThread(const std::function<void()>& task) {
    RunOnUiThreadBlocking(view_, task);
}

}  // namespace tavrel::shell
