#include "QtDialogProvider.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ShellText.h"

namespace tavrel::shell {

void QtDialogProvider::Message(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

std::optional<QString> QtDialogProvider::OpenBitmap(QWidget* parent) {
    QString path = QFileDialog::getOpenFileName(parent, QString(), QString(), ToQt(kBitmapFilter));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> QtDialogProvider::SaveBitmap(QWidget* parent) {
    // The dialog asks before overwriting; the caller adds ".bmp" where the name lacks it.
    QString path = QFileDialog::getSaveFileName(parent, QString(), QString(), ToQt(kBitmapFilter));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> QtDialogProvider::Folder(QWidget* parent, const QString& title) {
    QString path = QFileDialog::getExistingDirectory(parent, title);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

int QtDialogProvider::Exec(QDialog& dialog) { return dialog.exec(); }

}  // namespace tavrel::shell
