#include "support/FakeUi.h"

#include <gtest/gtest.h>

namespace tavrel::test {

FakeUi::~FakeUi() { StopUiThread(); }

void FakeUi::StartUiThread() {
    std::unique_lock lock(mutex_);
    if (threaded_) return;
    stopping_ = false;
    threaded_ = true;
    ui_thread_ = std::thread([this] {
        std::unique_lock loop(mutex_);
        for (;;) {
            wake_.wait(loop, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            auto task = std::move(queue_.front());
            queue_.pop_front();
            loop.unlock();
            task();
            loop.lock();
        }
    });
    ui_id_ = ui_thread_.get_id();
}

void FakeUi::StopUiThread() {
    {
        std::lock_guard lock(mutex_);
        if (!threaded_) return;
        stopping_ = true;
    }
    wake_.notify_all();
    ui_thread_.join();
    std::lock_guard lock(mutex_);
    threaded_ = false;
}

void FakeUi::RunOnUiThread(const std::function<void()>& task) {
    std::unique_lock lock(mutex_);
    ++tasks_;
    if (!threaded_ || std::this_thread::get_id() == ui_id_) {
        lock.unlock();
        task();
        return;
    }
    bool done = false;
    std::condition_variable finished;
    queue_.push_back([&] {
        task();
        std::lock_guard done_lock(mutex_);
        done = true;
        finished.notify_all();
    });
    wake_.notify_all();
    finished.wait(lock, [&] { return done; });
}

void FakeUi::NoteCall() {
    // Called with mutex_ held.
    if (threaded_ && std::this_thread::get_id() != ui_id_) ++off_thread_;
}

void FakeUi::ShowMessage(const std::string& text, const std::string& caption) {
    {
        std::lock_guard lock(mutex_);
        NoteCall();
        messages_.push_back({text, caption});
    }
    if (on_message) on_message(text);
}

void FakeUi::SetTitle(const std::string& title) {
    std::lock_guard lock(mutex_);
    NoteCall();
    titles_.push_back(title);
}

void FakeUi::InvalidateView() {
    std::lock_guard lock(mutex_);
    NoteCall();
    ++invalidations_;
}

void FakeUi::SetScrollExtent(int width, int height) {
    std::lock_guard lock(mutex_);
    NoteCall();
    extent_ = {width, height};
}

template <typename T>
std::optional<T> FakeUi::Answer(std::deque<std::optional<T>>& queue, const char* dialog) {
    std::lock_guard lock(mutex_);
    NoteCall();
    ++dialogs_;
    if (queue.empty()) {
        ADD_FAILURE() << "unexpected " << dialog << " dialog";
        return std::nullopt;
    }
    auto answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

std::optional<std::filesystem::path> FakeUi::AskOpenBitmap() {
    return Answer(open_answers, "open");
}
std::optional<std::filesystem::path> FakeUi::AskSaveBitmap() {
    return Answer(save_answers, "save");
}
std::optional<std::string> FakeUi::AskNumberText() { return Answer(number_answers, "number"); }
std::optional<std::filesystem::path> FakeUi::BrowseFolder(const std::string&) {
    return Answer(folder_answers, "folder");
}

std::vector<FakeUi::Message> FakeUi::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> FakeUi::MessageTexts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    for (const auto& m : messages_) texts.push_back(m.text);
    return texts;
}

std::vector<std::string> FakeUi::Titles() const {
    std::lock_guard lock(mutex_);
    return titles_;
}

std::string FakeUi::Title() const {
    std::lock_guard lock(mutex_);
    return titles_.empty() ? "" : titles_.back();
}

int FakeUi::Invalidations() const {
    std::lock_guard lock(mutex_);
    return invalidations_;
}

std::pair<int, int> FakeUi::Extent() const {
    std::lock_guard lock(mutex_);
    return extent_;
}

int FakeUi::DialogsAsked() const {
    std::lock_guard lock(mutex_);
    return dialogs_;
}

int FakeUi::OffUiThreadCalls() const {
    std::lock_guard lock(mutex_);
    return off_thread_;
}

int FakeUi::TasksRun() const {
    std::lock_guard lock(mutex_);
    return tasks_;
}

bool FakeUi::OnUiThread() const {
    std::lock_guard lock(mutex_);
    return !threaded_ || std::this_thread::get_id() == ui_id_;
}

void FakeUi::Clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
    titles_.clear();
    invalidations_ = 0;
    dialogs_ = 0;
    off_thread_ = 0;
    tasks_ = 0;
}

}  // namespace tavrel::test
