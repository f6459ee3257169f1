#pragma once

#include <QStringList>
#include <vector>

#include "data/UserMessage.h"
#include "data/access/FieldType.h"

#include "processing/GridSort.h"
#include "processing/GridStore.h"

struct clField;
struct clFile;

// The result grid (the main window's MSFlexGrid1) is the only store of a result: the functions
// write their rows here and Save reads them back. Row 0 holds the headings, column 0 the row
// numbers; data rows and columns count from 1.
extern GridStore ResultGrid;

// The state a run shares with the functions, set afresh by every run (the slots and columns keep
// their values between runs). The pointers are to File1/File2 and their fields; null before the
// first run.
extern std::int32_t ResultRowCount;  // result rows written; the next goes to grid row + 1
extern bool ResultFound;
extern std::int32_t ChangedCount;  // cells changed by Data modify
extern clFile* ProcessedFile;
extern clFile* OtherFile;
extern const clField* ProcessedColumn;
extern const clField* OtherColumn;
// Totals: the source column index (as text) of each result column from 1 on.
extern QStringList TotalsGridColumns;
// What the run has to tell the user besides its outcome, in the order it came up (the row limit,
// a file unloaded since the function was configured), and whether the user cancelled it.
extern std::vector<UserMessage> RunMessages;
extern bool RunCancelled;

// What a grid was filled with, recorded when it was filled, so that a save writes the columns the
// grid shows whatever the wizard was changed to afterwards. Save is on exactly while it is valid.
struct ResultLayout {
    struct Field {
        QString name;
        FieldType type = FieldType::String;
    };
    bool valid = false;
    std::vector<Field> fields;                // the source fields, in order
    bool totals = false;                      // the Totals layout
    std::vector<std::int32_t> totalsColumns;  // grouping column, value column
    QStringList differMarks;                  // one a further column: "-" when groups differ
    bool fileNumberColumn = false;            // the "[File number]" column
    bool usesFile2 = false;                   // the rows came from File 2 too
};
extern ResultLayout CurrentResultLayout;

// Records the layout of the grid just filled: the loaded-data view (`loadedData`) or a result; a
// Totals result brings its grouping and value columns and the marks of its other columns.
void RecordResultLayout(bool loadedData, const std::vector<std::int32_t>& totalsColumns = {},
                        const QStringList& differMarks = {});
// The grid was reset: there is nothing to save.
void ForgetResultLayout();

// What changing the result grid asks of the main window. The main window installs itself;
// without it (tests, the command-line tool) nothing is shown.
class ResultAreaView {
public:
    virtual ~ResultAreaView() = default;
    // The grid's size or texts changed as a whole: show it anew (with its widths, selection and
    // bold cells).
    virtual void resultGridReset() = 0;
    // The condition list (ConditionRows) may have changed: show it anew. Called by the commands
    // after each command.
    virtual void conditionListChanged() = 0;
    // The main window's width in pixels, which the column widths follow.
    virtual int mainWindowWidth() const { return 761; }
};
void setResultAreaView(ResultAreaView* view);  // not owned; nullptr removes it
ResultAreaView* resultAreaView();
// Tells the view that the grid changed as a whole.
void ShowResultGrid();

// The empty grid (2 x 2, no text) shown; nothing to save.
void ResetResultGrid();
// Resets the grid and empties the condition list (the commands do this; no function does).
void ClearFlexGrid();

// Every data column as wide as the main window allows for all of them, 300 twips at least;
// column 0 600 twips.
void FitColumnWidths();

// The rows the grid holds, the heading row included: 65,536 as a .xls sheet holds, or 1,048,576
// while a loaded source is a .xlsx or .ods workbook, which hold that many.
std::int32_t GridRowLimit();

// Before a result row that may pass the rows prepared: grows the grid by 200 rows when fewer than
// four spare rows are left. False when the grid is at its limit: the caller skips the row. The
// limit is told once a run, in RunMessages (see BeginResultRun).
bool ReserveResultRow();
// Starts the run state of a run: no result, no rows, nothing changed, no messages, not cancelled.
void BeginResultRun();

// The loaded rows of File 1 (and File 2 when loaded, marked by a "File Number" column) in the
// grid, with the progress dialog; a cancel leaves the grid reset and RunCancelled set. Nothing
// without File 1. True when the grid shows the rows.
bool ShowLoadedDataInGrid();

// The class of the grid column ColSel under the current configuration, which picks the sort
// mode of the grid's pop-up menu. A rule that points past File 1's fields or past
// TotalsGridColumns gives the text class.
enum class ColumnClass { Number, Date, Text };
ColumnClass ClassOfFieldType(FieldType type);
ColumnClass SortColumnClass(std::int32_t colSel);
// "Sort by ascending" / "Sort by descending": sorts the selected rows by the selected columns
// with the mode of the class of ColSel, empty cells last either way, then numbers the rows 1, 2,
// ... again. The selection and TopRow stay as they were.
void SortResultGrid(bool ascending);
GridSortMode SortModeFor(ColumnClass columnClass, bool ascending);
