#include "CAboutDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "StartPicture.h"

namespace tavrel::shell {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于 Tavrel"));
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(MakeAboutPicture()));
    picture->setFixedSize(96, 160);
    auto* name = new QLabel(QStringLiteral("《Ostrim》图片修改工具"), this);
    auto* maker = new QLabel(QStringLiteral("制作：Kelvane"), this);
    auto* version = new QLabel(QStringLiteral("Tavrel 1.0"), this);
    auto* toolkit = new QLabel(QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion())), this);
    for (QLabel* small : {version, toolkit}) small->setEnabled(false);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setHorizontalSpacing(16);
    layout->addWidget(picture, 0, 0, 6, 1);
    layout->addWidget(name, 0, 1);
    layout->addWidget(maker, 1, 1);
    layout->setRowStretch(2, 1);
    layout->addWidget(version, 3, 1);
    layout->addWidget(toolkit, 4, 1);
    layout->addWidget(ok, 5, 2, Qt::AlignRight | Qt::AlignBottom);
    layout->setColumnStretch(1, 1);
    setFixedSize(sizeHint().expandedTo(QSize(420, 200)));
}

}  // namespace tavrel::shell
