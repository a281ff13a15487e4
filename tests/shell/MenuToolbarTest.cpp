// The main window's menus, toolbar, popup menu, keys and status bar.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
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

namespace {

struct Item {
    QString text;      // "" for a separator
    QString shortcut;  // portable text, "" for none
};

QList<Item> Items(const QList<QAction*>& actions) {
    QList<Item> items;
    for (QAction* a : actions) {
        items.push_back(a->isSeparator() ? Item{} : Item{a->text(), a->shortcut().toString()});
    }
    return items;
}

const QList<Item> kBrowseItems = {
    {"导入(&I)", "Ctrl+I"},
    {"导出(&E)", "Ctrl+E"},
    {"保存(&S)", "Ctrl+S"},
    {"还原(&R)", "Ctrl+R"},
    {},
    {"上一个数据块(&Z)", "Ctrl+Z"},
    {"下一个数据块(&X)", "Ctrl+X"},
    {"第一个数据块(&Home)", "Ctrl+Home"},
    {"最后一个数据块(&End)", "Ctrl+End"},
    {"转到数据块...(&P)", "Ctrl+P"},
    {"前一帧(&C)", "Ctrl+C"},
    {"下一帧(&V)", "Ctrl+V"},
    {"转到帧...(&L)", "Ctrl+L"},
};

}  // namespace

class MenuToolbarTest : public test::ShellTest {
    Q_OBJECT
private slots:
    void init() {
        MakeFolders();
        QVERIFY(StartApp(dir_->path()));
        QVERIFY(ActivateFrame());
    }
    void cleanup() { StopApp(); }

    void mainMenuHasEveryItemInOrder() {
        QList<QAction*> popups = frame_->menuBar()->actions();
        QCOMPARE(popups.size(), 4);
        QCOMPARE(popups[0]->text(), QString("文件(&F)"));
        QCOMPARE(popups[1]->text(), QString("浏览(&V)"));
        QCOMPARE(popups[2]->text(), QString("批量(&B)"));
        QCOMPARE(popups[3]->text(), QString("帮助(&H)"));

        const QList<QList<Item>> expected = {
            {{"打开(&O)", "Ctrl+O"}, {}, {"更改游戏路径", ""}, {}, {"退出(&X)", ""}},
            kBrowseItems,
            {{"批量导入...", ""}, {"批量导出...", ""}},
            {{"关于 Tavrel(&A)...", ""}},
        };
        for (int m = 0; m < 4; ++m) {
            QList<Item> items = Items(popups[m]->menu()->actions());
            QCOMPARE(items.size(), expected[m].size());
            for (int i = 0; i < items.size(); ++i) {
                QCOMPARE(items[i].text, expected[m][i].text);
                QCOMPARE(items[i].shortcut, expected[m][i].shortcut);
            }
        }
    }

    void statusPromptsFollowTheCommandTable() {
        QCOMPARE(frame_->Action(kCmdOpen)->statusTip(), QString("展开游戏图片资源目录"));
        QCOMPARE(frame_->Action(kCmdSave)->statusTip(),
                 QString("保存修改到资源文件，只有执行本命令文件才会被真正的修改！"));
        // The text after a line break is the tooltip, not part of the prompt.
        QCOMPARE(frame_->Action(kCmdChangeGameDir)->statusTip(), QString("重新设置您的游戏目录"));
        QCOMPARE(frame_->Action(kCmdAbout)->statusTip(), QString("显示程序信息、版本号和版权信息"));
        QCOMPARE(frame_->Action(kCmdAbout)->toolTip(), QString("关于"));
        QCOMPARE(frame_->Action(kCmdBatchImport)->statusTip(),
                 QString("将符合命名规则的多个图片一次性导入到资源包中"));
    }

    void toolbarHasElevenButtonsInOrder() {
        QToolBar* bar = frame_->ToolBar();
        QCOMPARE(bar->windowTitle(), QString("标准"));
        const QList<int> expected = {kCmdOpen,
                                     0,
                                     kCmdPrevBlock,
                                     kCmdNextBlock,
                                     kCmdFirstBlock,
                                     kCmdLastBlock,
                                     0,
                                     kCmdPrevFrame,
                                     kCmdNextFrame,
                                     0,
                                     kCmdImport,
                                     kCmdExport,
                                     0,
                                     kCmdSave,
                                     kCmdRestore};
        QList<QAction*> actions = bar->actions();
        QCOMPARE(actions.size(), expected.size());
        for (int i = 0; i < actions.size(); ++i) {
            if (expected[i] == 0) {
                QVERIFY(actions[i]->isSeparator());
            } else {
                QCOMPARE(actions[i], frame_->Action(expected[i]));  // shared with the menu
                QCOMPARE(actions[i]->icon().pixmap(16, 16).size(), QSize(16, 16));
            }
        }
    }

    void popupMenuEndsWithForcedImport() {
        QMenu* popup = frame_->View()->ContextMenu();
        QCOMPARE(popup->title(), QString("浏览(&V)"));
        QList<QAction*> actions = popup->actions();
        QCOMPARE(actions.size(), kBrowseItems.size() + 2);
        for (int i = 0; i < kBrowseItems.size(); ++i) {
            QString label = actions[i]->text().section('\t', 0, 0);
            QCOMPARE(label, kBrowseItems[i].text);
        }
        QVERIFY(actions[actions.size() - 2]->isSeparator());
        QCOMPARE(actions.back()->text(), QString("强制导入"));
        QCOMPARE(actions.back()->statusTip(), QString("在目前位置强制导入头像"));
        // Only the popup offers it.
        for (QAction* a : frame_->actions()) QVERIFY(a->text() != QString("强制导入"));
    }

    void statusBarPanes() {
        QCOMPARE(frame_->MessagePane()->text(), QString("就绪"));
        QCOMPARE(frame_->SizePane()->width(), 128);
        QCOMPARE(frame_->SizePane()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(frame_->SizePane()->text(), QString());  // the size text is empty at start
        app_->GetSession().display.size_text = "图片大小:  64 X 32";
        QTRY_COMPARE(frame_->SizePane()->text(), QString("图片大小:  64 X 32"));
        QCOMPARE(frame_->findChild<QLabel*>("pane10001")->text(), QString());
    }

    void ctrlCAndVAreFrameKeysInBothPanes() {
        app_->GetSession().state.frames_available = true;
        frame_->RefreshCommandStates();
        QSignalSpy prev(frame_->Action(kCmdPrevFrame), &QAction::triggered);
        QSignalSpy next(frame_->Action(kCmdNextFrame), &QAction::triggered);
        QVERIFY(ActivateFrame());
        for (QWidget* pane :
             {static_cast<QWidget*>(frame_->Tree()), static_cast<QWidget*>(frame_->View())}) {
            pane->setFocus();
            QTRY_COMPARE(frame_->ActivePane(), pane);
            QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
            QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        }
        QCOMPARE(prev.count(), 2);
        QCOMPARE(next.count(), 2);
    }

    void noArchiveMeansNoBrowsingCommands() {
        frame_->RefreshCommandStates();
        for (int id : {kCmdNextBlock, kCmdPrevBlock, kCmdFirstBlock, kCmdLastBlock, kCmdGoToBlock,
                       kCmdImport, kCmdExport, kCmdSave, kCmdRestore, kCmdBatchImport,
                       kCmdBatchExport, kCmdChangeGameDir}) {
            QVERIFY2(!frame_->Action(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        QVERIFY(frame_->Action(kCmdOpen)->isEnabled());
        QVERIFY(frame_->Action(kCmdAbout)->isEnabled());
        QCOMPARE(frame_->windowTitle(), QString("Tavrel 1.0    by Kelvane"));
    }

    void aboutBoxTexts() {
        QStringList texts;
        dialogs_.execs.push_back([&](QDialog& d) {
            for (QLabel* l : d.findChildren<QLabel*>()) texts << l->text();
            for (QPushButton* b : d.findChildren<QPushButton*>()) texts << b->text();
            return int(QDialog::Accepted);
        });
        frame_->Action(kCmdAbout)->trigger();
        QCOMPARE(dialogs_.exec_titles, QStringList{"关于 Tavrel"});
        QVERIFY(texts.contains("《Ostrim》图片修改工具"));
        QVERIFY(texts.contains("制作：Kelvane"));
        QVERIFY(texts.contains("确定"));
    }
};

QTEST_MAIN(MenuToolbarTest)
#include "MenuToolbarTest.moc"
