// A picture imported into the current block reaches its temporary copy before the block is
// left: by selecting another archive, by Open, or by leaving the program.
#include <QtTest>

#include "CLeftView.h"
#include "CMainFrame.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "ShellFixtures.h"
#include "picture/BitmapFile.h"
#include "support/TestDir.h"

using namespace tavrel;
using namespace tavrel::shell;
namespace fs = std::filesystem;

namespace {

int TempCopies(const fs::path& program_dir) {
    int n = 0;
    if (!fs::exists(program_dir / "temppacks")) return 0;
    for (const auto& entry : fs::recursive_directory_iterator(program_dir / "temppacks")) {
        n += entry.path().extension() == ".data" ? 1 : 0;
    }
    return n;
}

}  // namespace

class LeavingTest : public QObject {
    Q_OBJECT
private slots:
    void importSurvivesLeaving_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("another archive") << "select";
        QTest::newRow("Open") << "open";
        QTest::newRow("leaving the program") << "close";
    }

    void importSurvivesLeaving() {
        QFETCH(QString, how);
        test::TestDir dir;
        fs::path program = dir / "program";
        fs::path game = dir / "RES";
        test::WriteGoodAndSpareGame(program, game);
        Picture red(4, 4);
        for (std::size_t i = 0; i < red.pixels.size(); i += 4)
            red.pixels[i + 2] = red.pixels[i + 3] = 255;
        QVERIFY(WriteBitmapFile(dir / "red.bmp", red));

        test::ScriptedDialogs dialogs;
        CTavrelApp app(program, &dialogs);
        QVERIFY(app.InitInstance());
        CMainFrame* frame = app.MainFrame();
        frame->Action(kCmdOpen)->trigger();
        frame->Tree()->setCurrentItem(frame->Tree()->FindItem(game / "Good.bin"));
        dialogs.open_files = {test::Q(dir / "red.bmp")};
        frame->RefreshCommandStates();
        frame->Action(kCmdImport)->trigger();
        QVERIFY(app.GetSession().state.save_enabled);
        QCOMPARE(TempCopies(program), 0);  // the import itself stays in memory

        if (how == "select")
            frame->Tree()->setCurrentItem(frame->Tree()->FindItem(game / "Spare.bin"));
        if (how == "open") frame->Action(kCmdOpen)->trigger();
        if (how == "close") QVERIFY(frame->close());
        QCOMPARE(TempCopies(program), 1);
        QVERIFY(dialogs.messages.empty());
    }
};

QTEST_MAIN(LeavingTest)
#include "LeavingTest.moc"
