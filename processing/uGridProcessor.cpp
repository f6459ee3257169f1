#include "processing/uGridProcessor.h"

#include "conditions/ConditionList.h"
#include "data/ProgressSink.h"
#include "data/access/CellText.h"
#include "data/access/DbConnection.h"
#include "data/uGlobalData.h"

GridStore ResultGrid;

std::int32_t ResultRowCount = 0;
bool ResultFound = false;
std::int32_t ChangedCount = 0;
clFile* ProcessedFile = nullptr;
clFile* OtherFile = nullptr;
const clField* ProcessedColumn = nullptr;
const clField* OtherColumn = nullptr;
QStringList TotalsGridColumns;
std::vector<UserMessage> RunMessages;
bool RunCancelled = false;
ResultLayout CurrentResultLayout;

namespace {

ResultAreaView* g_resultAreaView = nullptr;
bool g_rowLimitTold = false;

constexpr std::int32_t kRowGrowth = 200;

// Whether the slot's file is of a format whose sheets hold more rows than .xls (by what the
// file holds, as its reader was chosen, not by its name).
bool holdsLongSheets(const clFile& file) {
    return file.Connection && file.Connection->maxSheetRows() > 65536;
}

// The class of File 1's column `index`; text for an index past its fields.
ColumnClass file1ColumnClass(std::int64_t index) {
    if (!File1.Contents || index < 0 || index >= std::int64_t(File1.Contents->Fields.size())) {
        return ColumnClass::Text;
    }
    return ClassOfFieldType(File1.Contents->Fields[std::size_t(index)].DataType);
}

}  // namespace

void RecordResultLayout(bool loadedData, const std::vector<std::int32_t>& totalsColumns,
                        const QStringList& differMarks) {
    ResultLayout layout;
    const bool twoFiles = File1.isLoaded() && File2.isLoaded();
    const clFile& source = !loadedData && FileToProcess == 1 ? File2 : File1;
    if (!source.Contents) {
        CurrentResultLayout = {};
        return;
    }
    for (const clField& field : source.Contents->Fields)
        layout.fields.push_back({field.Name, field.DataType});
    layout.totals = !loadedData && FunctionIndex == int(WizardFunction::Totals);
    if (layout.totals) {
        layout.totalsColumns = totalsColumns;
        layout.differMarks = differMarks;
    }
    layout.fileNumberColumn = loadedData ? twoFiles : FileToProcess == 2;
    layout.usesFile2 = loadedData ? twoFiles : FileToProcess != 0;
    layout.valid = true;
    CurrentResultLayout = layout;
}

void ForgetResultLayout() {
    CurrentResultLayout = {};
}

void setResultAreaView(ResultAreaView* view) {
    g_resultAreaView = view;
}

ResultAreaView* resultAreaView() {
    return g_resultAreaView;
}

void ShowResultGrid() {
    if (g_resultAreaView) g_resultAreaView->resultGridReset();
}

void ResetResultGrid() {
    ForgetResultLayout();
    ResultGrid.reset();
    ShowResultGrid();
}

void ClearFlexGrid() {
    ResetResultGrid();
    ClearConditionList();
}

void FitColumnWidths() {
    const std::int32_t columns = ResultGrid.columns();
    if (columns <= 0) return;
    const int windowWidth = g_resultAreaView ? g_resultAreaView->mainWindowWidth() : 761;
    const std::int32_t width = (windowWidth / columns - 1) * 15;
    for (std::int32_t column = 1; column < columns; ++column) {
        ResultGrid.setColumnWidth(column, std::max(width, 300));
    }
    ResultGrid.setColumnWidth(0, 600);
}

void BeginResultRun() {
    ResultFound = false;
    ResultRowCount = 0;
    ChangedCount = 0;
    g_rowLimitTold = false;
    RunMessages.clear();
    RunCancelled = false;
}

std::int32_t GridRowLimit() {
    return holdsLongSheets(File1) || holdsLongSheets(File2) ? 1048576 : 65536;
}

bool ReserveResultRow() {
    if (ResultGrid.rows() - 4 >= ResultRowCount) return true;
    const std::int32_t limit = GridRowLimit();
    if (ResultGrid.rows() >= limit) {
        // Told once a run: a large result would otherwise ask for every row that does not fit.
        if (!g_rowLimitTold) {
            g_rowLimitTold = true;
            RunMessages.push_back({QStringLiteral("Quarix"),
                                   QStringLiteral("Maximum number of rows (%1) exceeded. Please "
                                                  "reduce your input files and try again")
                                       .arg(limit),
                                   MessageStyle::Ok});
        }
        return false;
    }
    ResultGrid.setRows(ResultGrid.rows() + kRowGrowth);
    return true;
}

bool ShowLoadedDataInGrid() {
    RunCancelled = false;
    if (!File1.Contents) return false;
    const bool twoFiles = File2.Contents != nullptr;
    const clResult& first = *File1.Contents;
    const std::int32_t fieldCount = std::int32_t(first.Fields.size());
    std::int64_t total = RecordCount(first);
    if (twoFiles) total += RecordCount(*File2.Contents);

    ResultGrid.clear();
    ResultGrid.setRows(std::int32_t(total) + 1);
    ResultGrid.setColumns(fieldCount + (twoFiles ? 2 : 1));
    ProgressDialogSink progress;
    progress.setMaximum(std::int32_t(total));
    for (std::int32_t i = 0; i < fieldCount; ++i) {
        ResultGrid.setTextMatrix(0, i + 1, first.Fields[std::size_t(i)].Name);
    }
    if (twoFiles) ResultGrid.setTextMatrix(0, fieldCount + 1, QStringLiteral("File Number"));

    std::int32_t gridRow = 1;
    int fileNumber = 0;
    for (const clFile* file : {&File1, &File2}) {
        ++fileNumber;
        if (!file->Contents || (fileNumber == 2 && !twoFiles)) continue;
        const clResult& contents = *file->Contents;
        const std::int32_t rows = RecordCount(contents);
        for (std::int32_t r = 0; r < rows; ++r, ++gridRow) {
            ResultGrid.setSheetRow(gridRow, contents, std::size_t(r));
            if (twoFiles) ResultGrid.setNumber(gridRow, fieldCount + 1, fileNumber);
            ResultGrid.setRowNumber(gridRow);
            if (!progress.step()) {
                RunCancelled = true;
                ResetResultGrid();
                return false;
            }
        }
    }
    progress.close();
    FitColumnWidths();
    ShowResultGrid();
    return true;
}

ColumnClass ClassOfFieldType(FieldType type) {
    switch (type) {
        case FieldType::Integer:
        case FieldType::Float:
            return ColumnClass::Number;
        case FieldType::Date:
        case FieldType::DateTime:
            return ColumnClass::Date;
        default:
            return ColumnClass::Text;
    }
}

ColumnClass SortColumnClass(std::int32_t colSel) {
    if (FileToProcess == 2 && colSel + 1 == ResultGrid.columns()) return ColumnClass::Number;
    if (FunctionIndex != 4 || ShowLoadedData) {
        const std::int64_t file1Columns =
            File1.Contents ? std::int64_t(File1.Contents->Fields.size()) : 0;
        if (ShowLoadedData && File1.isLoaded() && File2.isLoaded() && colSel > file1Columns) {
            return ColumnClass::Number;
        }
        return file1ColumnClass(std::int64_t(colSel) - 1);
    }
    // A Totals result: grouping column, the total twice, then the other columns by their source.
    if (colSel == 1) return file1ColumnClass(ColumnToProcess);
    if (colSel == 2 || colSel == 3) return ColumnClass::Number;
    const qsizetype item = qsizetype(colSel) - 1;
    if (item < 0 || item >= TotalsGridColumns.size()) return ColumnClass::Text;
    bool isIndex = false;
    const int index = TotalsGridColumns[item].toInt(&isIndex);
    return isIndex ? file1ColumnClass(index) : ColumnClass::Text;
}

GridSortMode SortModeFor(ColumnClass columnClass, bool ascending) {
    switch (columnClass) {
        case ColumnClass::Number:
            return ascending ? GridSortMode::NumericAscending : GridSortMode::NumericDescending;
        case ColumnClass::Date:
            return ascending ? GridSortMode::GenericAscending : GridSortMode::GenericDescending;
        case ColumnClass::Text:
            break;
    }
    return ascending ? GridSortMode::StringAscending : GridSortMode::StringDescending;
}

void SortResultGrid(bool ascending) {
    SortGrid(ResultGrid, SortModeFor(SortColumnClass(ResultGrid.ColSel), ascending),
             CellTextFormat::system(), BlankCells::Last);
    for (std::int32_t row = 1; row < ResultGrid.rows(); ++row) ResultGrid.setRowNumber(row);
    ShowResultGrid();
}
