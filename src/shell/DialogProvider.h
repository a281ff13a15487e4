#pragma once

#include <QString>
#include <optional>

class QDialog;
class QWidget;

// Every dialog the shell shows goes through one provider, so that tests can answer them
// without a user. QtDialogProvider is the real one.
namespace tavrel::shell {

class DialogProvider {
public:
    virtual ~DialogProvider() = default;

    // A message box with an OK button; returns when it was closed.
    virtual void Message(QWidget* parent, const QString& text, const QString& caption) = 0;
    // Open and save dialogs for bitmap files; nullopt when cancelled.
    virtual std::optional<QString> OpenBitmap(QWidget* parent) = 0;
    virtual std::optional<QString> SaveBitmap(QWidget* parent) = 0;
    // The folder browser with its title; nullopt when cancelled.
    virtual std::optional<QString> Folder(QWidget* parent, const QString& title) = 0;
    // Runs a dialog modally and returns its result (QDialog::Accepted or Rejected). Number
    // prompts, parameter dialogs and the About box all come through here.
    virtual int Exec(QDialog& dialog) = 0;
};

}  // namespace tavrel::shell
