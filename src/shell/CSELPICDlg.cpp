#include "CSELPICDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tavrel::shell {
namespace {
QString& Result() {
    static QString text;
    return text;
}
}  // namespace

CSELPICDlg::CSELPICDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("输入数值"));
    auto* label = new QLabel(QStringLiteral("请输入数值："), this);
    field_ = new QLineEdit(QStringLiteral("1"), this);
    field_->setObjectName(QStringLiteral("number"));
    field_->setAlignment(Qt::AlignCenter);
    field_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field_));
    field_->selectAll();
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CSELPICDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSELPICDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(field_);
    layout->addLayout(buttons);
    setFixedWidth(260);
}

QString CSELPICDlg::ResultText() { return Result(); }

void CSELPICDlg::accept() {
    Result() = field_->text();
    QDialog::accept();
}

}  // namespace tavrel::shell
