#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// What the browsing and batch operations need from a window. The Qt shell implements it
// with widgets, the command line without a window, the tests with a scripted fake.
namespace tavrel {

inline constexpr const char* kDefaultCaption = "Tavrel";

class UiPort {
public:
    virtual ~UiPort() = default;

    // A message box with an OK button and a fixed text; returns when the user closed it.
    virtual void ShowMessage(const std::string& text, const std::string& caption = kDefaultCaption) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // Invalidate the whole picture view with background erase.
    virtual void InvalidateView() = 0;
    virtual void SetScrollExtent(int width, int height) = 0;
    // The open dialog for BMP files ("位图文件(*.bmp)|*.bmp|所有文件(*.*)|*.*||"); the file must exist.
    virtual std::optional<std::filesystem::path> AskOpenBitmap() = 0;
    // The save dialog for BMP files; asks before overwriting.
    virtual std::optional<std::filesystem::path> AskSaveBitmap() = 0;
    // The number prompt (caption "输入数值", text "请输入数值：", preset "1"): the text typed.
    virtual std::optional<std::string> AskNumberText() = 0;
    // The folder browser with a title; nullopt when cancelled.
    virtual std::optional<std::filesystem::path> BrowseFolder(const std::string& title) = 0;
    // Runs `task` on the user-interface thread and waits for it (the private messages the
    // batch worker sends). Called on the user-interface thread itself, it runs `task` at once.
    virtual void RunOnUiThread(const std::function<void()>& task) = 0;
};

}  // namespace tavrel
