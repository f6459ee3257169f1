#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "data/ResultStatements.h"
#include "data/UserMessage.h"
#include "data/access/FieldType.h"

struct ResultLayout;

// Saving what the result grid shows into a new workbook or dBase table, through the statements
// of the data access layer: one CREATE TABLE, one INSERT a grid row.

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

// What a save did and what the user is to be told of it.
struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Refused;
    int nativeError = 0;  // the data access layer's code of a failure, 0 otherwise
    UserMessage message;  // empty when there is nothing to tell (saved, or cancelled)
    // Cancelled while the columns were composed: the grid is reset, and the caller empties the
    // condition list as the progress dialog's Cancel does.
    bool resultDiscarded = false;
};

// Writes the grid as `type` to `path`: into a temporary file in the same folder, put in place of
// any existing file only when complete. A loaded source is never written. A cancel leaves nothing
// behind. `existing` says what an existing file at `path` is: replaced once the new one is
// complete, or refused before anything is written.
enum class ExistingResultFile { Replace, Refuse };
SaveResult WriteResultFile(const QString& path, ResultFileType type,
                           ExistingResultFile existing = ExistingResultFile::Replace);

// The Save command: the row limit, the save dialog, the name (with the question before an
// existing file of the settled name is replaced), then WriteResultFile.
SaveResult ChooseAndWriteResultFile();

// The save dialog's file types: Excel first.
QStringList ResultFileFilters();
