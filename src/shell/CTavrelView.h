#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <memory>

#include "CommandIds.h"
#include "batch/BatchState.h"

class QMenu;

namespace tavrel::shell {

class CPROGRESSDlg;
class QtUiPort;
struct ShellContext;

// The picture view: paints the current frame (or the start picture) unscaled at the top
// left of a scrollable area, runs every operation on the archive, and owns the session's
// window port and the batch progress dialog.
class CTavrelView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CTavrelView(ShellContext& ctx, QWidget* parent = nullptr);
    ~CTavrelView() override;

    // Commands addressed to this view (its popup menu, or the main frame routing to it).
    void OnCommand(int id);
    // Private messages; command messages run exactly the command's own handler.
    void HandleMessage(PrivateMessage message);

    // Window port services.
    void Invalidate();
    void SetScrollExtent(QSize extent);
    QSize ScrollExtent() const { return extent_; }

    // Drops a batch whose progress dialog is open but not started; false when it runs.
    bool CancelPendingBatch();

    QMenu* ContextMenu() const { return popup_; }
    CPROGRESSDlg* ProgressDialog() const { return progress_.get(); }

signals:
    void commandFinished();  // the state may have changed: refresh enabling and status

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void InitialUpdate();
    void BuildContextMenu();
    void RefreshContextMenu();
    void Execute(int id);
    void RunBatchImportCommand();
    void RunBatchExportCommand();
    void OpenProgressDialog(BatchMode mode);
    void OnBatchFinished();
    void UpdateScrollBars();
    const QImage* FrameImage();

    ShellContext& ctx_;
    std::unique_ptr<QtUiPort> port_;
    std::unique_ptr<CPROGRESSDlg> progress_;
    QMenu* popup_ = nullptr;
    QSize extent_{300, 300};
    QImage start_picture_;
    QImage frame_cache_;
    bool frame_cache_dirty_ = true;
};

}  // namespace tavrel::shell
