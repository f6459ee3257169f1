#pragma once

#include <QString>

#include "data/FileSlots.h"

struct clFile;

// Path helpers. Paths are split at "/" and at "\", so paths written either way work.
QString FileExtension(const QString& path);  // after the last ".", lower case
QString FileNameOnly(const QString& path);   // after the last separator
QString FolderOf(const QString& path);       // up to and including the last separator
QString TableNameOf(const QString& path);    // file name, trimmed, without its last 4 characters

// What emptying a slot does to the main window. The main window installs itself; without it
// (in tests, in the command-line tool) nothing is shown.
class FileSlotView {
public:
    virtual ~FileSlotView() = default;
    virtual void clearFileField(FileSlot slot) = 0;  // fldFile1 or fldFile2
    virtual void DisableFileCommands(CommandGroup group) = 0;
};
void setFileSlotView(FileSlotView* view);  // not owned; nullptr removes it

// Empties a slot: the file field, the sheet list, the names, the contents, the connection.
void UnloadFile(clFile& slot);

struct clResult;
class DbDataSet;
class ProgressSink;

// Copies every row of an open data set into `contents`, column by column, as text: the data
// set's rows are rendered one at a time, a progress step each, and then taken over, so the sheet
// is held once. Returns false when the user cancelled (the copy is then incomplete and the
// caller discards it).
bool CopyRowsToContents(DbDataSet& dataSet, clResult& contents, ProgressSink* progress = nullptr);
