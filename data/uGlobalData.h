#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"

// The in-memory picture of the two source files. A loaded sheet is held column by column, every
// cell as text. Rows and columns count from 0 here. Records own what they hold (by value or
// unique_ptr); lists are vectors of records, so a cell costs its text and nothing more.

// One text value: a cell, a sheet name, a path of a recent-file list, a cell of a Totals group.
struct clValues {
    QString Value;
};

// One column of a loaded sheet.
struct clField {
    QString Name;
    std::int32_t RecordCount = 0;
    std::uint8_t DataType = 0;  // field-type code (FieldType)
    std::vector<clValues> Values;
};

// The loaded contents of one sheet. The data set stays open while the slot is loaded.
struct clResult {
    std::unique_ptr<DbDataSet> DataSet;
    std::int32_t FieldCount = 0;
    std::vector<clField> Fields;
};

// One group produced by the Totals function.
struct clTotal {
    std::int32_t KeyRow = 0;
    QString Total;
    QString Key;
    std::int32_t Count = 0;
    std::vector<clValues> Values;
};

// One source-file slot: free (no connection), open (connection and sheet names) or loaded.
struct clFile {
    QString FileName;
    QString FilePath;
    std::vector<clValues> Sheets;
    std::unique_ptr<DbConnection> Connection;
    QString SheetName;  // kept on unload; overwritten by the next choice
    std::unique_ptr<clResult> Contents;

    bool isInUse() const { return Connection != nullptr; }
    bool isLoaded() const { return Contents != nullptr; }
};

extern clFile File1;
extern clFile File2;
extern std::vector<clValues> File1History;  // oldest first, no duplicates (case-sensitive)
extern std::vector<clValues> File2History;
extern bool SheetChosen;
extern bool ShowLoadedData;

// Appends `path` to a recent-file list unless an entry has exactly this path.
void AddToHistory(std::vector<clValues>& history, const QString& path);
