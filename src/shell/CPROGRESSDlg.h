#pragma once

#include <QDialog>
#include <atomic>
#include <thread>

#include "batch/BatchState.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrel::shell {

struct ShellContext;

// The modeless batch progress dialog: "当前进度：" with the progress text, the bar, "开始"
// (starts BatchWorker on a thread of its own) and "中止" (only asks an export to stop; it never
// closes the dialog). The worker closes the dialog when it ends; batchFinished follows once
// the thread has been joined.
class CPROGRESSDlg : public QDialog, public BatchProgress {
    Q_OBJECT
public:
    CPROGRESSDlg(ShellContext& ctx, QWidget* parent = nullptr);
    ~CPROGRESSDlg() override;

    // Records the mode, clears the abort request, computes the block range, shows the dialog.
    void Open(BatchMode mode);
    void Start();            // "开始"
    void reject() override;  // "中止", Escape: sets the abort request, nothing else
    bool WorkerStarted() const { return worker_.joinable(); }

    // BatchProgress: called by the worker through the user-interface thread.
    void SetProgressText(const std::string& text) override;
    void SetRange(std::uint16_t maximum) override;
    void SetPosition(std::int32_t position) override;
    void Close() override;

    QPushButton* StartButton() const { return start_; }
    QPushButton* AbortButton() const { return abort_; }
    QProgressBar* Bar() const { return bar_; }
    QLabel* ProgressText() const { return text_; }

signals:
    void batchFinished();

private:
    void OnWorkerFinished();

    ShellContext& ctx_;
    QPushButton* start_;
    QPushButton* abort_;
    QProgressBar* bar_;
    QLabel* text_;
    std::thread worker_;
    std::atomic<bool> worker_done_{false};
};

}  // namespace tavrel::shell
