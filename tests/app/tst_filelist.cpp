#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "Screenshots.h"
#include "app/ApplicationWindows.h"
#include "app/ufrmFileList.h"
#include "app/ufrmMain.h"
#include "data/uGlobalData.h"
#include "support/SeamFakes.h"

namespace {

std::vector<clValues> pathsOf(const QStringList& paths) {
    std::vector<clValues> history;
    for (const QString& path : paths) history.push_back({path});
    return history;
}

}  // namespace

class TestFileList : public QObject {
    Q_OBJECT

    std::unique_ptr<ApplicationWindows> windows;
    std::unique_ptr<MessageRecorder> messages;
    TfrmMain* w = nullptr;
    TfrmFileList* list = nullptr;

    void doubleClickEntry(int row) {
        QListWidgetItem* item = list->List->item(row);
        list->List->setCurrentItem(item);
        const QPoint at = list->List->visualItemRect(item).center();
        // A double click is a click followed by the double-click event.
        QTest::mouseClick(list->List->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->List->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init() {
        windows = std::make_unique<ApplicationWindows>();
        messages = std::make_unique<MessageRecorder>();
        w = windows->frmMain();
        list = windows->frmFileList();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }

    void cleanup() {
        messages.reset();
        windows.reset();
    }

    void height_data() {
        QTest::addColumn<int>("paths");
        QTest::addColumn<int>("height");
        QTest::newRow("one path") << 1 << 18;
        QTest::newRow("two paths") << 2 << 30;
        QTest::newRow("four paths") << 4 << 60;
        QTest::newRow("twelve paths") << 12 << 180;
    }
    void height() {
        QFETCH(int, paths);
        QFETCH(int, height);
        QStringList names;
        for (int i = 0; i < paths; ++i) names << QString("/data/book%1.xls").arg(i);
        File1History = pathsOf(names);
        w->btnShowHistory1Click();
        QVERIFY(QTest::qWaitForWindowExposed(list));
        QCOMPARE(list->height(), height);
        QCOMPARE(list->List->count(), paths);
        // Every path is in view: no scrolling needed.
        const QListWidgetItem* last = list->List->item(paths - 1);
        QVERIFY(list->List->viewport()->rect().contains(list->List->visualItemRect(last)));
    }

    void widthGrowsAndNeverShrinks() {
        QVERIFY(list->Fill(pathsOf({"/a.xls"})));
        QCOMPARE(list->width(), 140);  // the designed width at least
        const QString forty = "/home/ann/reports/2024/q1/sales-east.xls";
        QCOMPARE(forty.size(), 40);
        QVERIFY(list->Fill(pathsOf({"/a.xls", forty})));
        QCOMPARE(list->width(), 240);
        QVERIFY(list->Fill(pathsOf({"/a.xls", "/b.xls"})));
        QCOMPARE(list->width(), 240);
    }

    void emptyHistoryShowsNothing() {
        QTest::mouseClick(w->btnShowHistory1, Qt::LeftButton);
        QVERIFY(!list->isVisible());
        QVERIFY(!list->Fill({}));
    }

    void opensBesideItsButton_data() {
        QTest::addColumn<int>("slot");
        QTest::newRow("File 1") << 1;
        QTest::newRow("File 2") << 2;
    }
    void opensBesideItsButton() {
        QFETCH(int, slot);
        File1History = pathsOf({"/data/one.xls", "/data/two.xls"});
        File2History = pathsOf({"/data/three.xls"});
        w->EnableFileCommands(CommandGroup::NeedsFile1);
        QTest::mouseClick(slot == 1 ? w->btnShowHistory1 : w->btnShowHistory2, Qt::LeftButton);
        QVERIFY(list->isVisible());
        QCOMPARE(list->TargetFile, slot);
        QCOMPARE(list->List->count(), slot == 1 ? 2 : 1);
        // Below the arrow button, from its left edge: the list covers neither "File N" nor the
        // arrow, and starts on the row below.
        const QPoint corner = w->centralWidget()->mapFromGlobal(list->pos());
        const QWidget* button = slot == 1 ? w->btnOpenFile1 : w->btnOpenFile2;
        const QWidget* arrow = slot == 1 ? w->btnShowHistory1 : w->btnShowHistory2;
        QCOMPARE(corner, QPoint(button->geometry().right() + 1, arrow->geometry().bottom() + 1));
        QCOMPARE(arrow->x(), corner.x());
        if (slot == 1) {
            QVERIFY(QTest::qWaitForWindowExposed(list));
            QTest::qWait(50);
            SaveScreenArea(w->frameGeometry().adjusted(0, 0, 0, -450), "drop-down");
        }
    }

    void doubleClickOpensInTheListsSlot_data() {
        QTest::addColumn<int>("slot");
        QTest::newRow("File 1 list") << 1;
        QTest::newRow("File 2 list") << 2;
    }
    void doubleClickOpensInTheListsSlot() {
        QFETCH(int, slot);
        File1History = pathsOf({"/data/one.xls", "/data/two.xls"});
        File2History = pathsOf({"/data/three.xls", "/data/four.xls"});
        w->EnableFileCommands(CommandGroup::NeedsFile1);
        // The other list was shown last, with other paths: the slot is the one just opened.
        w->btnShowHistory1Click();
        w->btnShowHistory2Click();
        if (slot == 1) w->btnShowHistory1Click();
        QSignalSpy chosen(list, &TfrmFileList::recentFileChosen);
        QVERIFY(QTest::qWaitForWindowExposed(list));
        doubleClickEntry(1);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toInt(), slot);
        QCOMPARE(chosen[0][1].toString(), QString(slot == 1 ? "/data/two.xls" : "/data/four.xls"));
        QVERIFY(!list->isVisible());
        QCOMPARE(File1History.size(), std::size_t(2));  // opening from the list changes no list
    }

    void doubleClickWithoutSelectionDoesNothing() {
        File1History = pathsOf({"/data/one.xls"});
        w->btnShowHistory1Click();
        list->List->clearSelection();
        list->List->setCurrentItem(nullptr);
        QSignalSpy chosen(list, &TfrmFileList::recentFileChosen);
        list->ListDblClick();
        QCOMPARE(chosen.size(), 0);
        QVERIFY(list->isVisible());
    }

    void closesWhenAnotherWindowIsActivated() {
        File1History = pathsOf({"/data/one.xls"});
        w->btnShowHistory1Click();
        QTRY_VERIFY(list->isActiveWindow());
        w->activateWindow();
        QTRY_VERIFY(!list->isVisible());
    }
};

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
