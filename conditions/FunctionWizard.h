#pragma once

#include <QString>
#include <QStringList>

#include "conditions/ConditionPanels.h"

// The Function Wizard's rules, without its window: choosing a function and a file, "Clear",
// "Cancel" and "Ok" with their checks and the condition row. The window (TfrmConditions) shows this
// state and forwards the user's clicks here; tests drive it directly.

// The seven functions in the order of the wizard's function list; FunctionIndex holds the value.
enum class WizardFunction {
    UniqueValues = 0,
    Duplicates = 1,
    Filter = 2,
    MultiFilter = 3,
    Totals = 4,
    DataModify = 5,
    Sorting = 6,
};

const QStringList& FunctionItems();      // "Unique values" .. "Sorting"
QString FunctionDescription(int index);  // the text under "Description"; empty outside 0..6
// The file list's items for a function: "Both Files" only where the function can use it.
QStringList FileItemsFor(int functionIndex);
// The position in the wizard's host of the panel a function shows (Unique values and Duplicates
// share the first).
int FunctionPanelPosition(int functionIndex);

// The row symbol of an operator code, as Filter writes it ("=", "<>", ..., "Contains string ").
QString OperatorSymbol(int code);
// One part of a Filter description: the symbol glued to the value ("<=10", "Contains string ab").
QString FilterConditionText(int operatorCode, const QString& value);
// One part of a Multi-Filter description: column, symbol and value ("Price>10",
// "Name Contains string ab").
QString MultiFilterConditionText(const QString& column, int operatorCode, const QString& value);

// The copies of the settings that "Cancel" puts back; each is taken at its own moment.
struct WizardSnapshot {
    int FunctionIndex = 0;
    int ColumnToProcess = 0;
    int FileToProcess = 0;
    int SelectOperator1 = 0;
    int SelectOperator2 = 0;
    QString SelectValue1;
    QString SelectValue2;
    int MultiColumn1 = 0;
    int MultiColumn2 = 0;
    int MultiOperator1 = 0;
    int MultiOperator2 = 0;
    QString MultiValue1;
    QString MultiValue2;
    int TotalsKind = 0;
    int TotalsColumn = 0;
    int TotalsItem = 0;
    int ModifyOperation = 0;
    QString ModifyText;

    // The copies every panel refresh takes: Filter's and Multi-Filter's choices and texts.
    void takePanelCopies();
};

// What the wizard asks of its window.
class FunctionWizardView {
public:
    virtual ~FunctionWizardView() = default;
    virtual void showFunctionPanel(int functionIndex) = 0;
    virtual void closeWizard() = 0;
};

class FunctionWizard {
public:
    explicit FunctionWizard(FunctionWizardView* view = nullptr);

    PanelList ElTree2;           // the function list
    PanelList fldFileToProcess;  // "File 1", "File 2" and, for some functions, "Both Files"
    QString HelpLabel;           // the description of the selected function
    int ShownPanel = 0;          // the panel's position in the host
    WizardSnapshot Snapshot;

    void FormCreate();
    void FormShow();
    // The user clicks a function, or picks an item of the file list.
    void ElTree2AfterSelectionChange(int position);
    void fldFileToProcessChange(int position);
    void btnClearClick();
    void btnCancelClick();
    // Checks the selected function's panel; on success writes the condition row and closes.
    void btnOKClick();

    void ShowFunctionPanel(int functionIndex);
    void ShowFunctionHelp(int functionIndex);

    // Kind 0 compares two column counts, kinds 1 to 3 require a text; a failure is told to the
    // user with the kind's message.
    static bool CheckConditions(int first, int second, int kind);
    static bool CheckConditions(const QString& text, int kind);

private:
    bool checkUniqueValues();
    bool checkDuplicates();
    bool checkFilter(QString& description);
    bool checkMultiFilter(QString& description);
    bool checkTotals(QString& description);
    bool checkDataModify();

    FunctionWizardView* m_view;
};
