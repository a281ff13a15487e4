#pragma once

#include <QMainWindow>
#include <map>

#include "CommandIds.h"

class QLabel;
class QSplitter;
class QTimer;
class QToolBar;

namespace tavrel::shell {

class CLeftView;
class CTavrelView;
struct ShellContext;

// The main window: menu bar, toolbar "标准", status bar (message pane, picture-size pane
// 10000 in blue, empty pane 10001) and a splitter holding the resource-file tree (200 px)
// and the picture view. Menu items, toolbar buttons and keys share one QAction per command;
// a command goes to the pane that last had the keyboard focus (the tree pane at first).
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(ShellContext& ctx, QWidget* parent = nullptr);

    void OnCommand(int id);
    void HandleMessage(PrivateMessage message);  // 0x1803: the game path is known
    // Enables the actions by the current state and copies the size text to pane 10000.
    void RefreshCommandStates();

    QAction* Action(int id) const;
    CLeftView* Tree() const { return tree_; }
    CTavrelView* View() const { return view_; }
    QWidget* ActivePane() const { return active_pane_; }
    QToolBar* ToolBar() const { return toolbar_; }
    QLabel* MessagePane() const { return message_pane_; }
    QLabel* SizePane() const { return size_pane_; }

signals:
    void aboutRequested();  // command 57664, run by the application object

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreatePanes();

    ShellContext& ctx_;
    std::map<int, QAction*> actions_;
    CLeftView* tree_ = nullptr;
    CTavrelView* view_ = nullptr;
    QWidget* active_pane_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QLabel* message_pane_ = nullptr;
    QLabel* size_pane_ = nullptr;
    QLabel* empty_pane_ = nullptr;
    QTimer* refresh_timer_ = nullptr;
    bool close_after_batch_ = false;
};

}  // namespace tavrel::shell
