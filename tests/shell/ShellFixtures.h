#pragma once

// Shared by the shell's Qt tests: a dialog provider that answers from a script and records
// what was shown, small game folders built in code, and a base for test objects that run the
// application over a temporary program folder.
#include <QDialog>
#include <QStringList>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CMainFrame.h"
#include "CTavrelApp.h"
#include "DialogProvider.h"
#include "archive/ContainerBuilder.h"
#include "support/TestDir.h"

namespace tavrel::test {

class ScriptedDialogs : public shell::DialogProvider {
public:
    struct Shown {
        QString text;
        QString caption;
    };
    std::vector<Shown> messages;
    QStringList folder_titles;
    // Answers in order; a null QString, or an empty script, cancels.
    std::deque<QString> folders;
    std::deque<QString> open_files;
    std::deque<QString> save_files;
    std::deque<std::function<int(QDialog&)>> execs;  // an empty script rejects
    QStringList exec_titles;

    void Message(QWidget*, const QString& text, const QString& caption) override {
        messages.push_back({text, caption});
    }
    std::optional<QString> OpenBitmap(QWidget*) override { return Next(open_files); }
    std::optional<QString> SaveBitmap(QWidget*) override { return Next(save_files); }
    std::optional<QString> Folder(QWidget*, const QString& title) override {
        folder_titles.push_back(title);
        return Next(folders);
    }
    int Exec(QDialog& dialog) override {
        exec_titles.push_back(dialog.windowTitle());
        if (execs.empty()) return QDialog::Rejected;
        auto answer = std::move(execs.front());
        execs.pop_front();
        return answer(dialog);
    }

private:
    static std::optional<QString> Next(std::deque<QString>& script) {
        if (script.empty()) return std::nullopt;
        QString answer = script.front();
        script.pop_front();
        if (answer.isNull()) return std::nullopt;
        return answer;
    }
};

inline QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A block holding one texture pack of `frames` 4 x 4 32-bit pictures (each a flat colour).
inline Bytes BlockWithFrames(int frames) {
    std::vector<Bytes> entries;
    for (int f = 0; f < frames; ++f) {
        Bytes pixels(4 * 4 * 4, static_cast<std::uint8_t>(40 + 50 * f));
        entries.push_back(BuildTextureEntry(1, 1, 2, 2, pixels));
    }
    return BuildLink({BuildGt1g(entries)});
}

// A block without any texture pack.
inline Bytes BlockWithoutFrames() { return BuildLink({Bytes{1, 2, 3, 4, 5, 6, 7, 8}}); }

// A recognised archive of 24 blocks: block 2 has no frames, every other block two frames.
inline Bytes RecognisedArchive() {
    std::vector<Bytes> blocks;
    for (int b = 1; b <= 24; ++b)
        blocks.push_back(b == 2 ? BlockWithoutFrames() : BlockWithFrames(2));
    return BuildLink(blocks);
}

// An archive whose entry count the tool does not browse.
inline Bytes UnrecognisedArchive() {
    std::vector<Bytes> blocks(5, BlockWithFrames(1));
    return BuildLink(blocks);
}

inline void WriteSettings(const std::filesystem::path& program_dir, const std::string& game_path) {
    WriteText(program_dir / "Tavrel.ini", "[GamePath]\nPATH_Ostrim=" + game_path + "\n");
}

// A game folder holding a recognised "Good.bin" and an unrecognised "Other.bin", with the
// settings in `program_dir` pointing at it.
inline void WriteGoodAndOtherGame(const std::filesystem::path& program_dir,
                                  const std::filesystem::path& game) {
    WriteFile(game / "Good.bin", RecognisedArchive());
    WriteFile(game / "Other.bin", UnrecognisedArchive());
    WriteSettings(program_dir, game.string());
}

// A game folder holding two recognised archives, "Good.bin" and "Spare.bin", with the settings
// in `program_dir` pointing at it.
inline void WriteGoodAndSpareGame(const std::filesystem::path& program_dir,
                                  const std::filesystem::path& game) {
    WriteFile(game / "Good.bin", RecognisedArchive());
    WriteFile(game / "Spare.bin", RecognisedArchive());
    WriteSettings(program_dir, game.string());
}

// Base of the shell's test objects: scripted dialogs, a temporary folder and the application
// with its main window. The helpers return false where a step failed, for the test to check.
class ShellTest : public QObject {
protected:
    // A fresh temporary folder, with program_ ("program") and game_ ("RES") named below it;
    // neither is created.
    void MakeFolders() {
        dir_ = std::make_unique<TestDir>();
        program_ = dir_->path() / "program";
        game_ = dir_->path() / "RES";
    }
    // Starts the application over `program_dir` and sets frame_ to its main window.
    bool StartApp(const std::filesystem::path& program_dir) {
        app_ = std::make_unique<shell::CTavrelApp>(program_dir, &dialogs_);
        if (!app_->InitInstance()) return false;
        frame_ = app_->MainFrame();
        return true;
    }
    // Activates the main window and waits until it is active.
    bool ActivateFrame() {
        frame_->activateWindow();
        return QTest::qWaitForWindowActive(frame_);
    }
    // Closes the application, removes the temporary folder and clears the dialog script.
    void StopApp() {
        app_.reset();
        dir_.reset();
        dialogs_ = {};
    }

    ScriptedDialogs dialogs_;
    std::unique_ptr<TestDir> dir_;
    std::filesystem::path program_;
    std::filesystem::path game_;
    std::unique_ptr<shell::CTavrelApp> app_;
    shell::CMainFrame* frame_ = nullptr;
};

}  // namespace tavrel::test
