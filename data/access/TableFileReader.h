#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "data/access/CellText.h"
#include "data/access/SheetTable.h"

// A reader of one kind of source file. The connection opens the file through it, lists its
// tables and has one table read in full. Every function returns NativeError::None (0) or a
// native error code; after a failure the reader is left as if never opened.
class TableFileReader {
public:
    virtual ~TableFileReader() = default;

    // Reads the file's table directory from a path.
    virtual int open(const QString& path) = 0;
    // The table names in the file's own order.
    virtual QStringList tableNames() const = 0;
    // Reads every cell of the named table, for texts in `format`. What the reader kept of the
    // file for this (a workbook's stream) is released afterwards; another table read later is
    // read from the file again.
    virtual int readTable(const QString& name, const CellTextFormat& format, SheetTable& out) = 0;
    // The rows a sheet of this format holds, its heading row included.
    virtual std::int32_t maxSheetRows() const { return 65536; }
    // Why the last open or read failed, in words for the user; empty when the code says it all.
    virtual QString failureCause() const { return {}; }
};

// The .xls workbook reader (BIFF2 to BIFF8). It also reads from memory, for tests and fuzzing.
class WorkbookFileReader : public TableFileReader {
public:
    virtual int openBuffer(const QByteArray& bytes) = 0;
};
std::unique_ptr<WorkbookFileReader> createWorkbookReader();
