#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "browse/UiPort.h"

namespace tavrel::test {

// A scripted user-interface port: records every message, title, invalidation and scroll
// extent, and answers every dialog from queues filled by the test (an unexpected dialog is a
// test failure and is cancelled).
//
// By default RunOnUiThread runs its task at once. After StartUiThread() it hands the task to
// a separate "UI" thread running a task loop and waits for it, as the shell does; every call
// of a window operation from another thread is then counted in OffUiThreadCalls().
class FakeUi : public UiPort {
public:
    struct Message {
        std::string text;
        std::string caption;
        bool operator==(const Message&) const = default;
    };

    FakeUi() = default;
    ~FakeUi() override;

    void StartUiThread();
    void StopUiThread();

    // Answers, consumed in order.
    std::deque<std::optional<std::filesystem::path>> open_answers;
    std::deque<std::optional<std::filesystem::path>> save_answers;
    std::deque<std::optional<std::string>> number_answers;
    std::deque<std::optional<std::filesystem::path>> folder_answers;

    // What was shown.
    std::vector<Message> Messages() const;
    std::vector<std::string> MessageTexts() const;
    std::vector<std::string> Titles() const;
    std::string Title() const;  // the last one, "" when none
    int Invalidations() const;
    std::pair<int, int> Extent() const;
    int DialogsAsked() const;
    int OffUiThreadCalls() const;
    int TasksRun() const;
    // True on the UI thread (always true before StartUiThread).
    bool OnUiThread() const;
    void Clear();  // forgets messages, titles and counters

    // Runs on the UI thread whenever a message is shown (after it was recorded).
    std::function<void(const std::string&)> on_message;

    void ShowMessage(const std::string& text,
                     const std::string& caption = kDefaultCaption) override;
    void SetTitle(const std::string& title) override;
    void InvalidateView() override;
    void SetScrollExtent(int width, int height) override;
    std::optional<std::filesystem::path> AskOpenBitmap() override;
    std::optional<std::filesystem::path> AskSaveBitmap() override;
    std::optional<std::string> AskNumberText() override;
    std::optional<std::filesystem::path> BrowseFolder(const std::string& title) override;
    void RunOnUiThread(const std::function<void()>& task) override;

private:
    void NoteCall();
    template <typename T>
    std::optional<T> Answer(std::deque<std::optional<T>>& queue, const char* dialog);

    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::vector<std::string> titles_;
    int invalidations_ = 0;
    std::pair<int, int> extent_{0, 0};
    int dialogs_ = 0;
    int off_thread_ = 0;
    int tasks_ = 0;

    // The UI thread's task loop.
    std::thread ui_thread_;
    std::thread::id ui_id_;
    bool threaded_ = false;
    bool stopping_ = false;
    std::deque<std::function<void()>> queue_;
    std::condition_variable wake_;
};

}  // namespace tavrel::test
