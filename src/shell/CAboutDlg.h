#pragma once

#include <QDialog>

namespace tavrel::shell {

// The About box "关于 Tavrel": the program's picture, its name and maker, and "确定".
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace tavrel::shell
