// A batch export started and aborted from the progress dialog; the import's parameter
// dialog and what a running batch holds off.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "CLeftView.h"
#include "CMEXPORTDlg.h"
#include "CMIMPORTDlg.h"
#include "CMainFrame.h"
#include "CPROGRESSDlg.h"
#include "CTavrelApp.h"
#include "CTavrelView.h"
#include "CommandIds.h"
#include "ShellContext.h"
#include "ShellFixtures.h"
#include "picture/BitmapFile.h"
#include "support/TestDir.h"

using namespace tavrel;
using namespace tavrel::shell;
namespace fs = std::filesystem;

namespace {

int CountFiles(const fs::path& dir) {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir)) n += entry.is_regular_file() ? 1 : 0;
    return n;
}

}  // namespace

class ProgressTest : public test::ShellTest {
    Q_OBJECT
private slots:
    void init() {
        MakeFolders();
        out_ = dir_->path() / "out";
        fs::create_directories(out_);
        test::WriteGoodAndSpareGame(program_, game_);
        QVERIFY(StartApp(program_));
        frame_->Action(kCmdOpen)->trigger();
        frame_->Tree()->setCurrentItem(frame_->Tree()->FindItem(game_ / "Good.bin"));
        QVERIFY(app_->GetSession().state.archive_open);
    }
    void cleanup() { StopApp(); }

    void exportRunsToTheEnd() {
        CPROGRESSDlg* progress = OpenExport("1", "24");
        QVERIFY(progress);
        QVERIFY(progress->StartButton()->isEnabled());
        QVERIFY(!progress->AbortButton()->isEnabled());
        QTest::mouseClick(progress->StartButton(), Qt::LeftButton);
        QVERIFY(!progress->StartButton()->isEnabled());
        QVERIFY(progress->AbortButton()->isEnabled());
        QVERIFY(!frame_->Action(kCmdNextBlock)->isEnabled());  // held off while it runs

        QTRY_VERIFY_WITH_TIMEOUT(!app_->Context().batch_active, 20000);
        QCOMPARE(CountFiles(out_), 23 * 2);  // block 2 has no frames
        QVERIFY(fs::exists(out_ / "00024_00002.bmp"));
        QCOMPARE(app_->GetSession().state.current_block, 24u);
        QVERIFY(!frame_->View()->ProgressDialog());
        frame_->RefreshCommandStates();
        QVERIFY(frame_->Action(kCmdNextBlock)->isEnabled());
    }

    void abortDuringTheRunStopsTheExport() {
        CPROGRESSDlg* progress = OpenExport("1", "24");
        QVERIFY(progress);
        QLabel* text = progress->ProgressText();
        QTest::mouseClick(progress->StartButton(), Qt::LeftButton);
        // Abort as soon as the first frame has been reported.
        QTRY_VERIFY_WITH_TIMEOUT(!text->text().isEmpty(), 20000);
        QTest::mouseClick(progress->AbortButton(), Qt::LeftButton);
        QVERIFY(progress->isVisible());  // abort never closes the dialog itself

        QTRY_VERIFY_WITH_TIMEOUT(!app_->Context().batch_active, 20000);
        int written = CountFiles(out_);
        QVERIFY(written >= 1);
        QVERIFY(written < 23 * 2);
        QCOMPARE(app_->GetSession().state.current_block, 24u);  // every block still visited
    }

    void abortBeforeStartExportsNothing() {
        CPROGRESSDlg* progress = OpenExport("3", "5");
        QVERIFY(progress);
        QTest::keyClick(progress, Qt::Key_Escape);  // what the platform maps to abort
        QVERIFY(progress->isVisible());
        QTest::mouseClick(progress->StartButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!app_->Context().batch_active, 20000);
        QCOMPARE(CountFiles(out_), 0);
        QCOMPARE(app_->GetSession().state.current_block, 5u);
    }

    void importRunsWithoutAbortAndRebuildsTheArchive() {
        Picture red(4, 4);
        for (std::size_t i = 0; i < red.pixels.size(); i += 4)
            red.pixels[i + 2] = red.pixels[i + 3] = 255;
        QVERIFY(WriteBitmapFile(out_ / "00003_00002.bmp", red));
        frame_->Action(kCmdLastBlock)->trigger();
        dialogs_.execs.push_back([this](QDialog& d) {
            auto& dialog = static_cast<CMIMPORTDlg&>(d);
            dialog.FolderField()->setText(test::Q(out_) + "//");
            dialog.accept();
            return dialog.result();
        });
        frame_->Action(kCmdBatchImport)->trigger();
        CPROGRESSDlg* progress = frame_->View()->ProgressDialog();
        QVERIFY(progress);
        QVERIFY(app_->GetSession().state.busy);
        QTest::mouseClick(progress->StartButton(), Qt::LeftButton);
        QVERIFY(!progress->AbortButton()->isEnabled());  // an import cannot be aborted

        QTRY_VERIFY_WITH_TIMEOUT(!app_->Context().batch_active, 20000);
        const BrowseState& state = app_->GetSession().state;
        QVERIFY(!state.busy);
        QVERIFY(state.archive_open);
        QCOMPARE(state.current_block, 24u);  // back where it was
        QVERIFY(dialogs_.messages.empty());
        frame_->RefreshCommandStates();
        QVERIFY(frame_->Action(kCmdNextBlock)->isEnabled());

        // The replaced frame is in the rebuilt archive.
        dialogs_.execs.push_back([](QDialog& d) {
            d.findChild<QLineEdit*>()->setText("3");
            d.accept();
            return d.result();
        });
        frame_->Action(kCmdGoToBlock)->trigger();
        frame_->Action(kCmdNextFrame)->trigger();
        QCOMPARE(state.current_frame, 2u);
        QImage shown = frame_->View()->viewport()->grab().toImage();
        QCOMPARE(shown.pixelColor(0, 0), QColor(255, 0, 0));
    }

    void treeRefusesAnotherArchiveWhileTheBatchIsOpen() {
        QVERIFY(OpenExport("1", "1"));
        frame_->Tree()->setCurrentItem(frame_->Tree()->FindItem(game_ / "Spare.bin"));
        QCOMPARE(dialogs_.messages.size(), size_t(1));
        QCOMPARE(dialogs_.messages[0].text, QString("正在处理数据包中……请勿切换所选文件！"));
        QCOMPARE(app_->GetSession().state.archive.archive_name, std::string("Good.bin"));
        frame_->View()->ProgressDialog()->Start();
        QTRY_VERIFY_WITH_TIMEOUT(!app_->Context().batch_active, 20000);
    }

    void exportDialogChecksFolderFirst() {
        bool stayed_open = false;
        QStringList presets;
        dialogs_.execs.push_back([&](QDialog& d) {
            auto& dialog = static_cast<CMEXPORTDlg&>(d);
            presets << dialog.FirstField()->text() << dialog.LastField()->text()
                    << dialog.FolderField()->text();
            dialog.FirstField()->clear();
            dialog.FolderField()->setText(test::Q(dir_->path() / "missing"));
            dialog.accept();
            stayed_open = dialog.result() != QDialog::Accepted;
            return dialog.result();
        });
        frame_->Action(kCmdBatchExport)->trigger();
        QVERIFY(stayed_open);
        QCOMPARE(presets, (QStringList{"1", "1", ""}));
        QCOMPARE(dialogs_.exec_titles, QStringList{"批量导出参数设定"});
        QCOMPARE(dialogs_.messages.size(), size_t(1));
        QCOMPARE(dialogs_.messages[0].text, QString("该路径文件夹不存在，请手动创建！\n "));
        QVERIFY(!frame_->View()->ProgressDialog());
    }

    void importDialogSetsBusyUntilCancelled() {
        bool busy_while_open = false;
        QString after_cancel = "unset";
        dialogs_.execs.push_back([&](QDialog& d) {
            busy_while_open = app_->GetSession().state.busy;
            auto& dialog = static_cast<CMIMPORTDlg&>(d);
            dialogs_.folders = {QString()};
            dialog.FolderField()->setText("something");
            dialog.BrowseFolder();  // cancelled: the field is emptied
            after_cancel = dialog.FolderField()->text();
            return int(QDialog::Rejected);
        });
        frame_->Action(kCmdBatchImport)->trigger();
        QVERIFY(busy_while_open);
        QCOMPARE(after_cancel, QString());
        QCOMPARE(dialogs_.folder_titles, QStringList{"将要导入的图片的存放目录"});
        QVERIFY(!app_->GetSession().state.busy);
        QVERIFY(!frame_->View()->ProgressDialog());
    }

private:
    // Runs the export command with the given range into out_ and returns its progress dialog.
    CPROGRESSDlg* OpenExport(const QString& first, const QString& last) {
        dialogs_.execs.push_back([this, first, last](QDialog& d) {
            auto& dialog = static_cast<CMEXPORTDlg&>(d);
            dialog.FirstField()->setText(first);
            dialog.LastField()->setText(last);
            dialog.FolderField()->setText(test::Q(out_));
            dialog.accept();
            return dialog.result();
        });
        frame_->RefreshCommandStates();
        frame_->Action(kCmdBatchExport)->trigger();
        CPROGRESSDlg* progress = frame_->View()->ProgressDialog();
        if (progress) frame_->RefreshCommandStates();
        return progress;
    }

    fs::path out_;
};

QTEST_MAIN(ProgressTest)
#include "ProgressTest.moc"
