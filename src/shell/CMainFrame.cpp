#include "CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "CLeftView.h"
#include "CTavrelView.h"
#include "CommandRules.h"
#include "CommandTable.h"
#include "ShellContext.h"
#include "ShellText.h"
#include "StartPicture.h"
#include "ToolbarIcons.h"

namespace tavrel::shell {
namespace {
constexpr int kTreeWidth = 200;
constexpr int kSizePaneWidth = 128;
constexpr int kRefreshMs = 100;

// A button's tooltip names its command: the menu label without its mnemonic.
QString ButtonToolTip(QString label) {
    label.remove(QRegularExpression(QStringLiteral("\\(&[^)]*\\)")));
    return label.remove(QLatin1Char('&'));
}
}  // namespace

CMainFrame::CMainFrame(ShellContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
    setWindowTitle(ToQt(kAppTitle));
    setWindowIcon(MakeAppIcon());
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreatePanes();
    ctx_.game_path_known = false;
    ctx_.frame = this;

    refresh_timer_ = new QTimer(this);
    connect(refresh_timer_, &QTimer::timeout, this, &CMainFrame::RefreshCommandStates);
    refresh_timer_->start(kRefreshMs);
    RefreshCommandStates();
    resize(1100, 760);
}

void CMainFrame::CreateActions() {
    for (const CommandSpec& command : AllCommands()) {
        if (command.id == kCmdForceImport) continue;  // only in the picture view's popup
        auto* action = new QAction(ToQt(std::string(MenuLabel(command))), this);
        if (*command.key) action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + ToQt(command.key)));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setStatusTip(ToQt(std::string(StatusPrompt(command))));
        std::string_view tip = PromptToolTip(command);
        action->setToolTip(tip.empty() ? ButtonToolTip(action->text()) : ToQt(std::string(tip)));
        action->setIcon(MakeCommandIcon(command.id));
        action->setIconVisibleInMenu(false);
        int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        addAction(action);  // keys work whichever pane has the focus
        actions_[command.id] = action;
    }
}

void CMainFrame::CreateMenus() {
    for (const MenuLayout& layout : MainMenuLayout()) {
        QMenu* menu = menuBar()->addMenu(ToQt(layout.title));
        for (const LayoutEntry& entry : layout.entries) {
            if (entry.id == kSeparator) {
                menu->addSeparator();
            } else {
                menu->addAction(Action(entry.id));
            }
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshCommandStates);
    }
}

void CMainFrame::CreateToolBar() {
    toolbar_ = addToolBar(QStringLiteral("标准"));
    toolbar_->setObjectName(QStringLiteral("standard"));
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setMovable(true);
    for (const LayoutEntry& entry : ToolbarLayout()) {
        if (entry.id == kSeparator) {
            toolbar_->addSeparator();
            continue;
        }
        toolbar_->addAction(Action(entry.id));
    }
}

void CMainFrame::CreateStatusBar() {
    message_pane_ = new QLabel(QStringLiteral("就绪"), this);
    statusBar()->addWidget(message_pane_, 1);

    size_pane_ = new QLabel(QStringLiteral("图片大小"), this);
    size_pane_->setObjectName(QStringLiteral("pane10000"));
    size_pane_->setFixedWidth(kSizePaneWidth);
    size_pane_->setFrameShape(QFrame::StyledPanel);
    size_pane_->setFrameShadow(QFrame::Sunken);
    QPalette blue = size_pane_->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    size_pane_->setPalette(blue);
    statusBar()->addPermanentWidget(size_pane_);

    empty_pane_ = new QLabel(this);
    empty_pane_->setObjectName(QStringLiteral("pane10001"));
    empty_pane_->setMinimumWidth(60);
    empty_pane_->setFrameShape(QFrame::StyledPanel);
    empty_pane_->setFrameShadow(QFrame::Sunken);
    statusBar()->addPermanentWidget(empty_pane_);
}

void CMainFrame::CreatePanes() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    tree_ = new CLeftView(ctx_, splitter_);
    view_ = new CTavrelView(ctx_, splitter_);
    splitter_->addWidget(tree_);
    splitter_->addWidget(view_);
    splitter_->setChildrenCollapsible(false);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kTreeWidth, 900});
    setCentralWidget(splitter_);

    active_pane_ = tree_;
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr) return;
        if (now == tree_ || tree_->isAncestorOf(now)) active_pane_ = tree_;
        if (now == view_ || view_->isAncestorOf(now)) active_pane_ = view_;
    });
    connect(view_, &CTavrelView::commandFinished, this, &CMainFrame::RefreshCommandStates);
    tree_->setFocus();
}

QAction* CMainFrame::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::OnCommand(int id) {
    RefreshCommandStates();
    if (!CommandEnabled(id, ctx_.session.state, ctx_.Flags())) return;
    if (id == kCmdAbout) {
        emit aboutRequested();
    } else if (id == kCmdExit) {
        close();
    } else if (active_pane_ == view_) {
        view_->OnCommand(id);
    } else {
        tree_->OnCommand(id);
    }
    RefreshCommandStates();
}

void CMainFrame::HandleMessage(PrivateMessage message) {
    if (message == kMsgGamePathKnown) ctx_.game_path_known = true;
}

void CMainFrame::RefreshCommandStates() {
    const ShellFlags flags = ctx_.Flags();
    for (auto& [id, action] : actions_)
        action->setEnabled(CommandEnabled(id, ctx_.session.state, flags));
    QString size_text = ToQt(ctx_.session.display.size_text);
    if (size_pane_->text() != size_text) size_pane_->setText(size_text);
    if (close_after_batch_ && !ctx_.batch_active) {
        close_after_batch_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (ctx_.batch_active) view_->CancelPendingBatch();  // a batch not started yet just goes
    if (ctx_.batch_active) {
        // The worker owns the block while it runs: ask an export to stop and leave once the
        // batch has ended.
        ctx_.batch.abort_requested = true;
        close_after_batch_ = true;
        event->ignore();
        return;
    }
    // A modification that cannot reach its temporary copy keeps the window open (the message
    // says why); Save or Restore settle it.
    if (!FlushPendingBlock(ctx_)) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace tavrel::shell
