#pragma once

#include "DialogProvider.h"

namespace tavrel::shell {

// The real dialogs: message boxes, the platform's file dialogs and folder browser.
class QtDialogProvider : public DialogProvider {
public:
    void Message(QWidget* parent, const QString& text, const QString& caption) override;
    std::optional<QString> OpenBitmap(QWidget* parent) override;
    std::optional<QString> SaveBitmap(QWidget* parent) override;
    std::optional<QString> Folder(QWidget* parent, const QString& title) override;
    int Exec(QDialog& dialog) override;
};

// The filter of both bitmap dialogs: BMP files and all files.
inline constexpr const char* kBitmapFilter = "位图文件(*.bmp);;所有文件(*.*)";

}  // namespace tavrel::shell
