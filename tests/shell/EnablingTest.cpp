// Which commands are enabled as the browsing state moves: no archive, a recognised archive,
// a block without frames, an unrecognised file; and the same command from either pane.
#include <QLabel>
#include <QtTest>

#include "CLeftView.h"
#include "CMainFrame.h"
#include "CTavrelApp.h"
#include "CTavrelView.h"
#include "CommandIds.h"
#include "CommandRules.h"
#include "ShellContext.h"
#include "ShellFixtures.h"
#include "support/TestDir.h"

using namespace tavrel;
using namespace tavrel::shell;
namespace fs = std::filesystem;

namespace {

const QList<int> kBlockCommands = {kCmdNextBlock, kCmdPrevBlock,   kCmdFirstBlock, kCmdLastBlock,
                                   kCmdGoToBlock, kCmdBatchImport, kCmdBatchExport};
const QList<int> kFrameCommands = {kCmdPrevFrame, kCmdNextFrame, kCmdGoToFrame, kCmdImport,
                                   kCmdExport};

}  // namespace

class EnablingTest : public test::ShellTest {
    Q_OBJECT
private slots:
    void init() {
        MakeFolders();
        test::WriteGoodAndOtherGame(program_, game_);
        QVERIFY(StartApp(program_));
        QVERIFY(ActivateFrame());
    }
    void cleanup() { StopApp(); }

    void stateSequence() {
        auto expect = [&](const QList<int>& ids, bool enabled, const char* stage) {
            frame_->RefreshCommandStates();
            for (int id : ids) {
                QVERIFY2(frame_->Action(id)->isEnabled() == enabled,
                         qPrintable(QString("%1: command %2").arg(stage).arg(id)));
            }
        };
        expect(
            kBlockCommands + kFrameCommands + QList<int>{kCmdSave, kCmdRestore, kCmdChangeGameDir},
            false, "start");
        expect({kCmdOpen, kCmdAbout, kCmdExit}, true, "start");

        frame_->Action(kCmdOpen)->trigger();
        expect({kCmdChangeGameDir}, true, "game directory");
        expect(kBlockCommands + kFrameCommands, false, "game directory");

        frame_->Tree()->setCurrentItem(frame_->Tree()->FindItem(game_ / "Good.bin"));
        expect(kBlockCommands + kFrameCommands, true, "recognised archive");
        expect({kCmdSave, kCmdRestore}, false, "recognised archive");
        QCOMPARE(frame_->SizePane()->text(), QString("图片大小:  4 X 4"));

        frame_->Action(kCmdNextBlock)->trigger();  // block 2 has no frames
        QCOMPARE(app_->GetSession().state.current_block, 2u);
        expect(kBlockCommands, true, "block without frames");
        expect(kFrameCommands, false, "block without frames");
        QCOMPARE(frame_->SizePane()->text(), QString("非图片或工具尚未支持"));

        frame_->Tree()->setCurrentItem(frame_->Tree()->FindItem(game_ / "Other.bin"));
        expect(kBlockCommands + kFrameCommands + QList<int>{kCmdSave, kCmdRestore}, false,
               "unrecognised");
        QCOMPARE(frame_->windowTitle(), QString("Tavrel:    无法识别"));
        QCOMPARE(frame_->SizePane()->text(), QString());
    }

    void sameCommandFromEitherPane() {
        frame_->Action(kCmdOpen)->trigger();
        frame_->Tree()->setCurrentItem(frame_->Tree()->FindItem(game_ / "Good.bin"));
        const BrowseState& state = app_->GetSession().state;

        frame_->Tree()->setFocus();
        QTRY_COMPARE(frame_->ActivePane(), static_cast<QWidget*>(frame_->Tree()));
        frame_->Action(kCmdLastBlock)->trigger();
        QCOMPARE(state.current_block, 24u);
        frame_->Action(kCmdNextFrame)->trigger();
        QCOMPARE(state.current_frame, 2u);

        frame_->View()->setFocus();
        QTRY_COMPARE(frame_->ActivePane(), static_cast<QWidget*>(frame_->View()));
        frame_->Action(kCmdFirstBlock)->trigger();
        QCOMPARE(state.current_block, 1u);
        frame_->Action(kCmdNextFrame)->trigger();
        QCOMPARE(state.current_frame, 2u);
        frame_->View()->OnCommand(kCmdPrevFrame);  // the popup's way in
        QCOMPARE(state.current_frame, 1u);
    }

    void batchHoldsOffBrowsing() {
        BrowseState state;
        state.archive_open = true;
        state.frames_available = true;
        state.save_enabled = true;
        ShellFlags running{true, true};
        for (int id :
             kBlockCommands + kFrameCommands + QList<int>{kCmdSave, kCmdOpen, kCmdChangeGameDir}) {
            QVERIFY(CommandEnabled(id, state, ShellFlags{true, false}));
            QVERIFY(!CommandEnabled(id, state, running));
        }
        QVERIFY(CommandEnabled(kCmdAbout, state, running));
    }
};

QTEST_MAIN(EnablingTest)
#include "EnablingTest.moc"
