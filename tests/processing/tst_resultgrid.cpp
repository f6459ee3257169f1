// The result grid's rules without a window: the row sort by mode, which mode a column gets,
// the widths, the row reserve and its limit, and the loaded-data view.
#include <QTemporaryDir>
#include <QTest>
#include <ctime>

#include "conditions/ConditionList.h"
#include "data/SlotLoading.h"
#include "data/access/CellText.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/GridCopy.h"
#include "processing/uGridProcessor.h"
#include "support/SeamFakes.h"
#include "support/TestFiles.h"

namespace {

// A grid of one key column (and a second column that tells the rows apart).
void fill(const QStringList& keys) {
    ResultGrid.reset();
    ResultGrid.setRows(int(keys.size()) + 1);
    ResultGrid.setColumns(3);
    for (int i = 0; i < keys.size(); ++i) {
        ResultGrid.setTextMatrix(i + 1, 1, keys[i]);
        ResultGrid.setTextMatrix(i + 1, 2, QString::number(i));
        ResultGrid.setRowNumber(i + 1);
    }
}

QStringList column(int c) {
    QStringList texts;
    for (int r = 1; r < ResultGrid.rows(); ++r) texts << ResultGrid.textMatrix(r, c);
    return texts;
}

void loadSlot(clFile& file, std::vector<FieldType> types, int rows, const QString& tag) {
    std::vector<QString> names;
    for (std::size_t i = 0; i < types.size(); ++i) names.push_back(QString("C%1").arg(i));
    file.Connection = std::make_unique<DbConnection>();
    file.Contents =
        std::make_unique<clResult>(ContentsFromTexts(names, types, rows, [&](int r, int c) {
            return QString("%1%2.%3").arg(tag).arg(r).arg(c);
        }));
}

class WideWindow : public ResultAreaView {
public:
    int width = 761;
    int resets = 0;
    void resultGridReset() override { ++resets; }
    void conditionListChanged() override {}
    int mainWindowWidth() const override { return width; }
};

}  // namespace

class TestResultGrid : public QObject {
    Q_OBJECT
private:
    const CellTextFormat us{QLocale(QLocale::English, QLocale::UnitedStates)};

private slots:
    void initTestCase() {
        qputenv("TZ", "America/New_York");
        tzset();
    }
    void cleanup() {
        UnloadFile(File1);
        UnloadFile(File2);
        ResetConditionSettings();
        ShowLoadedData = true;
    }

    void sortModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("sorted");
        const QStringList numbers{"10", "9", "b", "1.5", "a", "-2", "9"};
        QTest::newRow("numeric ascending: texts after numbers")
            << 3 << numbers << QStringList{"-2", "1.5", "9", "9", "10", "a", "b"};
        QTest::newRow("numeric descending: the reverse")
            << 4 << numbers << QStringList{"b", "a", "10", "9", "9", "1.5", "-2"};
        QTest::newRow("string: by character codes, case counts")
            << 7 << QStringList{"b", "B", "a", "10", "9", ""}
            << QStringList{"", "10", "9", "B", "a", "b"};
        QTest::newRow("string descending")
            << 8 << QStringList{"b", "B", "a"} << QStringList{"b", "a", "B"};
        // Month first: as texts 1/2/2025 would come before 12/31/2024.
        // 2:30 AM on 3/10/2024 is skipped by New York's clocks (see initTestCase); a cell may
        // still hold it.
        QTest::newRow("generic: dates as points in time")
            << 1
            << QStringList{"1/2/2025", "12/31/2024", "3/10/2024 2:30:00 AM", "3/1/2024 10:00:00 AM",
                           "3/1/2024", "3/10/2024"}
            << QStringList{"3/1/2024",   "3/1/2024 10:00:00 AM",
                           "3/10/2024",  "3/10/2024 2:30:00 AM",
                           "12/31/2024", "1/2/2025"};
        QTest::newRow("generic: numbers as numbers, the rest as text")
            << 2 << QStringList{"9", "10", "x"} << QStringList{"x", "10", "9"};
    }
    void sortModes() {
        QFETCH(int, mode);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, sorted);
        fill(keys);
        ResultGrid.setCurrentCell(1, 1);
        SortGrid(ResultGrid, GridSortMode(mode), us);
        QCOMPARE(column(1), sorted);
        // Whole rows move: each key keeps its neighbour.
        for (int r = 1; r < ResultGrid.rows(); ++r) {
            const int from = ResultGrid.textMatrix(r, 2).toInt();
            QCOMPARE(ResultGrid.textMatrix(r, 1), keys[from]);
        }
    }

    void sortKeepsEqualKeysAndTheHeadingAndSortsTheSelectionOnly() {
        fill({"b", "a", "b", "a", "c", "a", "b", "a", "c", "a"});
        ResultGrid.setTextMatrix(0, 1, "zzz heading");
        ResultGrid.setCurrentCell(1, 1);
        SortGrid(ResultGrid, GridSortMode::StringDescending, us);
        QCOMPARE(column(2), (QStringList{"4", "8", "0", "2", "6", "1", "3", "5", "7", "9"}));
        QCOMPARE(ResultGrid.textMatrix(0, 1), QString("zzz heading"));

        // Rows 5 to 9 only, by two key columns.
        fill({"x", "x", "x", "x", "b", "a", "b", "a", "a", "x"});
        ResultGrid.Row = 9;
        ResultGrid.RowSel = 5;
        ResultGrid.Col = 1;
        ResultGrid.ColSel = 2;
        SortGrid(ResultGrid, GridSortMode::StringAscending, us);
        QCOMPARE(column(2), (QStringList{"0", "1", "2", "3", "5", "7", "8", "4", "6", "9"}));
    }

    // The user's sorts put empty cells last both ways; the sort the Duplicates function does
    // keeps them where the mode puts them (first, ascending).
    void userSortsPutBlanksLastBothWays() {
        const QStringList texts{"b", "", "a", "", "c"};
        const QStringList numbers{"10", "", "x", "", "9"};
        struct Case {
            QStringList keys;
            GridSortMode mode;
            BlankCells blanks;
            QStringList sorted;
        };
        const Case cases[] = {
            {texts, GridSortMode::StringAscending, BlankCells::Last, {"a", "b", "c", "", ""}},
            {texts, GridSortMode::StringDescending, BlankCells::Last, {"c", "b", "a", "", ""}},
            {numbers, GridSortMode::NumericAscending, BlankCells::Last, {"9", "10", "x", "", ""}},
            {numbers, GridSortMode::NumericDescending, BlankCells::Last, {"x", "10", "9", "", ""}},
            {texts, GridSortMode::StringAscending, BlankCells::ByMode, {"", "", "a", "b", "c"}},
        };
        for (const Case& c : cases) {
            fill(c.keys);
            ResultGrid.setCurrentCell(1, 1);
            SortGrid(ResultGrid, c.mode, us, c.blanks);
            QCOMPARE(column(1), c.sorted);
            // Blanks tie: they keep their order (rows 1 and 3 were the blank ones).
            QStringList blankRows;
            for (int r = 1; r < ResultGrid.rows(); ++r) {
                if (ResultGrid.textMatrix(r, 1).isEmpty()) blankRows << ResultGrid.textMatrix(r, 2);
            }
            QCOMPARE(blankRows, (QStringList{"1", "3"}));
        }
        // Through the pop-up menu's routine, the place in view unchanged.
        fill(texts);
        ResultGrid.setCurrentCell(1, 1);
        ResultGrid.TopRow = 3;
        SortResultGrid(false);
        QCOMPARE(column(1), (QStringList{"c", "b", "a", "", ""}));
        QCOMPARE(ResultGrid.TopRow, 3);
    }

    // Copy: the block of the selected rows and columns as tab-separated text and an HTML table;
    // the headings come along when whole columns are selected.
    void copiedCells() {
        ResultGrid.reset();
        ResultGrid.setRows(4);
        ResultGrid.setColumns(4);
        const QStringList headings{"Name", "Note", "Amount"};
        const QList<QStringList> rows{{"Ann", "a\tb", "1.5"},
                                      {"Bob & Co", "<two>\nlines", "2"},
                                      {"\"quoted\" name", "say \"hi\"", ""}};
        for (int c = 0; c < 3; ++c) ResultGrid.setTextMatrix(0, c + 1, headings[c]);
        for (int r = 0; r < 3; ++r) {
            ResultGrid.setRowNumber(r + 1);
            for (int c = 0; c < 3; ++c) ResultGrid.setTextMatrix(r + 1, c + 1, rows[r][c]);
        }

        GridClipboardText clip = CopyGridCells(ResultGrid, {{1, 1, 2, 2}});
        QCOMPARE(clip.tsv, QString("Ann\t\"a\tb\"\nBob & Co\t\"<two>\nlines\""));
        QVERIFY(!clip.html.contains("<th>"));
        QVERIFY(clip.html.contains("<tr><td>Ann</td><td>a\tb</td></tr>"));
        QVERIFY(clip.html.contains("<tr><td>Bob &amp; Co</td><td>&lt;two&gt;<br>lines</td></tr>"));

        // A whole column (a heading click): the heading first; a leading quote is quoted, one
        // inside a text is not.
        clip = CopyGridCells(ResultGrid, {{1, 1, 3, 1}});
        QCOMPARE(clip.tsv, QString("Name\nAnn\nBob & Co\n\"\"\"quoted\"\" name\""));
        QVERIFY(clip.html.contains("<tr><th>Name</th></tr>"));
        clip = CopyGridCells(ResultGrid, {{3, 2, 3, 3}});
        QCOMPARE(clip.tsv, QString("say \"hi\"\t"));

        // Every row in two pieces, and two columns apart (Ctrl+click): the headings come along
        // and only the selected columns go; a cell no range holds stays empty.
        clip = CopyGridCells(ResultGrid, {{1, 1, 1, 1}, {2, 1, 3, 1}, {1, 3, 3, 3}});
        QCOMPARE(clip.tsv,
                 QString("Name\tAmount\nAnn\t1.5\nBob & Co\t2\n\"\"\"quoted\"\" name\"\t"));
        clip = CopyGridCells(ResultGrid, {{1, 1, 1, 1}, {3, 3, 3, 3}});
        QCOMPARE(clip.tsv, QString("Ann\t\n\t"));

        // Nothing inside the grid: nothing to copy. Ranges past its edge are cut to it.
        QVERIFY(CopyGridCells(ResultGrid, {}).html.isEmpty());
        QVERIFY(CopyGridCells(ResultGrid, {{9, 1, 9, 3}}).html.isEmpty());
        QCOMPARE(CopyGridCells(ResultGrid, {{0, 0, 99, 1}}).tsv,
                 QString("Name\nAnn\nBob & Co\n\"\"\"quoted\"\" name\""));
        ResultGrid.reset();
    }

    void userSortPicksTheModeByColumnClassAndRenumbers() {
        loadSlot(File1, {FieldType::String, FieldType::Integer, FieldType::Date}, 3, "a");
        ShowLoadedData = false;
        FunctionIndex = 2;
        QCOMPARE(SortColumnClass(1), ColumnClass::Text);
        QCOMPARE(SortColumnClass(2), ColumnClass::Number);
        QCOMPARE(SortColumnClass(3), ColumnClass::Date);
        QCOMPARE(SortColumnClass(9), ColumnClass::Text);  // past File 1's fields
        FileToProcess = 2;
        ResultGrid.setColumns(5);
        QCOMPARE(SortColumnClass(4), ColumnClass::Number);  // "File number"

        // Totals: grouping, the total twice, then the sources TotalsGridColumns gives.
        FileToProcess = 0;
        FunctionIndex = 4;
        ColumnToProcess = 2;
        TotalsGridColumns = QStringList{"2", "1", "1", "0", "2"};
        QCOMPARE(SortColumnClass(1), ColumnClass::Date);
        QCOMPARE(SortColumnClass(3), ColumnClass::Number);
        QCOMPARE(SortColumnClass(4), ColumnClass::Text);
        QCOMPARE(SortColumnClass(5), ColumnClass::Date);
        QCOMPARE(SortColumnClass(6), ColumnClass::Text);  // past the list
        TotalsGridColumns.clear();

        // The loaded view of two files: the "File Number" column sorts as a number.
        loadSlot(File2, {FieldType::String, FieldType::Integer, FieldType::Date}, 2, "b");
        ShowLoadedData = true;
        QVERIFY(ShowLoadedDataInGrid());
        QCOMPARE(SortColumnClass(4), ColumnClass::Number);
        ResultGrid.setCurrentCell(1, 4);
        SortResultGrid(false);
        QCOMPARE(column(4), (QStringList{"2", "2", "1", "1", "1"}));
        QCOMPARE(column(0), (QStringList{"1", "2", "3", "4", "5"}));
        QCOMPARE(column(1), (QStringList{"b0.0", "b1.0", "a0.0", "a1.0", "a2.0"}));
    }

    void loadedDataView() {
        loadSlot(File1, {FieldType::String, FieldType::Integer}, 3, "a");
        QVERIFY(ShowLoadedDataInGrid());
        QCOMPARE(ResultGrid.rows(), 4);
        QCOMPARE(ResultGrid.columns(), 3);
        QCOMPARE(ResultGrid.textMatrix(0, 2), QString("C1"));
        QCOMPARE(ResultGrid.textMatrix(3, 2), QString("a2.1"));

        // Two files: numbered across both, the last column tells the file.
        loadSlot(File2, {FieldType::String, FieldType::Integer}, 2, "b");
        QVERIFY(ShowLoadedDataInGrid());
        QCOMPARE(ResultGrid.rows(), 6);
        QCOMPARE(ResultGrid.textMatrix(0, 3), QString("File Number"));
        QCOMPARE(column(3), (QStringList{"1", "1", "1", "2", "2"}));
        QCOMPARE(column(0), (QStringList{"1", "2", "3", "4", "5"}));
        QCOMPARE(ResultGrid.textMatrix(5, 1), QString("b1.0"));

        // A cancel at row 4 leaves the grid reset and says so (the Run command then empties the
        // condition list).
        ScriptedProgress progress(4);
        QVERIFY(!ShowLoadedDataInGrid());
        QCOMPARE(ResultGrid.rows(), 2);
        QCOMPARE(ResultGrid.textMatrix(1, 1), QString());
        QVERIFY(RunCancelled);
        QVERIFY(!progress.visible);
    }

    void aFourthSheetIsCopied() {
        ResultGrid.reset();
        ResultGrid.setRows(5);
        for (int sheet = 0; sheet < 4; ++sheet) {
            TextPool pool;
            pool.intern(QString("t%1").arg(sheet));
            auto texts = std::make_shared<SheetTexts>(pool.takeTexts());
            ResultGrid.setSheetText(sheet + 1, 1, texts, 1);
        }
        QCOMPARE(column(1), (QStringList{"t0", "t1", "t2", "t3"}));
    }

    void widths() {
        WideWindow window;
        setResultAreaView(&window);
        ResultGrid.reset();
        ResultGrid.setColumns(5);
        FitColumnWidths();
        QCOMPARE(ResultGrid.columnWidth(1), (761 / 5 - 1) * 15);
        QCOMPARE(ResultGrid.columnWidth(0), 600);
        window.width = 80;  // narrow: every data column at its least
        FitColumnWidths();
        for (int c = 1; c < 5; ++c) QCOMPARE(ResultGrid.columnWidth(c), 300);
        QCOMPARE(ResultGrid.columnWidth(0), 600);
        setResultAreaView(nullptr);
    }

    void reserveGrowsBy200AndTellsTheLimitOnce() {
        ResultGrid.reset();
        ResultGrid.setRows(11);
        BeginResultRun();
        ResultRowCount = 7;
        QVERIFY(ReserveResultRow());
        QCOMPARE(ResultGrid.rows(), 11);
        ResultRowCount = 8;
        QVERIFY(ReserveResultRow());
        QCOMPARE(ResultGrid.rows(), 211);

        ResultGrid.setRows(65536);
        ResultRowCount = 65533;
        QVERIFY(!ReserveResultRow());
        QVERIFY(!ReserveResultRow());
        QCOMPARE(ResultGrid.rows(), 65536);
        QCOMPARE(RunMessages.size(), std::size_t(1));
        QCOMPARE(RunMessages[0].caption, QString("Quarix"));
        QCOMPARE(RunMessages[0].style, MessageStyle::Ok);
        BeginResultRun();  // the next run tells it again
        ResultRowCount = 65533;
        QVERIFY(!ReserveResultRow());
        QCOMPARE(RunMessages.size(), std::size_t(1));

        // A .xlsx or .ods source: the workbook's own limit, named in the message.
        // A workbook of that kind under a .xls name counts by what it holds.
        QTemporaryDir dir;
        const QString renamed = dir.filePath("b.xls");
        QVERIFY(QFile::copy(TestFiles::publicFile("SampleSS.ods"), renamed));
        QCOMPARE(LoadSlotFromFile(File2, renamed, {}, false, nullptr).status, SlotLoad::Loaded);
        QCOMPARE(GridRowLimit(), 1048576);
        QVERIFY(ReserveResultRow());
        ResultGrid.setRows(1048576);
        ResultRowCount = 1048573;
        BeginResultRun();
        ResultRowCount = 1048573;
        QVERIFY(!ReserveResultRow());
        QVERIFY(RunMessages.back().text.startsWith("Maximum number of rows (1048576) exceeded"));
        UnloadFile(File2);
        QCOMPARE(GridRowLimit(), 65536);
        ResultGrid.reset();
    }
};

QTEST_GUILESS_MAIN(TestResultGrid)
#include "tst_resultgrid.moc"
