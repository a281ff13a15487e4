#include "CTavrelView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <cstring>

#include "CMEXPORTDlg.h"
#include "CMIMPORTDlg.h"
#include "CPROGRESSDlg.h"
#include "CommandRules.h"
#include "CommandTable.h"
#include "DialogProvider.h"
#include "QtUiPort.h"
#include "ShellContext.h"
#include "ShellText.h"
#include "StartPicture.h"
#include "browse/Browsing.h"

namespace tavrel::shell {
namespace {

// The command a command message stands for.
int CommandOfMessage(PrivateMessage message) {
    for (const CommandSpec& command : AllCommands()) {
        if (ForwardMessage(command.id) == message) return command.id;
    }
    return 0;
}

}  // namespace

CTavrelView::CTavrelView(ShellContext& ctx, QWidget* parent)
    : QAbstractScrollArea(parent), ctx_(ctx) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    port_ = std::make_unique<QtUiPort>(this, ctx_.dialogs);
    BuildContextMenu();
    InitialUpdate();
}

CTavrelView::~CTavrelView() {
    progress_.reset();  // ends a running worker while the port is still here
    if (ctx_.session.ui == port_.get()) ctx_.session.ui = nullptr;
}

void CTavrelView::InitialUpdate() {
    Session& s = ctx_.session;
    s.ui = port_.get();
    s.state.archive.file_open = false;
    s.display.size_text.clear();
    ctx_.view = this;
    SetScrollExtent(QSize(300, 300));
    s.display.picture_shown = false;
    if (!s.codec) s.codec = LoadLwCodec(s.program_dir);
    FreeBlockTree(s.state.tree);
}

void CTavrelView::BuildContextMenu() {
    MenuLayout layout = PopupMenuLayout();
    popup_ = new QMenu(ToQt(layout.title), this);
    for (const LayoutEntry& entry : layout.entries) {
        const CommandSpec* command = FindCommand(entry.id);
        if (command == nullptr) {
            popup_->addSeparator();
            continue;
        }
        // The key name after the tab is shown in the menu; the keys themselves belong to
        // the main window's actions.
        QAction* action = popup_->addAction(ToQt(command->menu_text));
        action->setData(command->id);
        action->setStatusTip(ToQt(std::string(StatusPrompt(*command))));
        int id = command->id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    connect(popup_, &QMenu::aboutToShow, this, &CTavrelView::RefreshContextMenu);
}

void CTavrelView::RefreshContextMenu() {
    for (QAction* action : popup_->actions()) {
        if (action->isSeparator()) continue;
        action->setEnabled(
            CommandEnabled(action->data().toInt(), ctx_.session.state, ctx_.Flags()));
    }
}

void CTavrelView::contextMenuEvent(QContextMenuEvent* event) {
    popup_->popup(event->globalPos());
    event->accept();
}

void CTavrelView::OnCommand(int id) {
    if (!CommandEnabled(id, ctx_.session.state, ctx_.Flags())) return;
    if (id == kCmdOpen) {
        SendPrivateMessage(ctx_, kMsgOpenGameDir);
    } else if (id == kCmdChangeGameDir) {
        SendPrivateMessage(ctx_, kMsgChangeGameDir);
    } else {
        Execute(id);
    }
    emit commandFinished();
}

void CTavrelView::Execute(int id) {
    Session& s = ctx_.session;
    switch (id) {
        case kCmdNextBlock:
            NextBlock(s);
            break;
        case kCmdPrevBlock:
            PrevBlock(s);
            break;
        case kCmdFirstBlock:
            FirstBlock(s);
            break;
        case kCmdLastBlock:
            LastBlock(s);
            break;
        case kCmdGoToBlock:
            GoToBlock(s);
            break;
        case kCmdNextFrame:
            NextFrame(s);
            break;
        case kCmdPrevFrame:
            PrevFrame(s);
            break;
        case kCmdGoToFrame:
            GoToFrame(s);
            break;
        case kCmdImport:
            ImportPicture(s);
            break;
        case kCmdExport:
            ExportPicture(s);
            break;
        case kCmdSave:
            SaveArchive(s);
            break;
        case kCmdRestore:
            RestoreArchive(s);
            break;
        case kCmdBatchImport:
            RunBatchImportCommand();
            break;
        case kCmdBatchExport:
            RunBatchExportCommand();
            break;
        case kCmdForceImport:
            ForcePortraitImport(s);
            break;
        default:
            break;
    }
}

void CTavrelView::HandleMessage(PrivateMessage message) {
    Session& s = ctx_.session;
    switch (message) {
        case kMsgOpenSelectedArchive:
            OpenSelectedArchive(s);
            break;
        case kMsgCloseSelectedArchive:
            CloseSelectedArchive(s);
            break;
        case kMsgShowCurrentFrame:
            ShowCurrentFrame(s);
            break;
        case kMsgLoadBlock:
            LoadBlock(s);
            break;
        default:
            if (int id = CommandOfMessage(message)) Execute(id);
            break;
    }
    emit commandFinished();
}

void CTavrelView::RunBatchImportCommand() {
    if (!FlushPendingBlock(ctx_)) return;
    CMIMPORTDlg dialog(ctx_, window());  // sets busy: the tree refuses other archives now
    if (ctx_.dialogs.Exec(dialog) == QDialog::Accepted) {
        OpenProgressDialog(BatchMode::Import);
    } else {
        ctx_.session.state.busy = false;
    }
}

void CTavrelView::RunBatchExportCommand() {
    if (!FlushPendingBlock(ctx_)) return;
    CMEXPORTDlg dialog(ctx_, window());
    if (ctx_.dialogs.Exec(dialog) == QDialog::Accepted) OpenProgressDialog(BatchMode::Export);
}

void CTavrelView::OpenProgressDialog(BatchMode mode) {
    progress_ = std::make_unique<CPROGRESSDlg>(ctx_, window());
    connect(progress_.get(), &CPROGRESSDlg::batchFinished, this, &CTavrelView::OnBatchFinished,
            Qt::QueuedConnection);
    ctx_.batch_active = true;
    progress_->Open(mode);
}

void CTavrelView::OnBatchFinished() {
    progress_.reset();
    ctx_.batch_active = false;
    emit commandFinished();
}

bool CTavrelView::CancelPendingBatch() {
    if (!progress_) return true;
    if (progress_->WorkerStarted()) return false;
    if (ctx_.batch.mode == BatchMode::Import) ctx_.session.state.busy = false;
    OnBatchFinished();
    return true;
}

void CTavrelView::Invalidate() {
    frame_cache_dirty_ = true;
    viewport()->update();
}

void CTavrelView::SetScrollExtent(QSize extent) {
    extent_ = extent.expandedTo(QSize(0, 0));
    UpdateScrollBars();
    viewport()->update();
}

void CTavrelView::UpdateScrollBars() {
    QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, extent_.width() - page.width()));
    horizontalScrollBar()->setPageStep(page.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, extent_.height() - page.height()));
    verticalScrollBar()->setPageStep(page.height());
    verticalScrollBar()->setSingleStep(20);
}

void CTavrelView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CTavrelView::scrollContentsBy(int, int) { viewport()->update(); }

// The display bitmap as an opaque image (the picture is shown without its alpha), rebuilt
// after every invalidation. nullptr when there is no bitmap to show.
const QImage* CTavrelView::FrameImage() {
    const Picture& bitmap = ctx_.session.display.bitmap;
    const std::size_t needed = static_cast<std::size_t>(std::max(0, bitmap.width)) *
                               static_cast<std::size_t>(std::max(0, bitmap.height)) * 4;
    if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.pixels.size() < needed) return nullptr;
    if (frame_cache_dirty_ || frame_cache_.width() != bitmap.width ||
        frame_cache_.height() != bitmap.height) {
        frame_cache_ = QImage(bitmap.width, bitmap.height, QImage::Format_RGB32);
        for (int y = 0; y < bitmap.height; ++y) {
            auto* dst = reinterpret_cast<quint32*>(frame_cache_.scanLine(y));
            std::memcpy(dst, bitmap.row(y), static_cast<std::size_t>(bitmap.width) * 4);
            for (int x = 0; x < bitmap.width; ++x) dst[x] |= 0xff000000u;
        }
        frame_cache_dirty_ = false;
    }
    return &frame_cache_;
}

void CTavrelView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    const Session& s = ctx_.session;
    if (s.display.picture_shown) {
        // A released bitmap (an unrecognised archive after a shown picture) draws nothing.
        if (const QImage* image = FrameImage()) painter.drawImage(0, 0, *image);
        return;
    }
    if (!s.state.show_start_picture) return;
    if (start_picture_.isNull()) start_picture_ = MakeStartPicture();
    painter.drawImage(0, 0, start_picture_);
    if (extent_ != QSize(kStartPictureWidth, kStartPictureHeight)) {
        extent_ = QSize(kStartPictureWidth, kStartPictureHeight);
        UpdateScrollBars();
    }
}

}  // namespace tavrel::shell
