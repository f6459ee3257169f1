#include "conditions/FunctionWizard.h"

#include "conditions/ConditionList.h"
#include "data/SlotChecks.h"
#include "data/uGlobalData.h"
#include "processing/NumberText.h"

namespace {

bool isNumericOperator(int code) {
    return code >= 2 && code <= 5;
}

// The fields the numeric checks look at: File 2's when it alone is processed.
const clResult* targetContents() {
    return FileToProcess == 1 ? File2.Contents.get() : File1.Contents.get();
}

bool isNumericColumn(int column) {
    const clResult* contents = targetContents();
    if (!contents || column < 0 || column >= int(contents->Fields.size())) return false;
    return isNumberType(contents->Fields[std::size_t(column)].DataType);
}

int columnCount(const clFile& file) {
    return file.Contents ? int(file.Contents->Fields.size()) : 0;
}

}  // namespace

// A numeric operator needs a numeric column and a number as its value.
bool FunctionWizard::checkNumber(const QString& value, int column, bool firstParameter) {
    if (!isNumericColumn(column)) {
        return refuse(QStringLiteral("This function requires numeric field type!"));
    }
    if (!IsNumberValue(value)) {
        return refuse(firstParameter ? QStringLiteral("The first parameter should be number!")
                                     : QStringLiteral("The second parameter should be number!"));
    }
    return true;
}

bool FunctionWizard::columnCountsMatch() {
    return CheckConditions(columnCount(File1), columnCount(File2), 0);
}

bool FunctionWizard::refuse(const QString& text) {
    m_refusal = UserMessage::warning(text);
    return false;
}

const QStringList& FunctionItems() {
    static const QStringList items{
        QStringLiteral("Unique values"), QStringLiteral("Duplicates"),
        QStringLiteral("Filter"),        QStringLiteral("Multi-Filter"),
        QStringLiteral("Totals"),        QStringLiteral("Data modify"),
        QStringLiteral("Sorting"),
    };
    return items;
}

QString FunctionDescription(int index) {
    switch (WizardFunction(index)) {
        case WizardFunction::UniqueValues:
            return QStringLiteral("Searches for unique values for the selected column");
        case WizardFunction::Duplicates:
            return QStringLiteral("Searches for repetitive values for the selected column");
        case WizardFunction::Filter:
            return QStringLiteral("Identifies data, which satisfies two specified criteria");
        case WizardFunction::MultiFilter:
            return QStringLiteral("Selects data by specifying conditions for two columns");
        case WizardFunction::Totals:
            return QStringLiteral(
                "Shows the totals for one column with sums of values for another column");
        case WizardFunction::DataModify:
            return QStringLiteral(
                "Prolonging or deleting a sequence of symbols in a specified column in a file");
        case WizardFunction::Sorting:
            return QStringLiteral("Reverses the rows in the file");
    }
    return {};
}

QStringList FileItemsFor(int functionIndex) {
    QStringList items{QStringLiteral("File 1"), QStringLiteral("File 2")};
    switch (WizardFunction(functionIndex)) {
        case WizardFunction::Duplicates:
        case WizardFunction::DataModify:
        case WizardFunction::Sorting:
            break;
        default:
            items << QStringLiteral("Both Files");
    }
    return items;
}

int FunctionPanelPosition(int functionIndex) {
    return functionIndex <= 1 ? 0 : functionIndex - 1;
}

QString OperatorSymbol(int code) {
    static const char* const symbols[] = {"=", "<>", "<", "<=", ">", ">=", "Contains string "};
    return code >= 0 && code <= 6 ? QString::fromLatin1(symbols[code]) : QString();
}

QString FilterConditionText(int operatorCode, const QString& value) {
    return OperatorSymbol(operatorCode) + value;
}

QString MultiFilterConditionText(const QString& column, int operatorCode, const QString& value) {
    const QString symbol =
        operatorCode == 6 ? QStringLiteral(" Contains string ") : OperatorSymbol(operatorCode);
    return column + symbol + value;
}

FunctionWizard::FunctionWizard(FunctionWizardView* view) : m_view(view) {
    ElTree2.items = FunctionItems();
    fldFileToProcess.items = FileItemsFor(int(WizardFunction::UniqueValues));
}

void FunctionWizard::FormCreate() {
    fldFileToProcess.select(0);
    ShowFunctionPanel(int(WizardFunction::UniqueValues));
    if (!File1.isLoaded() || !File2.isLoaded()) {
        FileToProcess = 0;
        fldFileToProcess.select(0);
    }
}

void FunctionWizard::FormShow() {
    Snapshot = WizardSnapshot::take();
    // Without File 2 the wizard always falls back to "File 1".
    if (!File1.isLoaded() || !File2.isLoaded()) FileToProcess = 0;
    // The accepted function, or the first while none was accepted.
    if (FunctionIndex < 0) FunctionIndex = int(WizardFunction::UniqueValues);
    ElTree2.select(FunctionIndex);
    fldFileToProcess.items = FileItemsFor(FunctionIndex);
    fldFileToProcess.select(FileToProcess);
    FillColumnLists();
    ShowFunctionPanel(FunctionIndex);
    RestorePanelSelections();
    RefreshFunctionPanel(ElTree2.position);
    ShowFunctionHelp(ElTree2.position);
}

void FunctionWizard::ElTree2AfterSelectionChange(int position) {
    ElTree2.select(position);
    FunctionIndex = position;
    ShowFunctionHelp(FunctionIndex);
    ShowFunctionPanel(FunctionIndex);
    RestorePanelSelections();

    // The refill leaves nothing selected, so the file is always selected again below.
    fldFileToProcess.items = FileItemsFor(FunctionIndex);
    fldFileToProcess.position = -1;
    if (fldFileToProcess.count() == 2 && FileToProcess == 2) FileToProcess = 0;
    if (fldFileToProcess.position != FileToProcess) {
        fldFileToProcess.select(FileToProcess);
        RefreshFunctionPanel(ElTree2.position);
    }
}

UserMessage FunctionWizard::fldFileToProcessChange(int position) {
    fldFileToProcess.select(position);
    if (position == 0 && !File1.isLoaded()) {
        return UserMessage::warning(QStringLiteral("Please load File 1"));
    }
    if (position >= 1 && !File2.isLoaded()) {
        fldFileToProcess.select(0);
        return UserMessage::warning(QStringLiteral("Please load File 2"));
    }
    FileToProcess = position;
    RefreshFunctionPanel(ElTree2.position);
    return {};
}

void FunctionWizard::ShowFunctionPanel(int functionIndex) {
    ShownPanel = FunctionPanelPosition(functionIndex);
    if (m_view) m_view->showFunctionPanel(functionIndex);
}

void FunctionWizard::ShowFunctionHelp(int functionIndex) {
    if (functionIndex >= 0 && functionIndex <= 6) HelpLabel = FunctionDescription(functionIndex);
}

void FunctionWizard::btnClearClick() {
    ColumnToProcess = -1;
    // Only the lists' selections and the texts go; the settings behind them stay until the user
    // picks or types again.
    switch (WizardFunction(ElTree2.position)) {
        case WizardFunction::UniqueValues:
        case WizardFunction::Duplicates:
            Panels.fldColToProcess.position = -1;
            break;
        case WizardFunction::Filter:
            Panels.fldColToProcessSelect.position = -1;
            Panels.fldSel1Select.position = -1;
            Panels.fldSel2Select.position = -1;
            Panels.fldData1Select.clear();
            Panels.fldData2Select.clear();
            break;
        case WizardFunction::MultiFilter:
            Panels.fldCol1MultiSelect.position = -1;
            Panels.fldCol2MultiSelect.position = -1;
            Panels.fldSel1MultiSelect.position = -1;
            Panels.fldSel2MultiSelect.position = -1;
            Panels.fldData1MultiSelect.clear();
            Panels.fldData2MultiSelect.clear();
            break;
        case WizardFunction::Totals:
            Panels.fldColToProcessTotals.position = -1;
            Panels.fldSelTotals.position = -1;
            Panels.fldDataTotals.clear();
            break;
        case WizardFunction::DataModify:
            Panels.fldColToProcessDataModify.position = -1;
            Panels.fldSelDataModify.position = -1;
            SetModifyTextField(QString());
            break;
        case WizardFunction::Sorting:
            break;
    }
}

void FunctionWizard::btnCancelClick() {
    Snapshot.restore();
    if (m_view) m_view->closeWizard(false);
}

bool FunctionWizard::CheckConditions(int first, int second, int kind) {
    if (kind == 0 && first != second) return refuse(ColumnMismatchMessage(ColumnMismatch::Count));
    return true;
}

bool FunctionWizard::CheckConditions(const QString& text, int kind) {
    if (!text.isEmpty()) return true;
    switch (kind) {
        case 1:
            return refuse(QStringLiteral("Please select the column for processing!!"));
        case 2:
            return refuse(QStringLiteral("Please, select the function!"));
        case 3:
            return refuse(QStringLiteral("Please, select the second function!"));
        default:
            return true;
    }
}

bool FunctionWizard::checkUniqueValues() {
    // Unique values compares with File 2, whatever file is chosen.
    if (!File2.isLoaded()) return refuse(QStringLiteral("Please load File 2"));
    return CheckConditions(Panels.fldColToProcess.text(), 1);
}

bool FunctionWizard::checkDuplicates() {
    return CheckConditions(Panels.fldColToProcess.text(), 1);
}

bool FunctionWizard::checkFilter(QString& description) {
    const ConditionPanels& p = Panels;
    if (!CheckConditions(p.fldColToProcessSelect.text(), 1)) return false;
    if (!CheckConditions(p.fldSel1Select.text(), 2)) return false;
    if (FileToProcess == 2 && !columnCountsMatch()) return false;
    const int column = p.fldColToProcessSelect.position;
    if (isNumericOperator(p.fldSel1Select.position) &&
        !checkNumber(p.fldData1Select, column, true)) {
        return false;
    }
    // The second list starts with "None": its positions are the operator codes plus one.
    const int secondPosition = p.fldSel2Select.position;
    if (isNumericOperator(secondPosition - 1) && !checkNumber(p.fldData2Select, column, false)) {
        return false;
    }
    description = FilterConditionText(p.fldSel1Select.position, p.fldData1Select);
    if (secondPosition >= 1 && secondPosition <= 7) {
        description += SelectAnd ? QStringLiteral(" AND ") : QStringLiteral(" OR ");
        description += FilterConditionText(secondPosition - 1, p.fldData2Select);
    }
    return true;
}

bool FunctionWizard::checkMultiFilter(QString& description) {
    const ConditionPanels& p = Panels;
    if (FileToProcess == 2 && !columnCountsMatch()) return false;
    // A missing first column is reported as a missing function.
    if (!CheckConditions(p.fldCol1MultiSelect.text(), 2)) return false;
    if (!CheckConditions(p.fldSel1MultiSelect.text(), 2)) return false;
    const bool second = p.fldCol2MultiSelect.position > 0;
    if (second && !CheckConditions(p.fldSel2MultiSelect.text(), 3)) return false;
    if (isNumericOperator(p.fldSel1MultiSelect.position) &&
        !checkNumber(p.fldData1MultiSelect, p.fldCol1MultiSelect.position, true)) {
        return false;
    }
    if (second && isNumericOperator(p.fldSel2MultiSelect.position) &&
        !checkNumber(p.fldData2MultiSelect, p.fldCol2MultiSelect.position - 1, false)) {
        return false;
    }
    description = MultiFilterConditionText(p.fldCol1MultiSelect.text(),
                                           p.fldSel1MultiSelect.position, p.fldData1MultiSelect);
    if (second) {
        description += QStringLiteral(" AND ");
        description += MultiFilterConditionText(
            p.fldCol2MultiSelect.text(), p.fldSel2MultiSelect.position, p.fldData2MultiSelect);
    }
    return true;
}

bool FunctionWizard::checkTotals(QString& description) {
    const ConditionPanels& p = Panels;
    if (FileToProcess == 2 && !columnCountsMatch()) return false;
    if (!CheckConditions(p.fldColToProcessTotals.text(), 1)) return false;
    if (p.fldDataTotals.text().isEmpty()) {
        return refuse(QStringLiteral("Please select the second column for processing!!"));
    }
    if (!CheckConditions(p.fldSelTotals.text(), 2)) return false;
    if (p.fldColToProcessTotals.text() == p.fldDataTotals.text()) {
        return refuse(QStringLiteral("Column 1 and 2 should not be the same!"));
    }
    static const char* const words[] = {"Sum on column ", "Minimum value in ", "Maximum value in "};
    description = QString::fromLatin1(words[p.fldSelTotals.position]) + p.fldDataTotals.text();
    return true;
}

bool FunctionWizard::checkDataModify() {
    const ConditionPanels& p = Panels;
    if (!CheckConditions(p.fldColToProcessDataModify.text(), 1)) return false;
    if (!CheckConditions(p.fldSelDataModify.text(), 2)) return false;
    // A numeric column takes only a number as the sequence; a text column takes anything.
    if (isNumericColumn(p.fldColToProcessDataModify.position) && !IsNumberText(ModifyText)) {
        return refuse(QStringLiteral("This function requires text field type!!"));
    }
    return true;
}

UserMessage FunctionWizard::btnOKClick() {
    m_refusal = {};
    const ConditionPanels& p = Panels;
    QString field;
    QString description;
    bool passed = false;
    switch (WizardFunction(FunctionIndex)) {
        case WizardFunction::UniqueValues:
            passed = checkUniqueValues();
            field = p.fldColToProcess.text();
            description = QStringLiteral("Unique Values");
            break;
        case WizardFunction::Duplicates:
            passed = checkDuplicates();
            field = p.fldColToProcess.text();
            description = QStringLiteral("Value repetitions");
            break;
        case WizardFunction::Filter:
            passed = checkFilter(description);
            field = p.fldColToProcessSelect.text();
            break;
        case WizardFunction::MultiFilter:
            passed = checkMultiFilter(description);
            field = p.fldCol1MultiSelect.text();
            break;
        case WizardFunction::Totals:
            passed = checkTotals(description);
            field = p.fldColToProcessTotals.text();
            break;
        case WizardFunction::DataModify:
            passed = checkDataModify();
            field = p.fldColToProcessDataModify.text();
            description = p.fldSelDataModify.text() + QLatin1Char(' ') + p.fldSrcDataModify;
            break;
        case WizardFunction::Sorting:
            passed = true;
            field = QStringLiteral("All");
            description = QStringLiteral("Reverse line order");
            break;
    }
    // A refused "Ok" keeps the accepted row: the wizard may still be cancelled.
    if (!passed) return m_refusal;

    ClearConditionList();
    AddConditionRow(field, description);
    ShowLoadedData = false;
    if (ColumnToProcess == -1) ColumnToProcess = 0;
    if (m_view) m_view->closeWizard(true);
    return {};
}
