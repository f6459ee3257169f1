#include "processing/RunCommand.h"

#include <optional>

#include "conditions/ConditionPanels.h"
#include "data/access/CellText.h"
#include "data/seams/ProgressSeam.h"
#include "data/uGlobalData.h"
#include "processing/ResultFunctions.h"
#include "processing/Totals.h"
#include "processing/uGridProcessor.h"

std::array<ResultFunction, 7> ResultFunctionTable = {
    ProcessFindUniqueValues,
    ProcessFindValueRepetitions,
    ProcessFindSelections,
    ProcessFindMultiSelect,
    ProcessFindTotals,
    ProcessDataModify,
    ProcessSort,
};

namespace {

std::int32_t fieldCount(const clFile& file) {
    return std::int32_t(file.Contents->Fields.size());
}

UserMessage refuseStale() {
    return UserMessage::warning(QStringLiteral("Please,Select New Parameters in Conditions"));
}

bool isColumn(std::int32_t index) {
    return index >= 0 && index < fieldCount(*ProcessedFile);
}

// A panel's column list filled from a File 1 with fewer columns than the file processed now.
bool isStale(const PanelList& list) {
    return list.count() < fieldCount(*ProcessedFile);
}

// Any other FunctionIndex runs nothing, and finds nothing.
void runConfiguredFunction() {
    if (FunctionIndex >= 0 && FunctionIndex < int(ResultFunctionTable.size())) {
        ResultFunctionTable[std::size_t(FunctionIndex)]();
    }
}

// What the user sees of a result: its widths, the Duplicates order, the bold Totals headings, and
// what Data modify changed.
void presentResult(std::vector<UserMessage>& messages) {
    ResultGrid.setRows(ResultRowCount + 1);
    FitColumnWidths();
    switch (WizardFunction(FunctionIndex)) {
        case WizardFunction::Duplicates: {
            ResultGrid.setCurrentCell(1, ColumnToProcess + 1);
            const FieldType type = File1.Contents->Fields[std::size_t(ColumnToProcess)].DataType;
            SortGrid(ResultGrid, SortModeFor(ClassOfFieldType(type), true),
                     CellTextFormat::system());
            break;
        }
        case WizardFunction::Totals:
            ResultGrid.setCurrentCell(0, 2);
            ResultGrid.setCellFontBold(0, 2);
            ResultGrid.setCurrentCell(0, 3);
            ResultGrid.setCellFontBold(0, 3);
            break;
        default:
            break;
    }
    ShowResultGrid();
    if (WizardFunction(FunctionIndex) == WizardFunction::DataModify) {
        messages.push_back(UserMessage::information(
            ChangedCount > 0
                ? QString::number(ChangedCount) + QStringLiteral(" records are changed!")
                : QStringLiteral("Sequence '") + ModifyText + QStringLiteral("' in field '") +
                      ProcessedColumn->Name + QStringLiteral("' was not found")));
    }
}

}  // namespace

UserMessage ValidateRun() {
    // Nothing of an earlier run may point into a slot that has been unloaded since.
    ProcessedColumn = nullptr;
    OtherColumn = nullptr;
    if (!File1.Contents) return UserMessage::warning(QStringLiteral("Please select file 1"));
    if (ColumnToProcess < 0) {
        return UserMessage::warning(QStringLiteral("Please select the column for processing!"));
    }
    if (FileToProcess == 1 || FileToProcess == 2) {
        if (!File2.Contents) return UserMessage::warning(QStringLiteral("Please load File 2"));
        ProcessedFile = FileToProcess == 1 ? &File2 : &File1;
        OtherFile = FileToProcess == 1 ? &File1 : &File2;
    } else {
        ProcessedFile = &File1;
        OtherFile = &File2;
    }
    if (ColumnToProcess >= fieldCount(*ProcessedFile)) return refuseStale();
    const std::size_t column = std::size_t(ColumnToProcess);
    ProcessedColumn = &ProcessedFile->Contents->Fields[column];

    // File 2 has File 1's columns while it is loaded, so the other file has this column too.
    const auto takeOtherColumn = [column] {
        if (OtherFile->Contents && column < OtherFile->Contents->Fields.size()) {
            OtherColumn = &OtherFile->Contents->Fields[column];
        }
    };
    switch (WizardFunction(FunctionIndex)) {
        case WizardFunction::UniqueValues:
            if (isStale(Panels.fldColToProcess)) return refuseStale();
            takeOtherColumn();
            break;
        case WizardFunction::Duplicates:
            if (isStale(Panels.fldColToProcess)) return refuseStale();
            break;
        case WizardFunction::Filter:
            if (FileToProcess == 2) takeOtherColumn();
            break;
        case WizardFunction::MultiFilter: {
            if (isStale(Panels.fldCol1MultiSelect)) return refuseStale();
            // The columns the settings name must be the file's own.
            const bool second = Panels.fldCol2MultiSelect.position > 0 && MultiColumn2 >= 1;
            if (!isColumn(MultiColumn1) || (second && !isColumn(MultiColumn2 - 1))) {
                return refuseStale();
            }
            break;
        }
        case WizardFunction::Totals:
            if (isStale(Panels.fldColToProcessTotals)) return refuseStale();
            // The value column: another column of the file, a numeric one.
            if (!isColumn(TotalsColumn) || TotalsColumn == ColumnToProcess ||
                !isNumberType(
                    ProcessedFile->Contents->Fields[std::size_t(TotalsColumn)].DataType)) {
                return refuseStale();
            }
            if (FileToProcess == 2) takeOtherColumn();
            break;
        case WizardFunction::DataModify:
            if (isStale(Panels.fldColToProcessDataModify)) return refuseStale();
            break;
        default:
            break;
    }
    return {};
}

RunResult RunFunction() {
    RunResult result;
    if (ShowLoadedData) {
        // A layout to save only when the view shows rows (not after a cancel, nor without File 1).
        if (ShowLoadedDataInGrid()) RecordResultLayout(true);
        result.outcome = RunOutcome::LoadedData;
        result.cancelled = RunCancelled;
        return result;
    }
    if (UserMessage refusal = ValidateRun(); !refusal.isEmpty()) {
        result.messages.push_back(std::move(refusal));
        return result;
    }

    BeginResultRun();
    const clResult& processed = *ProcessedFile->Contents;
    ResultGrid.setRows(RecordCount(processed) + 1);
    ResultGrid.setColumns(std::int32_t(processed.Fields.size()) + 1);
    if (WizardFunction(FunctionIndex) != WizardFunction::Duplicates) {
        for (std::size_t i = 0; i < processed.Fields.size(); ++i) {
            ResultGrid.setTextMatrix(0, std::int32_t(i) + 1, processed.Fields[i].Name);
        }
    }

    std::optional<QString> failure;
    try {
        runConfiguredFunction();
    } catch (const RunError& error) {
        failure = error.message();
    } catch (const std::exception& error) {
        failure =
            QStringLiteral("The function stopped: %1").arg(QString::fromLocal8Bit(error.what()));
    }
    CloseProgress();
    result.messages = std::move(RunMessages);
    RunMessages.clear();
    result.cancelled = RunCancelled;
    if (failure) {
        ResultFound = false;
        ResetResultGrid();
        result.outcome = RunOutcome::Failed;
        result.messages.push_back(UserMessage::warning(*failure));
        return result;
    }
    if (!ResultFound) {
        ResetResultGrid();
        result.outcome = RunOutcome::NoResult;
        result.messages.push_back(
            UserMessage::information(QStringLiteral("No data matching your query found!")));
        return result;
    }
    QStringList differMarks;
    for (const clValues& mark : TotalsDifferMarks) differMarks << mark.Value;
    RecordResultLayout(false, TotalsResultColumns, differMarks);
    presentResult(result.messages);
    result.outcome = RunOutcome::Result;
    return result;
}
