#pragma once

#include <QString>
#include <QStringList>
#include <tuple>
#include <type_traits>

#include "conditions/ConditionPanels.h"
#include "data/UserMessage.h"
#include "data/uGlobalData.h"

// The Function Wizard's rules, without its window: choosing a function and a file, "Clear",
// "Cancel" and "Ok" with their checks and the condition row. The window (TfrmConditions) shows this
// state, forwards the user's clicks here and shows the warnings they return; tests drive it
// directly.

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

// Every condition setting the wizard changes, with the panels' lists and fields and the Totals
// column map, as one assignable whole.
inline auto WizardSettings() {
    return std::tie(FunctionIndex, FileToProcess, ColumnToProcess, SelectOperator1, SelectOperator2,
                    SelectValue1, SelectValue2, SelectAnd, MultiColumn1, MultiColumn2,
                    MultiOperator1, MultiOperator2, TotalsKind, TotalsColumn, TotalsItem,
                    ModifyOperation, ModifyText, Panels, TotalsColumnMap);
}
template <class... Setting>
std::tuple<std::remove_cvref_t<Setting>...> CopiesOf(std::tuple<Setting...>);  // types only

// The settings as the wizard opened with them. Closing the wizard any way but "Ok" puts all of
// them back, so that a run does exactly what the condition list says, however the user changed
// function, panels or "Clear" meanwhile.
struct WizardSnapshot {
    decltype(CopiesOf(WizardSettings())) settings;

    static WizardSnapshot take() { return {WizardSettings()}; }
    void restore() const { WizardSettings() = settings; }
};

// What the wizard asks of its window.
class FunctionWizardView {
public:
    virtual ~FunctionWizardView() = default;
    virtual void showFunctionPanel(int functionIndex) = 0;
    // "Ok" passed (`accepted`), or the wizard was cancelled and its settings put back.
    virtual void closeWizard(bool accepted) = 0;
};

class FunctionWizard {
public:
    explicit FunctionWizard(FunctionWizardView* view = nullptr);

    PanelList ElTree2;           // the function list
    PanelList fldFileToProcess;  // "File 1", "File 2" and, for some functions, "Both Files"
    QString HelpLabel;           // the description of the selected function
    int ShownPanel = 0;          // the panel's position in the host
    WizardSnapshot Snapshot;     // taken as the wizard opens

    void FormCreate();
    void FormShow();
    // The user clicks a function, or picks an item of the file list.
    void ElTree2AfterSelectionChange(int position);
    // The warning when the file chosen is not loaded (the list goes back to "File 1").
    UserMessage fldFileToProcessChange(int position);
    void btnClearClick();
    // "Cancel", Esc and the close box: every setting back as the wizard opened with them.
    void btnCancelClick();
    // Checks the selected function's panel; on success writes the condition row and closes.
    // Otherwise the warning that tells the user what is missing; the accepted row stays.
    UserMessage btnOKClick();

    void ShowFunctionPanel(int functionIndex);
    void ShowFunctionHelp(int functionIndex);

    // Kind 0 compares two column counts, kinds 1 to 3 require a text; a failure keeps the
    // kind's message as the refusal.
    bool CheckConditions(int first, int second, int kind);
    bool CheckConditions(const QString& text, int kind);

private:
    bool refuse(const QString& text);  // keeps the refusal; false
    bool checkNumber(const QString& value, int column, bool firstParameter);
    bool columnCountsMatch();
    bool checkUniqueValues();
    bool checkDuplicates();
    bool checkFilter(QString& description);
    bool checkMultiFilter(QString& description);
    bool checkTotals(QString& description);
    bool checkDataModify();

    FunctionWizardView* m_view;
    UserMessage m_refusal;
};
