#pragma once

#include <QTreeWidget>
#include <filesystem>
#include <set>

#include "CommandIds.h"

namespace tavrel::shell {

struct ShellContext;

// The resource-file tree: the archive files (".bin", ".kx4" in any letter case) found below
// the game directory, under the root item "文件目录". Folders without archives are left out,
// folders with archives are shown expanded. Selecting a file opens it in the picture view.
// Owns the Open and Change game directory commands and forwards every other command.
class CLeftView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CLeftView(ShellContext& ctx, QWidget* parent = nullptr);

    void OnCommand(int id);
    void HandleMessage(PrivateMessage message);  // 0x1801 Open, 0x1802 Change game directory

    void OpenGameDirectory();
    void ChangeGameDirectory();
    void FillTree();

    QTreeWidgetItem* RootItem() const { return root_; }
    const std::filesystem::path& GamePath() const { return game_path_; }
    static std::filesystem::path ItemPath(const QTreeWidgetItem* item);  // full path on disk
    QTreeWidgetItem* FindItem(const std::filesystem::path& path) const;

private:
    void OnSelectionChanged();
    bool ScanDirectory(const std::filesystem::path& dir, QTreeWidgetItem* parent, int depth,
                       std::set<std::filesystem::path>& visited);
    // Folder browser loop; nullopt when the user cancelled.
    std::optional<std::string> ChooseGameDirectory(std::string candidate, bool ask_first);
    void AcceptGameDirectory(const std::string& candidate);
    void CloseForDirectoryChange();

    ShellContext& ctx_;
    std::filesystem::path game_path_;
    QTreeWidgetItem* root_ = nullptr;
};

}  // namespace tavrel::shell
