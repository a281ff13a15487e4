#include "CMEXPORTDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "DialogProvider.h"
#include "ShellContext.h"
#include "ShellText.h"

namespace tavrel::shell {
namespace {

// Block numbers have at most ten digits; longer texts cannot be typed or pasted.
constexpr int kMaxDigits = 10;

QLineEdit* DigitField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(QStringLiteral("1"), parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setMaxLength(kMaxDigits);
    field->setFixedWidth(64);
    return field;
}

QLabel* DisabledLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setEnabled(false);
    return label;
}

QLineEdit* DisabledField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setEnabled(false);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(90);
    return field;
}

}  // namespace

CMEXPORTDlg::CMEXPORTDlg(ShellContext& ctx, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ctx_(ctx) {
    setWindowTitle(QStringLiteral("批量导出参数设定"));
    first_ = DigitField(this, "first");
    last_ = DigitField(this, "last");
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("folder"));
    folder_->setMinimumWidth(380);
    auto* browse = new QPushButton(QStringLiteral("浏览文件夹"), this);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    ok->setDefault(true);
    connect(browse, &QPushButton::clicked, this, &CMEXPORTDlg::BrowseFolder);
    connect(ok, &QPushButton::clicked, this, &CMEXPORTDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CMEXPORTDlg::reject);

    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("导出数据包范围:"), this));
    range->addWidget(first_);
    range->addWidget(new QLabel(QStringLiteral("——"), this));
    range->addWidget(last_);
    range->addStretch();

    auto* naming =
        new QHBoxLayout;  // shown for completeness; every file follows the batch naming rule
    naming->addWidget(DisabledLabel(QStringLiteral("命名规则（此处两格可为空）："), this));
    naming->addWidget(DisabledField(this));
    naming->addWidget(DisabledLabel(QStringLiteral("序号"), this));
    naming->addWidget(DisabledField(this));
    naming->addWidget(DisabledLabel(QStringLiteral(".bmp"), this));
    naming->addStretch();

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addLayout(range, 0, 0, 1, 2);
    layout->addWidget(ok, 0, 2);
    layout->addLayout(naming, 1, 0, 1, 2);
    layout->addWidget(cancel, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("图片路径："), this), 2, 0, 1, 2);
    layout->addWidget(folder_, 3, 0, 1, 2);
    layout->addWidget(browse, 3, 2);
    layout->setColumnStretch(1, 1);
}

void CMEXPORTDlg::BrowseFolder() {
    std::optional<QString> chosen =
        ctx_.dialogs.Folder(this, QStringLiteral("导出的图片保存在此目录"));
    folder_->setText(chosen.value_or(QString()));
}

void CMEXPORTDlg::accept() {
    std::string message =
        CheckExportParameters(ctx_.batch, ToUtf8(first_->text()), ToUtf8(last_->text()),
                              PathFromQt(folder_->text()).native());
    if (!message.empty()) {
        ctx_.dialogs.Message(this, ToQt(message), ToQt(kDefaultCaption));
        return;
    }
    QDialog::accept();
}

}  // namespace tavrel::shell
