// The picture view: start picture, the frame at the top left unscaled, scroll extents,
// an empty view after an unrecognised file.
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include "CLeftView.h"
#include "CMainFrame.h"
#include "CTavrelApp.h"
#include "CTavrelView.h"
#include "CommandIds.h"
#include "ShellFixtures.h"
#include "support/TestDir.h"

using namespace tavrel;
using namespace tavrel::shell;
namespace fs = std::filesystem;

class ViewTest : public test::ShellTest {
    Q_OBJECT
private slots:
    void init() {
        MakeFolders();
        test::WriteGoodAndOtherGame(program_, game_);
        QVERIFY(StartApp(program_));
        view_ = frame_->View();
    }
    void cleanup() { StopApp(); }

    void startPictureThenFrameAtTopLeft() {
        QImage start = view_->viewport()->grab().toImage();
        QCOMPARE(view_->ScrollExtent(), QSize(800, 600));
        QVERIFY(start.pixelColor(5, 5) != view_->viewport()->palette().color(QPalette::Window));

        frame_->Action(kCmdOpen)->trigger();
        frame_->Tree()->setCurrentItem(frame_->Tree()->FindItem(game_ / "Good.bin"));
        QCOMPARE(view_->ScrollExtent(), QSize(4, 4));
        QCOMPARE(view_->horizontalScrollBar()->maximum(), 0);

        QImage shown = view_->viewport()->grab().toImage();
        const QColor background = view_->viewport()->palette().color(QPalette::Window);
        QCOMPARE(shown.pixelColor(0, 0), QColor(40, 40, 40));  // first frame: flat grey 40
        QCOMPARE(shown.pixelColor(3, 3), QColor(40, 40, 40));
        QCOMPARE(shown.pixelColor(4, 4), background);  // unscaled, not centred

        frame_->Action(kCmdNextBlock)->trigger();  // no frames: empty view, extent kept
        QCOMPARE(view_->ScrollExtent(), QSize(4, 4));
        QCOMPARE(view_->viewport()->grab().toImage().pixelColor(0, 0), background);

        frame_->Action(kCmdPrevBlock)->trigger();
        frame_->Tree()->setCurrentItem(frame_->Tree()->FindItem(game_ / "Other.bin"));
        QCOMPARE(view_->viewport()->grab().toImage().pixelColor(0, 0), background);
    }

    void goToBlockAsksForANumber() {
        frame_->Action(kCmdOpen)->trigger();
        frame_->Tree()->setCurrentItem(frame_->Tree()->FindItem(game_ / "Good.bin"));
        QStringList seen;
        dialogs_.execs.push_back([&](QDialog& d) {
            auto* field = d.findChild<QLineEdit*>();
            seen << d.windowTitle() << field->text();
            for (QLabel* label : d.findChildren<QLabel*>()) seen << label->text();
            field->setText("7");
            d.accept();
            return d.result();
        });
        frame_->RefreshCommandStates();
        frame_->Action(kCmdGoToBlock)->trigger();
        QCOMPARE(seen, (QStringList{"输入数值", "1", "请输入数值："}));
        QCOMPARE(app_->GetSession().state.current_block, 7u);

        frame_->Action(kCmdGoToBlock)->trigger();  // cancelled: nothing changes
        QCOMPARE(app_->GetSession().state.current_block, 7u);
    }

    void largeExtentScrolls() {
        view_->resize(300, 200);
        view_->SetScrollExtent(QSize(1024, 1024));
        QVERIFY(view_->horizontalScrollBar()->maximum() > 0);
        QVERIFY(view_->verticalScrollBar()->maximum() > 0);
        view_->SetScrollExtent(QSize(64, 64));
        QCOMPARE(view_->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(view_->verticalScrollBar()->maximum(), 0);
    }

private:
    CTavrelView* view_ = nullptr;
};

QTEST_MAIN(ViewTest)
#include "ViewTest.moc"
