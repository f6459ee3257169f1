#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "data/FileSlots.h"
#include "data/UserMessage.h"
#include "data/access/CellText.h"

struct clFile;
struct clResult;
class DbDataSet;
class ProgressSink;

// The steps that turn a file name into a slot's loaded and checked contents. The window (through
// the open commands), quarix-cli and the benchmark load through LoadSourceFile; the smaller steps
// below it serve the diagnostic commands and the tests.

// How a source is read: a workbook with sheets to choose from, or a one-table file (a dBase table
// or a delimited text table).
enum class FileKind { Workbook = 0, Dbase = 1 };
// The reader a file's extension asks for (.xls, .xlsx, .xlsm, .ods, .dbf, .csv, .tsv or .txt, any
// letter case); nothing for a file of any other kind.
std::optional<FileKind> SourceKindOf(const QString& path);
// What the user is told of a file whose extension names no kind Quarix reads.
UserMessage UnknownKindMessage(const QString& path);

enum class SlotLoad { Loaded, Failed, Cancelled };

struct SlotLoadResult {
    SlotLoad status = SlotLoad::Failed;
    int nativeError = 0;         // the data access layer's code, when it failed
    QString cause;               // and the cause it gave (DbConnection::failureCause), if any
    UserMessage message;         // what the user is to be told; empty for a cancel
    bool file2Released = false;  // File 2 no longer matched the new File 1 and was emptied
    // The message is about the file as the user named it (it could not be opened or read, or
    // does not match File 1): the window tells it before it empties the file's field.
    bool tellBeforeRelease = false;
};

// What loading asks of the user on the way, and tells the caller. Any may be empty: the first
// sheet is then taken, and the types are not shown.
struct LoadQuestions {
    // Sets the slot's SheetName to one of its Sheets; false when the user declined.
    std::function<bool(FileSlot)> chooseSheet;
    // The sheet is chosen and is about to be read (the window starts afresh here).
    std::function<void(FileSlot)> sheetChosen;
    // Shows the loaded columns' types, before the checks.
    std::function<void(FileSlot)> showFieldTypes;
};

// Opens `path` into a slot and loads one sheet with every check the program applies: the file
// opens, it has a sheet, the sheet has rows, File 1's headings can name a result's columns, and
// File 2 has exactly File 1's columns (File 2 is emptied when a new File 1 no longer matches).
// File 1 opens in read mode, File 2 in read-write mode (a source is never written either way).
// The waiting window shows while the sheet is read, `progress` while it is copied. Anything but
// Loaded leaves the slot free, with the message the user is to see.
SlotLoadResult LoadSourceFile(FileSlot slot, const QString& path, FileKind kind,
                              const LoadQuestions& questions, ProgressSink* progress,
                              const CellTextFormat& format = CellTextFormat::system());

// The checks a loaded slot passes before it is kept (see LoadSourceFile): it has rows, File 1's
// headings, File 2's columns. The warning it would be refused with, or nothing.
UserMessage SourceRefusal(FileSlot slot);

// Connects a free slot to `path` and lists its sheets into slot.Sheets. The extension picks the
// reader: ".dbf", ".csv", ".tsv" or ".txt" a one-table file, anything else a workbook. A slot in
// use is emptied first; on failure the slot is left free.
SlotLoadResult OpenSlotFile(clFile& slot, const QString& path, bool readWrite,
                            const CellTextFormat& format = CellTextFormat::system());
// The same, with the reader named by the caller: a dBase table or a workbook.
SlotLoadResult OpenSlotFile(clFile& slot, const QString& path, bool readWrite,
                            const CellTextFormat& format, bool dbase);

// Reads `sheetName` of an open slot into its contents, a progress step a row. A cancel or a
// failure leaves the slot without contents (still open).
SlotLoadResult LoadSlotSheet(clFile& slot, const QString& sheetName, ProgressSink* progress);

// Reads the chosen sheet (SheetName) of an open slot, with the waiting window while the sheet is
// read and `progress` while it is copied.
SlotLoadResult LoadSheet(clFile& slot, ProgressSink* progress);

// Both steps without the checks: the path's sheet `sheetName` (its first sheet when empty) into a
// free slot, as the diagnostic commands show a file.
SlotLoadResult LoadSlotFromFile(clFile& slot, const QString& path, const QString& sheetName,
                                bool readWrite, ProgressSink* progress,
                                const CellTextFormat& format = CellTextFormat::system());

// Lists the sheets (tables) of the slot's connection into its Sheets, in the file's order, and
// opens the connection. False when the data access layer refuses: its native error tells why.
bool ReadSheetNames(clFile& slot);

// Copies every row of an open data set into `contents`, column by column, as text: the data
// set's rows are rendered one at a time, a progress step each, and then taken over, so the sheet
// is held once. Returns false when the user cancelled (the copy is then incomplete and the
// caller discards it).
bool CopyRowsToContents(DbDataSet& dataSet, clResult& contents, ProgressSink* progress = nullptr);
