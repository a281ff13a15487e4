// tavrel: the desktop application.
//
//   tavrel [--program-dir DIR] [--open-archive PATH] [--screenshot FILE.png]
//
// --program-dir    where Tavrel.ini, temppacks/ and Plugins/ live (default: the executable's
// folder)
// --open-archive   after start, Open the game directory of Tavrel.ini and select this archive
// --screenshot     once the window shows the archive, save the main window as PNG and quit
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "CMainFrame.h"
#include "CTavrelApp.h"
#include "ShellText.h"
#include "browse/SettingsFile.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption program_dir(QStringLiteral("program-dir"),
                                   "Folder of Tavrel.ini, temppacks/ and Plugins/.", "DIR");
    QCommandLineOption open_archive(QStringLiteral("open-archive"), "Archive to open after start.",
                                    "PATH");
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  "Save the main window to this PNG and quit.", "FILE");
    parser.addOptions({program_dir, open_archive, screenshot});
    parser.process(qt);

    using tavrel::shell::PathFromQt;
    std::filesystem::path dir = parser.isSet(program_dir) ? PathFromQt(parser.value(program_dir))
                                                          : tavrel::ExecutableDirectory();
    tavrel::shell::CTavrelApp app(dir);
    if (!app.InitInstance()) return 1;

    if (parser.isSet(open_archive)) {
        std::filesystem::path archive = PathFromQt(parser.value(open_archive));
        QTimer::singleShot(0, &app, [&app, archive] { app.OpenArchiveAtStart(archive); });
    }
    if (parser.isSet(screenshot)) {
        QString file = parser.value(screenshot);
        QTimer::singleShot(600, &app, [&app, file] {
            tavrel::shell::CMainFrame* frame = app.MainFrame();
            frame->RefreshCommandStates();
            bool saved = frame->grab().save(file, "PNG");
            if (!saved) std::fprintf(stderr, "tavrel: cannot write %s\n", qPrintable(file));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    int result = qt.exec();
    app.ExitInstance();
    return result;
}
