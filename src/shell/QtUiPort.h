#pragma once

#include "browse/UiPort.h"

class QWidget;

namespace tavrel::shell {

class DialogProvider;

// The browsing and batch operations' window: message boxes, the main window's title, the
// picture view's repaint and scroll extent, the file dialogs, the number prompt and the
// folder browser. Every call may come from the batch worker; it is carried over to the
// user-interface thread and waits there.
class QtUiPort : public UiPort {
public:
    // `view` is the picture view; the title goes to its top-level window.
    QtUiPort(QWidget* view, DialogProvider& dialogs);

    void ShowMessage(const std::string& text, const std::string& caption) override;
    void SetTitle(const std::string& title) override;
    void InvalidateView() override;
    void SetScrollExtent(int width, int height) override;
    std::optional<std::filesystem::path> AskOpenBitmap() override;
    std::optional<std::filesystem::path> AskSaveBitmap() override;
    std::optional<std::string> AskNumberText() override;
    std::optional<std::filesystem::path> BrowseFolder(const std::string& title) override;
    void RunOnUiThread(const std::function<void()>& task) override;

private:
    QWidget* view_;
    DialogProvider& dialogs_;
};

}  // namespace tavrel::shell
