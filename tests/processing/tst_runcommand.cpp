// The Run command: the loaded-data view, each refusal of the checks in order, and what the grid,
// Save and the messages show after a result, no result, a cancel and a failing function (stand-ins
// take the functions' place where a test needs a result of a given shape).
#include <QTest>

#include "conditions/ConditionList.h"
#include "conditions/ConditionPanels.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/ResultFunctions.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"
#include "support/SeamFakes.h"

namespace {

void loadSlot(clFile& file, const QString& tag) {
    file.FileName = tag + ".xls";
    file.Connection = std::make_unique<DbConnection>();
    file.Contents = std::make_unique<clResult>(ContentsFromTexts(
        {"Name", "N", "Day"}, {FieldType::String, FieldType::Integer, FieldType::Date}, 3,
        [&](int r, int c) { return QString("%1%2.%3").arg(tag).arg(r).arg(c); }));
}

// Writes the keys into column 2 of new result rows, as a function does.
void writeRows(const QStringList& keys) {
    for (const QString& key : keys) {
        if (!ReserveResultRow()) continue;
        ++ResultRowCount;
        ResultGrid.setTextMatrix(ResultRowCount, 2, key);
        ResultGrid.setRowNumber(ResultRowCount);
    }
    ResultFound = !keys.isEmpty();
}

}  // namespace

class TestRunCommand : public QObject {
    Q_OBJECT
private:
    SaveRecorder window;
    std::unique_ptr<MessageRecorder> messages;
    const std::array<ResultFunction, 7> realFunctions = ResultFunctionTable;

    QStringList texts() const {
        QStringList shown;
        for (const auto& box : messages->boxes) shown << box.text;
        return shown;
    }
    // A configured function with File 1 loaded and the panels filled from it.
    void configure(int function) {
        loadSlot(File1, "a");
        FillColumnLists();
        FunctionIndex = function;
        ColumnToProcess = 1;
        ShowLoadedData = false;
    }

private slots:
    void init() {
        messages.reset();
        messages = std::make_unique<MessageRecorder>();
        setFileSlotView(&window);
        window.saves.clear();
        ResultGrid.reset();
    }
    void cleanup() {
        setFileSlotView(nullptr);
        ResultFunctionTable = realFunctions;
        UnloadFile(File1);
        UnloadFile(File2);
        ResetConditionSettings();
        ResetPanels();
        ShowLoadedData = true;
        ConditionRows.clear();
    }

    void loadedDataViewWithoutAMessage() {
        loadSlot(File1, "a");
        RunCommand();
        QCOMPARE(ResultGrid.rows(), 4);
        // Off while the grid is emptied, on once it shows the rows.
        QCOMPARE(window.saves, (QList<bool>{false, true}));
        QVERIFY(messages->boxes.isEmpty());

        // A cancelled view leaves nothing to save.
        ScriptedProgress progress(2);
        RunCommand();
        QCOMPARE(ResultGrid.rows(), 2);
        QCOMPARE(window.saves.last(), false);
        UnloadFile(File1);
        RunCommand();
        QCOMPARE(window.saves.last(), false);
        QVERIFY(messages->boxes.isEmpty());
    }

    void refusalsInOrder() {
        struct Case {
            const char* name;
            int function;
            std::function<void()> setUp;
            QString message;
        };
        const QString stale = "Please,Select New Parameters in Conditions";
        const auto shortList = [](PanelList& list) { list.items = QStringList{"Name"}; };
        const std::vector<Case> cases = {
            {"no File 1", 2, [] { UnloadFile(File1); }, "Please select file 1"},
            {"no column", 2, [] { ColumnToProcess = -1; },
             "Please select the column for processing!"},
            {"File 2 chosen, not loaded", 2, [] { FileToProcess = 1; }, "Please load File 2"},
            {"both chosen, File 2 not loaded", 2, [] { FileToProcess = 2; }, "Please load File 2"},
            {"column past the sheet", 2, [] { ColumnToProcess = 3; }, stale},
            {"unique values, stale list", 0,
             [&] {
                 loadSlot(File2, "b");
                 shortList(Panels.fldColToProcess);
             },
             stale},
            {"duplicates, stale list", 1, [&] { shortList(Panels.fldColToProcess); }, stale},
            {"multi-filter, stale list", 3, [&] { shortList(Panels.fldCol1MultiSelect); }, stale},
            {"totals, stale list", 4, [&] { shortList(Panels.fldColToProcessTotals); }, stale},
            {"totals on a value column that is not a number", 4, [] { TotalsColumn = 2; }, stale},
            {"totals on the grouping column", 4, [] { TotalsColumn = 1; }, stale},
            {"multi-filter on a column past the sheet", 3, [] { MultiColumn1 = 3; }, stale},
            {"data modify, stale list", 5, [&] { shortList(Panels.fldColToProcessDataModify); },
             stale},
            {"filter makes no list check", 2, [&] { shortList(Panels.fldColToProcess); },
             "No data matching your query found!"},
            {"sorting makes no list check", 6, [&] { shortList(Panels.fldColToProcessTotals); },
             ""},
        };
        for (const Case& c : cases) {
            init();
            configure(c.function);
            c.setUp();
            RunCommand();
            const QStringList expected =
                c.message.isEmpty() ? QStringList() : QStringList{c.message};
            QVERIFY2(texts() == expected, qPrintable(QString(c.name) + ": " + texts().join(" / ")));
            QVERIFY2(c.message.isEmpty() || (ResultGrid.rows() == 2 && ResultGrid.columns() == 2),
                     c.name);
            // The emptied grid takes Save away; only a result gives it back.
            QVERIFY2(window.saves ==
                         (c.message.isEmpty() ? QList<bool>{false, true} : QList<bool>{false}),
                     c.name);
            cleanup();
        }
    }

    void aResultIsTrimmedSizedAndSaveable() {
        configure(2);
        ResultFunctionTable[2] = [] {
            ResultGrid.setRows(500);
            writeRows({"k1", "k2", "k3", "k4", "k5", "k6", "k7", "k8", "k9", "k10"});
        };
        RunCommand();
        QCOMPARE(ResultGrid.rows(), 11);
        QCOMPARE(ResultGrid.textMatrix(0, 1), QString("Name"));
        QCOMPARE(ResultGrid.columnWidth(0), 600);
        QCOMPARE(window.saves, (QList<bool>{false, true}));
        QVERIFY(messages->boxes.isEmpty());
    }

    void duplicatesAreSortedByTheirColumnClass() {
        configure(1);
        ResultFunctionTable[1] = [] { writeRows({"10", "9", "100", "9"}); };
        RunCommand();
        QCOMPARE(ResultGrid.textMatrix(0, 1), QString());  // Duplicates writes its own headings
        QStringList keys, numbers;
        for (int r = 1; r < ResultGrid.rows(); ++r) {
            keys << ResultGrid.textMatrix(r, 2);
            numbers << ResultGrid.textMatrix(r, 0);
        }
        QCOMPARE(keys, (QStringList{"9", "9", "10", "100"}));
        QCOMPARE(numbers, (QStringList{"2", "4", "1", "3"}));  // not renumbered
        QCOMPARE(ResultGrid.Row, 1);
        QCOMPARE(ResultGrid.ColSel, 2);
    }

    void totalsHeadingsBoldAndDataModifyMessages() {
        configure(4);
        TotalsColumn = 1;
        ColumnToProcess = 0;
        ResultFunctionTable[4] = [] { writeRows({"x"}); };
        RunCommand();
        QVERIFY(ResultGrid.cellFontBold(0, 2));
        QVERIFY(ResultGrid.cellFontBold(0, 3));
        QVERIFY(!ResultGrid.cellFontBold(0, 1));

        configure(5);
        ModifyText = "xy";
        ResultFunctionTable[5] = [] {
            writeRows({"a", "b", "c"});
            ChangedCount = 3;
        };
        RunCommand();
        ResultFunctionTable[5] = [] { writeRows({"a"}); };
        RunCommand();
        QCOMPARE(texts(), (QStringList{"3 records are changed!",
                                       "Sequence 'xy' in field 'N' was not found"}));
        QCOMPARE(messages->boxes[0].style, MessageStyle::Information);
    }

    void cancelAndFailureLeaveNothingBehind() {
        configure(3);
        ConditionRows.push_back({"Name", "=a", "In File 1 (a.xls)"});
        ScriptedProgress progress;
        ResultFunctionTable[3] = [] {
            writeRows({"a"});
            ShowProgress();
            ResetResultGrid();  // what a function does on a cancel
            ResultFound = false;
            RunCancelled = true;
        };
        RunCommand();
        QCOMPARE(texts(), QStringList{"No data matching your query found!"});
        QVERIFY(ConditionRows.empty());
        QCOMPARE(window.saves.last(), false);
        QVERIFY(!progress.visible);

        messages->boxes.clear();
        ResultFunctionTable[3] = [] {
            writeRows({"a"});
            ShowProgress();
            throw RunError("The value \"1,2,3\" in column \"N\" is not a number.");
        };
        RunCommand();
        QCOMPARE(texts(), QStringList{"The value \"1,2,3\" in column \"N\" is not a number."});
        QCOMPARE(messages->boxes[0].style, MessageStyle::Warning);
        QCOMPARE(ResultGrid.rows(), 2);
        QCOMPARE(ResultGrid.textMatrix(1, 2), QString());
        QCOMPARE(window.saves.last(), false);
        QVERIFY(!progress.visible);

        // A failure without words is still a failure.
        ResultFunctionTable[3] = [] {
            writeRows({"a"});
            throw RunError(QString());
        };
        RunCommand();
        QCOMPARE(ResultGrid.rows(), 2);
        QCOMPARE(window.saves.last(), false);
    }
};

QTEST_GUILESS_MAIN(TestRunCommand)
#include "tst_runcommand.moc"
