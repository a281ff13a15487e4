#pragma once

#include <QDialog>

class QLineEdit;

namespace tavrel::shell {

struct ShellContext;

// The batch export's parameter dialog: the block range (two digit-only fields, "1" and
// "1"), a naming row that is shown disabled and never read, and the picture folder. OK
// checks the folder, then the range texts, and keeps the dialog open with a message.
class CMEXPORTDlg : public QDialog {
    Q_OBJECT
public:
    CMEXPORTDlg(ShellContext& ctx, QWidget* parent = nullptr);

    QLineEdit* FirstField() const { return first_; }
    QLineEdit* LastField() const { return last_; }
    QLineEdit* FolderField() const { return folder_; }
    void BrowseFolder();

public slots:
    void accept() override;

private:
    ShellContext& ctx_;
    QLineEdit* first_;
    QLineEdit* last_;
    QLineEdit* folder_;
};

}  // namespace tavrel::shell
