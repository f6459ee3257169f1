// The result grid as a user sees it: Run on a real workbook shows its rows, the pop-up sort
// reorders and renumbers them, the wheel scrolls, and the window stays disabled while a run goes.
#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "LoadedWindow.h"
#include "Screenshots.h"
#include "app/ufrmMain.h"
#include "data/uGlobalData.h"
#include "processing/ResultFunctions.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"

class TestGridWindow : public QObject {
    Q_OBJECT
private:
    LoadedWindow session;
    MessageRecorder* messages = nullptr;
    TfrmMain* w = nullptr;

    QString cell(int row, int column) const {
        return w->MSFlexGrid1->model()->index(row, column).data().toString();
    }
    QString rowNumber(int row) const {
        return w->MSFlexGrid1->model()->headerData(row, Qt::Vertical).toString();
    }
    // Rows first..last of the first column selected, the current cell at row `current`.
    void selectRows(int first, int last, int current) const {
        QAbstractItemModel* model = w->MSFlexGrid1->model();
        w->MSFlexGrid1->selectionModel()->select(
            QItemSelection(model->index(first, 0), model->index(last, 0)),
            QItemSelectionModel::ClearAndSelect);
        w->MSFlexGrid1->selectionModel()->setCurrentIndex(model->index(current, 0),
                                                          QItemSelectionModel::NoUpdate);
    }
    void clickHeading(int column) const {
        QHeaderView* header = w->MSFlexGrid1->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }

private slots:
    void initTestCase() {
        QVERIFY(session.open("iris-excel-xls.xls"));
        w = session.w;
        messages = session.messages.get();
    }
    void cleanupTestCase() { session.close(); }

    void runShowsTheLoadedRows() {
        QAbstractItemModelTester tester(w->MSFlexGrid1->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        w->btnTBRun->click();
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 150);
        QCOMPARE(w->MSFlexGrid1->model()->headerData(4, Qt::Horizontal).toString(),
                 QString("Species"));
        QCOMPARE(cell(0, 4), QString("setosa"));
        QCOMPARE(rowNumber(149), QString("150"));
        QVERIFY(w->btnSaveFile->isEnabled());
        QVERIFY(w->menuBar()->isEnabled());
        QVERIFY(messages->boxes.isEmpty());
        // Column 0 is 600 twips, the data columns share the window.
        QCOMPARE(w->MSFlexGrid1->verticalHeader()->width(), 40);
        QCOMPARE(w->MSFlexGrid1->columnWidth(0), (w->width() / 6 - 1));
        SaveScreenshot(w, "main-window-loaded-data");
    }

    void popupSortReordersAndRenumbers() {
        // Species (text) descending: virginica first, numbered from 1 again.
        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(0, 4));
        w->Sortbydescending1->trigger();
        QCOMPARE(cell(0, 4), QString("virginica"));
        QCOMPARE(cell(149, 4), QString("setosa"));
        QCOMPARE(rowNumber(0), QString("1"));
        // Sepal.Length (a number column) ascending over a selection of rows 3 to 6 only.
        const QString untouched = cell(0, 0);
        // The current cell inside the block, as a right click leaves it.
        selectRows(2, 5, 3);
        const QString below = cell(6, 0) + cell(6, 1);
        w->Sortbyascending1->trigger();
        QCOMPARE(cell(6, 0) + cell(6, 1), below);
        QCOMPARE(cell(0, 0), untouched);
        for (int r = 2; r < 5; ++r) {
            QVERIFY(cell(r, 0).toDouble() <= cell(r + 1, 0).toDouble());
        }
        // The selection stays where it was.
        QCOMPARE(w->MSFlexGrid1->currentIndex().row(), 5);
        QCOMPARE(w->MSFlexGrid1->selectionModel()->selectedIndexes().size(), 4);
    }

    void wheelScrollsByTheRowsInView() {
        w->MSFlexGrid1->scrollToTop();
        const int inView = w->MSFlexGrid1->rowAt(w->MSFlexGrid1->viewport()->height() - 1);
        w->ScrollGridByWheel(-3);  // towards the user: down
        const int top = w->MSFlexGrid1->rowAt(0);
        QVERIFY2(top > 0 && top <= inView, qPrintable(QString("%1 of %2").arg(top).arg(inView)));
        w->ScrollGridByWheel(3);
        QCOMPARE(w->MSFlexGrid1->rowAt(0), 0);
        // Only whole notches scroll: sideways and small touchpad steps add up first.
        w->FormMouseWheel(0);
        w->FormMouseWheel(-60);
        QCOMPARE(w->MSFlexGrid1->rowAt(0), 0);
        w->FormMouseWheel(-60);
        QCOMPARE(w->MSFlexGrid1->rowAt(0), top);
    }

    // A heading click selects its column; the sort keeps the rows in view where they were
    // instead of scrolling to the selection's last row.
    void sortKeepsThePlaceInView() {
        QScrollBar* scroll = w->MSFlexGrid1->verticalScrollBar();
        scroll->setValue(59);
        QCOMPARE(w->MSFlexGrid1->rowAt(0), 59);
        clickHeading(1);
        QCOMPARE(w->MSFlexGrid1->selectionModel()->selectedIndexes().size(), 150);
        w->Sortbydescending1->trigger();
        QCOMPARE(w->MSFlexGrid1->rowAt(0), 59);
        QCOMPARE(ResultGrid.TopRow, 60);
        QVERIFY(cell(0, 1).toDouble() >= cell(149, 1).toDouble());
        QCOMPARE(w->MSFlexGrid1->selectionModel()->selectedIndexes().size(), 150);
        // A block reaching far below the rows in view.
        selectRows(60, 140, 60);
        scroll->setValue(59);
        w->Sortbyascending1->trigger();
        QCOMPARE(w->MSFlexGrid1->rowAt(0), 59);
    }

    // "Copy" puts the selected cells on the clipboard as text and as an HTML table; Ctrl+Shift+C
    // and Ctrl+Insert do it while the grid has the focus, with the headings when whole columns
    // are selected.
    void copyPutsTheSelectionOnTheClipboard() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QAbstractItemModel* model = w->MSFlexGrid1->model();
        w->MSFlexGrid1->scrollToTop();
        w->MSFlexGrid1->selectionModel()->select(
            QItemSelection(model->index(0, 3), model->index(1, 4)),
            QItemSelectionModel::ClearAndSelect);
        w->Copy1->trigger();
        const QMimeData* data = clipboard->mimeData();
        QCOMPARE(data->text(),
                 cell(0, 3) + "\t" + cell(0, 4) + "\n" + cell(1, 3) + "\t" + cell(1, 4));
        QVERIFY(data->hasHtml());
        QVERIFY(data->html().contains("<tr><td>" + cell(0, 3) + "</td><td>" + cell(0, 4) +
                                      "</td></tr>"));
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            // The picture of the pop-up menu over the selection, as the user sees it.
            const QRect cellArea = w->MSFlexGrid1->visualRect(model->index(1, 4));
            w->PopupGrid->popup(w->MSFlexGrid1->viewport()->mapToGlobal(cellArea.center()));
            QVERIFY(QTest::qWaitForWindowExposed(w->PopupGrid));
            QTest::qWait(200);
            const QRect area = w->grpboxResult->rect()
                                   .translated(w->grpboxResult->mapToGlobal(QPoint()))
                                   .adjusted(-4, -4, 4, 4);
            SaveScreenArea(area.united(w->PopupGrid->geometry()), "grid-copy");
            w->PopupGrid->close();
        }

        w->activateWindow();
        QTRY_VERIFY(w->isActiveWindow());
        w->MSFlexGrid1->setFocus();
        clipboard->clear();
        clickHeading(4);
        QTest::keyClick(w->MSFlexGrid1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QStringList lines = clipboard->text().split('\n');
        QCOMPARE(lines.size(), 151);
        QCOMPARE(lines[0], QString("Species"));
        QCOMPARE(lines[1], cell(0, 4));
        QVERIFY(clipboard->mimeData()->html().contains("<tr><th>Species</th></tr>"));

        clipboard->clear();
        QTest::keyClick(w->MSFlexGrid1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w->MSFlexGrid1, Qt::Key_Insert, Qt::ControlModifier);
        lines = clipboard->text().split('\n');
        QCOMPARE(lines.size(), 151);
        QStringList headings;
        for (int c = 0; c < model->columnCount(); ++c)
            headings << model->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(lines[0], headings.join('\t'));
        QCOMPARE(lines[150].split('\t').size(), 5);
        QVERIFY(clipboard->mimeData()->hasHtml());
    }

    void saveThroughTheDialog() {
        QTemporaryDir dir;
        FileDialogScript dialogs;
        dialogs.script({{dir.filePath("iris sorted"), 1}});  // the dBase type
        QVERIFY(w->btnSaveFile->isEnabled());
        w->btnSaveFile->click();
        QVERIFY(QFile::exists(dir.filePath("iris sorted.dbf")));
        QVERIFY(messages->boxes.isEmpty());
        QVERIFY(w->menuBar()->isEnabled());
    }

    // "Unload File 2" takes Save away only from a grid File 2 went into: a result of File 1
    // alone is still saved afterwards; one of File 2, or the view of both files, is not.
    void unloadFile2KeepsSaveForAResultOfFile1() {
        struct Case {
            const char* name;
            bool loadedData;
            int target;
            bool kept;
        };
        for (const Case& c : {Case{"Reverse line order In File 1", false, 0, true},
                              Case{"Reverse line order In File 2", false, 1, false},
                              Case{"the view of both files", true, 0, false}}) {
            QCOMPARE(LoadSlotFromFile(File2, TestFiles::publicFile("iris-excel-xls.xls"), {}, false,
                                      nullptr)
                         .status,
                     SlotLoad::Loaded);
            w->EnableFileCommands(CommandGroup::NeedsFile2);
            FunctionIndex = 6;
            FileToProcess = c.target;
            ShowLoadedData = c.loadedData;
            w->btnTBRun->click();
            QVERIFY2(w->btnSaveFile->isEnabled(), c.name);
            w->mnuUnloadFile2->trigger();
            QVERIFY2(w->btnSaveFile->isEnabled() == c.kept, c.name);
            QVERIFY2(w->mnuSaveFile->isEnabled() == c.kept, c.name);
            if (!c.kept) continue;
            QTemporaryDir dir;
            FileDialogScript dialogs;
            dialogs.script({{dir.filePath("reversed.xls"), 0}});
            w->btnSaveFile->click();
            QVERIFY2(QFile::exists(dir.filePath("reversed.xls")), c.name);
            QVERIFY2(messages->boxes.isEmpty(), c.name);
        }
        FileToProcess = 0;
    }

    void theWindowWaitsWhileARunGoes() {
        static TfrmMain* window = nullptr;
        static bool enabledDuringRun = true;
        window = w;
        const auto real = ResultFunctionTable;
        ResultFunctionTable[6] = [] {
            enabledDuringRun = window->menuBar()->isEnabled() || window->btnTBRun->isEnabled();
        };
        FunctionIndex = 6;
        ColumnToProcess = 0;
        ShowLoadedData = false;
        messages->boxes.clear();
        w->btnTBRun->click();
        ResultFunctionTable = real;
        QVERIFY(!enabledDuringRun);
        QVERIFY(w->menuBar()->isEnabled() && w->btnTBRun->isEnabled());
        QCOMPARE(messages->boxes.size(), 1);  // the stand-in found nothing
        QVERIFY(!w->btnSaveFile->isEnabled());
        QCOMPARE(w->MSFlexGrid1->model()->rowCount(), 1);
    }
};

QTEST_MAIN(TestGridWindow)
#include "tst_gridwindow.moc"
