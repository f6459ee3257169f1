// The Function Wizard without its window: the checks of "Ok" in their order, the condition row,
// what "Cancel" puts back, "Clear", the file list and the panels.
#include <QTest>

#include "conditions/ConditionList.h"
#include "conditions/ConditionPanels.h"
#include "conditions/FunctionWizard.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"
#include "support/SeamFakes.h"

namespace {

class WizardWindow : public FunctionWizardView {
public:
    int closes = 0;
    void showFunctionPanel(int) override {}
    void closeWizard(bool) override { ++closes; }
};

// Name (text), Price (float), Qty (integer), Day (date).
void loadSheet(clFile& file, const QString& fileName,
               std::vector<FieldType> types = {FieldType::String, FieldType::Float,
                                               FieldType::Integer, FieldType::Date}) {
    static const QStringList allNames{"Name", "Price", "Qty", "Day"};
    std::vector<QString> names(allNames.begin(), allNames.begin() + qsizetype(types.size()));
    file.FileName = fileName;
    file.Connection = std::make_unique<DbConnection>();
    file.Contents =
        std::make_unique<clResult>(ContentsFromTexts(names, types, 3, [](int row, int column) {
            return QString("%1.%2").arg(row).arg(column);
        }));
}

void pick(PanelControl control, int position) {
    PickInPanel(control, position);
}
void type(PanelControl control, const QString& text) {
    TypeInPanel(control, text);
}

}  // namespace

class TestFunctionWizard : public QObject {
    Q_OBJECT
private:
    WizardWindow window;
    std::unique_ptr<FunctionWizard> wizard;
    std::unique_ptr<MessageRecorder> messages;

    // A fresh program: File 1 loaded, the wizard made and opened on `function`.
    void openOn(int function) {
        wizard->FormShow();
        if (function != 0) wizard->ElTree2AfterSelectionChange(function);
    }
    QStringList texts() const {
        QStringList shown;
        for (const auto& box : messages->boxes) shown << box.text;
        return shown;
    }
    // What a run shows: the grid row by row, then the messages.
    QStringList runShows() {
        messages->boxes.clear();
        RunCommand();
        QStringList shown;
        for (int r = 0; r < ResultGrid.rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < ResultGrid.columns(); ++c) cells << ResultGrid.textMatrix(r, c);
            shown << cells.join('|');
        }
        return shown + texts();
    }
    // "Ok": the one message shown, or the condition row as "field | description | file".
    QString pressOk() {
        messages->boxes.clear();
        const UserMessage refusal = wizard->btnOKClick();
        if (!refusal.isEmpty()) return "message: " + refusal.text;
        if (ConditionRows.size() != 1) return QString("rows: %1").arg(ConditionRows.size());
        const ConditionRow& row = ConditionRows.front();
        return row.field + " | " + row.description + " | " + row.file;
    }

private slots:
    void init() {
        messages.reset();
        ResetConditionSettings();
        ResetPanels();
        ConditionRows.clear();
        ShowLoadedData = true;
        UnloadFile(File1);
        UnloadFile(File2);
        loadSheet(File1, "a.xls");
        messages = std::make_unique<MessageRecorder>();
        window.closes = 0;
        wizard = std::make_unique<FunctionWizard>(&window);
        wizard->FormCreate();
    }
    void cleanup() {
        wizard.reset();
        messages.reset();
        UnloadFile(File1);
        UnloadFile(File2);
    }

    void firstOpeningShowsUniqueValuesOnTheFirstColumn() {
        openOn(0);
        QCOMPARE(FunctionIndex, 0);
        QCOMPARE(wizard->ElTree2.text(), QString("Unique values"));
        QCOMPARE(wizard->fldFileToProcess.text(), QString("File 1"));
        QCOMPARE(Panels.fldColToProcess.text(), QString("Name"));
        QCOMPARE(wizard->HelpLabel, QString("Searches for unique values for the selected column"));
        QCOMPARE(Panels.fldCol2MultiSelect.items,
                 (QStringList{"None", "Name", "Price", "Qty", "Day"}));
        // Totals offers only the numeric columns, each standing for its column index.
        wizard->ElTree2AfterSelectionChange(4);
        QCOMPARE(Panels.fldDataTotals.items, (QStringList{"Price", "Qty"}));
        QCOMPARE(TotalsColumnMap, (std::vector<std::int32_t>{1, 2}));
        QCOMPARE(wizard->ShownPanel, 3);
    }

    // Each function's checks in their order: the first failing one is the only message.
    void checksAndRows() {
        struct Case {
            const char* name;
            int function;
            std::function<void()> setUp;
            QString result;
        };
        const QString file1 = " | In File 1 (a.xls)";
        const std::vector<Case> cases = {
            {"unique values needs File 2", 0, [] {}, "message: Please load File 2"},
            {"unique values with File 2", 0, [] { loadSheet(File2, "b.xls"); },
             "Name | Unique Values" + file1},
            {"duplicates without a column", 1, [] { pick(PanelControl::ColToProcess, -1); },
             "message: Please select the column for processing!!"},
            {"duplicates", 1, [] {}, "Name | Value repetitions" + file1},

            {"filter without an operator", 2, [] {}, "message: Please, select the function!"},
            {"filter without a column wins", 2, [] { pick(PanelControl::ColToProcessSelect, -1); },
             "message: Please select the column for processing!!"},
            {"filter on both files with unequal columns", 2,
             [] {
                 loadSheet(File2, "b.xls", {FieldType::String});
                 FileToProcess = 2;
                 pick(PanelControl::Sel1Select, 0);
             },
             "message: Number of columns does not match"},
            {"greater than on a text column", 2,
             [] {
                 pick(PanelControl::Sel1Select, 4);
                 type(PanelControl::Data1Select, "10");
             },
             "message: This function requires numeric field type!"},
            {"less than 1,5,0", 2,
             [] {
                 pick(PanelControl::ColToProcessSelect, 1);
                 pick(PanelControl::Sel1Select, 2);
                 type(PanelControl::Data1Select, "1,5,0");
             },
             "message: The first parameter should be number!"},
            {"less than nothing", 2,
             [] {
                 pick(PanelControl::ColToProcessSelect, 1);
                 pick(PanelControl::Sel1Select, 2);
             },
             "message: The first parameter should be number!"},
            {"second value not a number", 2,
             [] {
                 pick(PanelControl::ColToProcessSelect, 2);
                 pick(PanelControl::Sel1Select, 0);
                 pick(PanelControl::Sel2Select, 5);
                 type(PanelControl::Data2Select, "x");
             },
             "message: The second parameter should be number!"},
            {"equal to nothing", 2, [] { pick(PanelControl::Sel1Select, 0); },
             "Name | = | In File 1 (a.xls)"},
            {"two parts with And", 2,
             [] {
                 pick(PanelControl::ColToProcessSelect, 1);
                 pick(PanelControl::Sel1Select, 5);
                 type(PanelControl::Data1Select, "10");
                 pick(PanelControl::AndSelect, 0);
                 pick(PanelControl::Sel2Select, 7);
                 type(PanelControl::Data2Select, "ab");
             },
             "Price | >=10 AND Contains string ab" + file1},
            {"two parts with Or", 2,
             [] {
                 pick(PanelControl::Sel1Select, 1);
                 type(PanelControl::Data1Select, " x ");
                 pick(PanelControl::Sel2Select, 1);
             },
             "Name | <> x  OR =" + file1},
            {"second operator None ignores And", 2,
             [] {
                 pick(PanelControl::Sel1Select, 6);
                 type(PanelControl::Data1Select, "ab");
                 pick(PanelControl::AndSelect, 0);
                 pick(PanelControl::Sel2Select, 0);
             },
             "Name | Contains string ab" + file1},

            {"multi-filter without a first column", 3,
             [] { pick(PanelControl::Col1MultiSelect, -1); },
             "message: Please, select the function!"},
            {"multi-filter second column without operator", 3,
             [] {
                 pick(PanelControl::Col2MultiSelect, 2);
                 Panels.fldSel2MultiSelect.position = -1;
             },
             "message: Please, select the second function!"},
            {"multi-filter second column None is not checked", 3,
             [] {
                 pick(PanelControl::Col1MultiSelect, 1);
                 pick(PanelControl::Sel1MultiSelect, 4);
                 type(PanelControl::Data1MultiSelect, "10");
                 Panels.fldSel2MultiSelect.position = -1;
                 type(PanelControl::Data2MultiSelect, "not a number");
             },
             "Price | Price>10" + file1},
            {"multi-filter second column counts from None", 3,
             [] {
                 pick(PanelControl::Col2MultiSelect, 1);  // Name, a text column
                 pick(PanelControl::Sel2MultiSelect, 2);
                 type(PanelControl::Data2MultiSelect, "5");
             },
             "message: This function requires numeric field type!"},
            {"multi-filter two parts", 3,
             [] {
                 pick(PanelControl::Sel1MultiSelect, 6);
                 type(PanelControl::Data1MultiSelect, "ab");
                 pick(PanelControl::Col2MultiSelect, 3);
                 pick(PanelControl::Sel2MultiSelect, 0);
                 type(PanelControl::Data2MultiSelect, "3");
             },
             "Name | Name Contains string ab AND Qty=3" + file1},

            {"totals with nothing chosen", 4,
             [] {
                 pick(PanelControl::ColToProcessTotals, -1);
                 Panels.fldSelTotals.position = -1;
             },
             "message: Please select the column for processing!!"},
            {"totals without a value column", 4, [] {},
             "message: Please select the second column for processing!!"},
            {"totals without a kind", 4,
             [] {
                 pick(PanelControl::DataTotals, 1);
                 Panels.fldSelTotals.position = -1;
             },
             "message: Please, select the function!"},
            {"totals on the same column", 4,
             [] {
                 pick(PanelControl::ColToProcessTotals, 2);
                 pick(PanelControl::DataTotals, 1);
             },
             "message: Column 1 and 2 should not be the same!"},
            {"totals", 4,
             [] {
                 pick(PanelControl::SelTotals, 2);
                 pick(PanelControl::DataTotals, 1);
             },
             "Name | Maximum value in Qty" + file1},
            {"totals on a sheet without numbers", 4,
             [] {
                 loadSheet(File1, "a.xls", {FieldType::String, FieldType::Date});
                 FillTotalsValueColumns();
             },
             "message: Please select the second column for processing!!"},

            {"modify a number column with letters", 5,
             [] {
                 pick(PanelControl::ColToProcessDataModify, 2);
                 type(PanelControl::SrcDataModify, "ab");
             },
             "message: This function requires text field type!!"},
            {"modify a number column with a number", 5,
             [] {
                 pick(PanelControl::ColToProcessDataModify, 2);
                 pick(PanelControl::SelDataModify, 2);
                 type(PanelControl::SrcDataModify, "12");
             },
             "Qty | Add forward 12" + file1},
            {"modify a text column with nothing", 5, [] {},
             "Name | Cut from the beginning " + file1},
            {"modify without an operation", 5, [] { Panels.fldSelDataModify.position = -1; },
             "message: Please, select the function!"},

            {"sorting", 6, [] { pick(PanelControl::ColToProcess, -1); },
             "All | Reverse line order" + file1},
        };
        for (const Case& c : cases) {
            init();
            openOn(c.function);
            c.setUp();
            const QString result = pressOk();
            QVERIFY2(result == c.result, qPrintable(QString("%1: %2").arg(c.name, result)));
            const bool accepted = !result.startsWith("message: ");
            QVERIFY2(window.closes == int(accepted), c.name);
            QVERIFY2(ShowLoadedData == !accepted, c.name);
            if (accepted) {
                QCOMPARE(FunctionIndex, c.function);
                QVERIFY2(ColumnToProcess >= 0, c.name);
            }
        }
    }

    void bothFilesRowAndFile2Row() {
        loadSheet(File2, "b.xls");
        openOn(2);
        wizard->fldFileToProcessChange(2);
        pick(PanelControl::Sel1Select, 0);
        QCOMPARE(pressOk(), QString("Name | = | Both Files"));
        openOn(2);
        wizard->fldFileToProcessChange(1);
        QCOMPARE(pressOk(), QString("Name | = | In File 2 (b.xls)"));
    }

    // "Cancel" (which Esc and the close box are, too) puts every setting back as the wizard
    // opened with them, whatever happened meanwhile: a run then shows exactly what it showed
    // under the accepted condition row.
    void cancelPutsBackWhatTheRowSays() {
        struct Accepted {
            const char* name;
            int function;
            std::function<void()> setUp;
        };
        const std::vector<Accepted> accepted = {
            {"filter", 2,
             [] {
                 pick(PanelControl::ColToProcessSelect, 1);
                 pick(PanelControl::Sel1Select, 4);
                 type(PanelControl::Data1Select, "0.5");
             }},
            {"multi-filter", 3,
             [] {
                 pick(PanelControl::Col1MultiSelect, 2);
                 pick(PanelControl::Sel1MultiSelect, 2);
                 type(PanelControl::Data1MultiSelect, "2");
             }},
            {"totals", 4,
             [] {
                 pick(PanelControl::DataTotals, 1);
                 pick(PanelControl::SelTotals, 2);
             }},
            {"data modify", 5, [] { type(PanelControl::SrcDataModify, "1."); }},
        };
        struct Meddling {
            const char* name;
            std::function<void(FunctionWizard&, int accepted)> act;
        };
        const std::vector<Meddling> meddling = {
            {"another function clicked",
             [](FunctionWizard& w, int) {
                 w.ElTree2AfterSelectionChange(4);
                 pick(PanelControl::DataTotals, 0);
             }},
            {"every panel changed, then a switch away and back",
             [](FunctionWizard& w, int function) {
                 type(PanelControl::Data1Select, "7");
                 pick(PanelControl::Sel1Select, 0);
                 pick(PanelControl::Col1MultiSelect, 0);
                 type(PanelControl::Data1MultiSelect, "x");
                 pick(PanelControl::SelTotals, 0);
                 type(PanelControl::SrcDataModify, "zz");
                 w.ElTree2AfterSelectionChange(6);
                 w.ElTree2AfterSelectionChange(function);
             }},
            {"Clear", [](FunctionWizard& w, int) { w.btnClearClick(); }},
            {"Clear on another function, then a refused Ok",
             [](FunctionWizard& w, int) {
                 w.ElTree2AfterSelectionChange(4);
                 w.btnClearClick();
                 w.btnOKClick();
             }},
        };
        for (const Accepted& a : accepted) {
            for (const Meddling& m : meddling) {
                const QString name = QString("%1, %2").arg(a.name, m.name);
                init();
                openOn(a.function);
                a.setUp();
                const QString row = pressOk();
                QVERIFY2(!row.startsWith("message"), qPrintable(name + ": " + row));
                const QStringList shown = runShows();
                QVERIFY2(shown.size() > 2, qPrintable(name + ": " + shown.join(" / ")));

                wizard->FormShow();
                m.act(*wizard, a.function);
                wizard->btnCancelClick();
                QVERIFY2(ConditionRows.size() == 1, qPrintable(name));
                QCOMPARE(ConditionRows.front().field + " | " + ConditionRows.front().description +
                             " | " + ConditionRows.front().file,
                         row);
                const QStringList again = runShows();
                QVERIFY2(again == shown, qPrintable(name + ": " + again.join(" / ")));
            }
        }
    }

    void clearEmptiesThePanelAndKeepsTheSettings() {
        openOn(3);
        pick(PanelControl::Col1MultiSelect, 2);
        type(PanelControl::Data1MultiSelect, "5");
        wizard->btnClearClick();
        QCOMPARE(ColumnToProcess, -1);
        QCOMPARE(Panels.fldCol1MultiSelect.position, -1);
        QCOMPARE(Panels.fldSel1MultiSelect.position, -1);
        QVERIFY(Panels.fldData1MultiSelect.isEmpty());
        QCOMPARE(MultiColumn1, 2);
        // The next change of function shows the Multi-Filter choices again; the column lists stay
        // empty while no column is chosen.
        wizard->ElTree2AfterSelectionChange(3);
        QCOMPARE(Panels.fldCol1MultiSelect.position, 2);
        QCOMPARE(Panels.fldColToProcess.position, -1);

        wizard->ElTree2AfterSelectionChange(4);
        pick(PanelControl::DataTotals, 1);
        wizard->btnClearClick();
        QCOMPARE(Panels.fldDataTotals.count(), 0);
        QCOMPARE(TotalsItem, 1);
        pick(PanelControl::ColToProcessTotals, 0);  // picking a grouping column refills it
        QCOMPARE(Panels.fldDataTotals.count(), 2);
        QCOMPARE(Panels.fldDataTotals.position, -1);  // and the value column must be picked again
        QCOMPARE(pressOk(), QString("message: Please select the second column for processing!!"));

        wizard->ElTree2AfterSelectionChange(5);
        type(PanelControl::SrcDataModify, "ab");
        wizard->btnClearClick();
        QVERIFY(ModifyText.isEmpty());
        QCOMPARE(Panels.fldSelDataModify.position, -1);

        wizard->ElTree2AfterSelectionChange(2);
        pick(PanelControl::Sel1Select, 3);
        type(PanelControl::Data1Select, "1");
        wizard->btnClearClick();
        QCOMPARE(Panels.fldSel1Select.position, -1);
        QVERIFY(Panels.fldData1Select.isEmpty());
        QCOMPARE(SelectValue1, QString("1"));
        // "Ok" after "Clear" with a column picked again: ColumnToProcess never stays -1.
        wizard->ElTree2AfterSelectionChange(6);
        wizard->btnClearClick();
        QCOMPARE(pressOk(), QString("All | Reverse line order | In File 1 (a.xls)"));
        QCOMPARE(ColumnToProcess, 0);
    }

    void fileListFollowsTheFunction() {
        // Without File 2 nothing but File 1 can be chosen.
        openOn(2);
        QCOMPARE(wizard->fldFileToProcessChange(2).text, QString("Please load File 2"));
        QCOMPARE(wizard->fldFileToProcess.position, 0);
        QCOMPARE(FileToProcess, 0);

        loadSheet(File2, "b.xls");
        wizard->fldFileToProcessChange(2);
        QCOMPARE(FileToProcess, 2);
        wizard->ElTree2AfterSelectionChange(1);
        QCOMPARE(wizard->fldFileToProcess.items, (QStringList{"File 1", "File 2"}));
        QCOMPARE(wizard->fldFileToProcess.position, 0);
        QCOMPARE(FileToProcess, 0);
        wizard->ElTree2AfterSelectionChange(2);
        QCOMPARE(wizard->fldFileToProcess.count(), 3);
        QCOMPARE(wizard->fldFileToProcess.position, 0);

        // File 2 unloaded while both were chosen: the next opening falls back to File 1.
        wizard->fldFileToProcessChange(2);
        UnloadFile(File2);
        wizard->FormShow();
        QCOMPARE(FileToProcess, 0);
        QCOMPARE(wizard->fldFileToProcess.position, 0);
    }

    void columnChoicesPastTheSheetGoBackToTheFirst() {
        ColumnToProcess = 4;  // the sheet has 4 columns: one past the end
        MultiColumn1 = 9;
        MultiColumn2 = 5;
        openOn(0);
        QCOMPARE(ColumnToProcess, 0);
        QCOMPARE(MultiColumn1, 0);
        QCOMPARE(MultiColumn2, 0);
        QCOMPARE(Panels.fldColToProcess.position, 0);
    }

    void clearAllFieldsKeepsTheConfiguration() {
        openOn(1);
        pick(PanelControl::ColToProcess, 2);
        QCOMPARE(pressOk(), QString("Qty | Value repetitions | In File 1 (a.xls)"));
        ResultGrid.setRows(5);
        ClearAllFields();
        QVERIFY(ConditionRows.empty());
        QVERIFY(ShowLoadedData);
        QCOMPARE(ResultGrid.rows(), 2);
        openOn(0);
        QCOMPARE(FunctionIndex, 1);
        QCOMPARE(Panels.fldColToProcess.text(), QString("Qty"));
        QVERIFY(ConditionRows.empty());
    }
};

QTEST_GUILESS_MAIN(TestFunctionWizard)
#include "tst_functionwizard.moc"
