#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <cstdint>
#include <vector>

#include "data/ResultStatements.h"
#include "data/access/FieldType.h"

class ProgressSink;

// Saving what the result grid shows into a new workbook or dBase table, through the statements
// of the data access layer: one CREATE TABLE, one INSERT a grid row.

// What a grid was filled with, recorded when it was filled, so that a save writes the columns the
// grid shows whatever the wizard was changed to afterwards.
struct ResultLayout {
    struct Field {
        QString name;
        FieldType type = FieldType::String;
    };
    bool valid = false;
    std::vector<Field> fields;  // the source fields, in order
    bool totals = false;        // the Totals layout
    std::vector<std::int32_t> totalsColumns;  // grouping column, value column
    QStringList differMarks;                  // one a further column: "-" when groups differ
    bool fileNumberColumn = false;            // the "[File number]" column
    bool usesFile2 = false;                   // the rows came from File 2 too
};
extern ResultLayout CurrentResultLayout;

// Records the layout of the grid just filled: the loaded-data view (`loadedData`) or a result.
void RecordResultLayout(bool loadedData);
// The grid was reset: there is nothing to save.
void ForgetResultLayout();
// A slot is being unloaded: a result drawn from it can no longer be saved.
void SlotUnloaded(bool file2);

// The columns of the CREATE TABLE and INSERT statements for a layout, and the kind of each
// result column (1 number, 2 text: SavedColumnKinds), in grid order.
struct SavedColumns {
    QStringList definitions;
    QStringList insertNames;
    std::vector<int> kinds;
};
SavedColumns composeSavedColumns(const ResultLayout& layout, ResultFileType type);

// "xls", "dbf" or "xlsx".
QString ResultFileExtension(ResultFileType type);
// The type a result file name asks for by its extension (letter case ignored), if any.
std::optional<ResultFileType> ResultFileTypeOf(const QString& path);

// The name the save dialog's choice settles to: a final extension of another result type is
// replaced by this type's, letter case ignored; any other name gets this type's extension
// appended. Folders are never touched.
QString SettleResultFileName(const QString& path, ResultFileType type);

enum class SaveOutcome { Saved, Refused, Cancelled, Failed };

// Writes the grid as `type` to `path`: into a temporary file in the same folder, put in place of
// any existing file only when complete. A loaded source is never written. Every failure is told
// to the user; a cancel leaves nothing behind (and, while the columns are composed, resets the
// grid as the progress dialog's Cancel does).
// `nativeError`, when given, receives the data access layer's code of a failure (0 otherwise).
SaveOutcome SaveResultFile(const QString& path, ResultFileType type, int* nativeError = nullptr);

// The Save command: the row limit, the save dialog, the name, then SaveResultFile. The caller
// keeps the main window disabled meanwhile.
SaveOutcome SaveResults();

// The save dialog's file types: Excel first.
QStringList ResultFileFilters();
