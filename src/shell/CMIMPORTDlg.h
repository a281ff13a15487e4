#pragma once

#include <QDialog>

class QLineEdit;

namespace tavrel::shell {

struct ShellContext;

// The batch import's parameter dialog: the naming rule, the picture folder (typed or chosen
// with "浏览文件夹") and the warning that OK starts the changes. Opening it sets `busy`, so
// the tree refuses to switch archives; the caller clears it again on Cancel. OK checks the
// folder and keeps the dialog open with a message when it does not exist.
class CMIMPORTDlg : public QDialog {
    Q_OBJECT
public:
    CMIMPORTDlg(ShellContext& ctx, QWidget* parent = nullptr);

    QLineEdit* FolderField() const { return folder_; }
    void BrowseFolder();

public slots:
    void accept() override;

private:
    ShellContext& ctx_;
    QLineEdit* folder_;
};

}  // namespace tavrel::shell
