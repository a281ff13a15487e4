// The resource-file tree: filling, the game-directory commands, selection.
#include <QTreeWidget>
#include <QtTest>

#include "CLeftView.h"
#include "CMainFrame.h"
#include "CTavrelApp.h"
#include "CommandIds.h"
#include "ShellContext.h"
#include "ShellFixtures.h"
#include "browse/SettingsFile.h"
#include "support/TestDir.h"

using namespace tavrel;
using namespace tavrel::shell;
namespace fs = std::filesystem;

namespace {

// "name" lines of the tree below `item`, indented by depth, in tree order.
QStringList Outline(QTreeWidgetItem* item, int depth = 0) {
    QStringList lines{QString(depth * 2, ' ') + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i) lines += Outline(item->child(i), depth + 1);
    return lines;
}

bool AllExpanded(QTreeWidgetItem* item) {
    if (item->childCount() > 0 && !item->isExpanded()) return false;
    for (int i = 0; i < item->childCount(); ++i) {
        if (!AllExpanded(item->child(i))) return false;
    }
    return true;
}

}  // namespace

class TreeTest : public test::ShellTest {
    Q_OBJECT
private slots:
    void init() {
        MakeFolders();
        fs::create_directories(program_);
        fs::create_directories(game_);
        QVERIFY(StartApp(program_));
        QVERIFY(ActivateFrame());
        tree_ = frame_->Tree();
    }
    void cleanup() { StopApp(); }

    void fillListsArchivesAndLeavesOutEmptyFolders() {
        std::string deep = "d1/d2/d3/d4/d5/d6/d7/d8/d9/d10";
        test::WriteFile(game_ / deep / "Deep.kx4", test::RecognisedArchive());
        test::WriteFile(game_ / "Data.BIN", test::RecognisedArchive());
        test::WriteFile(game_ / "data.bin.bak", {1});
        test::WriteFile(game_ / "notes.txt", {1});
        test::WriteFile(game_ / "x.bin" / "inner.bin", {1});  // a folder named like an archive
        fs::create_directories(game_ / "y.bin");              // ... and an empty one
        fs::create_directories(game_ / "empty" / "still_empty");
        test::WriteFile(game_ / "other" / "readme.txt", {1});
        test::WriteSettings(program_, game_.string());

        frame_->Action(kCmdOpen)->trigger();

        QStringList expected{"文件目录"};
        QString indent = "  ";
        for (int level = 1; level <= 10; ++level) {
            expected << indent + "d" + QString::number(level);
            indent += "  ";
        }
        expected << indent + "Deep.kx4";
        expected << "  x.bin"
                 << "    inner.bin"
                 << "  Data.BIN";
        QCOMPARE(Outline(tree_->RootItem()), expected);
        QVERIFY(AllExpanded(tree_->RootItem()));
        QVERIFY(dialogs_.folder_titles.isEmpty());  // the stored directory was used
    }

    void deepArchiveOpensAndFolderItemsDoNothing() {
        fs::path deep = game_ / "a/b/c/d/e/f/g/h/i/j" / "Deep.bin";
        test::WriteFile(deep, test::RecognisedArchive());
        test::WriteSettings(program_, game_.string());
        frame_->Action(kCmdOpen)->trigger();

        QTreeWidgetItem* folder = tree_->FindItem(game_ / "a/b/c");
        QVERIFY(folder);
        tree_->setCurrentItem(folder);
        QVERIFY(!app_->GetSession().state.archive_open);
        tree_->setCurrentItem(tree_->RootItem());
        QVERIFY(!app_->GetSession().state.archive_open);

        tree_->setCurrentItem(tree_->FindItem(deep));
        const BrowseState& state = app_->GetSession().state;
        QVERIFY(state.archive_open);
        QCOMPARE(state.archive.archive_path, deep);
        QCOMPARE(state.archive.archive_name, std::string("Deep.bin"));
        QCOMPARE(state.block_count, 24u);
        QVERIFY(frame_->windowTitle().startsWith("Tavrel:    数据包 1/24"));
        QVERIFY(dialogs_.messages.empty());
    }

    void busyRefusesAnotherArchive() {
        test::WriteFile(game_ / "One.bin", test::RecognisedArchive());
        test::WriteFile(game_ / "Two.bin", test::RecognisedArchive());
        test::WriteSettings(program_, game_.string());
        frame_->Action(kCmdOpen)->trigger();
        tree_->setCurrentItem(tree_->FindItem(game_ / "One.bin"));
        BrowseState& state = app_->GetSession().state;
        QVERIFY(state.archive_open);

        state.busy = true;
        tree_->setCurrentItem(tree_->FindItem(game_ / "Two.bin"));
        QCOMPARE(dialogs_.messages.size(), size_t(1));
        QCOMPARE(dialogs_.messages[0].text, QString("正在处理数据包中……请勿切换所选文件！"));
        QCOMPARE(dialogs_.messages[0].caption, QString("Tavrel"));
        QCOMPARE(state.archive.archive_name, std::string("One.bin"));
        QVERIFY(state.archive_open);
        state.busy = false;
    }

    void cancellingTheBrowserWithoutSettingsWritesNothing() {
        frame_->Action(kCmdOpen)->trigger();  // no Tavrel.ini: the browser comes at once
        QCOMPARE(dialogs_.folder_titles, QStringList{"请设置Ostrim的RES目录"});
        QVERIFY(!fs::exists(program_ / "Tavrel.ini"));
        QVERIFY(!app_->Context().game_path_known);
        QVERIFY(!frame_->Action(kCmdChangeGameDir)->isEnabled());
    }

    void invalidStoredDirectoryAsksAgainAndKeepsTheTypedText() {
        test::WriteSettings(program_, (dir_->path() / "gone").string());
        test::WriteFile(game_ / "Data.bin", test::RecognisedArchive());
        std::string typed = game_.string() + "//";
        dialogs_.folders = {QString("/no/such/folder"), QString::fromStdString(typed)};

        frame_->Action(kCmdOpen)->trigger();

        QCOMPARE(dialogs_.messages.size(), size_t(2));  // stored path, then the first choice
        for (const auto& m : dialogs_.messages) {
            QCOMPARE(m.text, QString("无法访问指定目录，请重新选择游戏目录！"));
            QCOMPARE(m.caption, QString("出错啦"));
        }
        QCOMPARE(ReadSettings(program_).game_path, typed);  // stored as chosen
        QCOMPARE(tree_->GamePath(), game_);                 // used without the separators
        QCOMPARE(tree_->RootItem()->childCount(), 1);
        QVERIFY(app_->Context().game_path_known);
        frame_->RefreshCommandStates();
        QVERIFY(frame_->Action(kCmdChangeGameDir)->isEnabled());
    }

    void changeGameDirectoryAlwaysAsksAndClosesTheArchive() {
        test::WriteFile(game_ / "Data.bin", test::RecognisedArchive());
        fs::path other = dir_->path() / "OTHER";
        test::WriteFile(other / "Face.kx4", test::RecognisedArchive());
        test::WriteSettings(program_, game_.string());
        frame_->Action(kCmdOpen)->trigger();
        tree_->setCurrentItem(tree_->FindItem(game_ / "Data.bin"));
        QVERIFY(app_->GetSession().state.archive_open);

        dialogs_.folders = {test::Q(other)};
        frame_->RefreshCommandStates();
        frame_->Action(kCmdChangeGameDir)->trigger();

        QCOMPARE(dialogs_.folder_titles, QStringList{"请设置Ostrim的RES目录"});
        QVERIFY(!app_->GetSession().state.archive_open);
        QVERIFY(app_->GetSession().state.show_start_picture);
        QCOMPARE(frame_->windowTitle(), QString("Tavrel 1.0    by Kelvane"));
        QCOMPARE(Outline(tree_->RootItem()), (QStringList{"文件目录", "  Face.kx4"}));
        QCOMPARE(ReadSettings(program_).game_path, other.string());
    }

private:
    CLeftView* tree_ = nullptr;
};

QTEST_MAIN(TreeTest)
#include "TreeTest.moc"
