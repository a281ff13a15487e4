#include "CMIMPORTDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DialogProvider.h"
#include "ShellContext.h"
#include "ShellText.h"

namespace tavrel::shell {

CMIMPORTDlg::CMIMPORTDlg(ShellContext& ctx, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ctx_(ctx) {
    setWindowTitle(QStringLiteral("批量导入参数设定"));
    ctx_.session.state.busy = true;

    auto* rule_title = new QLabel(QStringLiteral("导入图片规则："), this);
    auto* rule = new QLabel(QStringLiteral("文件夹中的图片命名，前5个数是数据块的序号，加上“_"
                                           "”后的后面5个数为帧数，如00100_00001.bmp"),
                            this);
    auto* folder_label = new QLabel(QStringLiteral("图片路径："), this);
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("folder"));
    auto* browse = new QPushButton(QStringLiteral("浏览文件夹"), this);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    auto* note = new QLabel(
        QStringLiteral("注意：本功能会在点击确定按钮后立即执行修改，请注意备份。"), this);
    ok->setDefault(true);
    connect(browse, &QPushButton::clicked, this, &CMIMPORTDlg::BrowseFolder);
    connect(ok, &QPushButton::clicked, this, &CMIMPORTDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CMIMPORTDlg::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(rule_title, 0, 0, 1, 4);
    layout->addWidget(rule, 1, 0, 1, 4, Qt::AlignLeft);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setRowMinimumHeight(2, 12);
    layout->addWidget(folder_label, 3, 0, 1, 2);
    layout->addWidget(folder_, 4, 0, 1, 2);
    layout->addWidget(browse, 4, 2);
    layout->addWidget(ok, 4, 3);
    layout->addWidget(note, 5, 0, 1, 3);
    layout->addWidget(cancel, 5, 3);
    layout->setColumnStretch(1, 1);
    folder_->setMinimumWidth(340);
}

void CMIMPORTDlg::BrowseFolder() {
    std::optional<QString> chosen =
        ctx_.dialogs.Folder(this, QStringLiteral("将要导入的图片的存放目录"));
    folder_->setText(chosen.value_or(QString()));
}

void CMIMPORTDlg::accept() {
    std::string message = CheckImportParameters(ctx_.batch, PathFromQt(folder_->text()).native());
    if (!message.empty()) {
        ctx_.dialogs.Message(this, ToQt(message), ToQt(kDefaultCaption));
        return;
    }
    QDialog::accept();
}

}  // namespace tavrel::shell
