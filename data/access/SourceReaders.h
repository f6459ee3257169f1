#pragma once

#include <QString>
#include <memory>

#include "data/access/TableFileReader.h"

// The reader for a source file, chosen by what the file holds rather than by its name: a zip
// package is an OpenDocument spreadsheet or an Office Open XML workbook, a compound file an
// .xls workbook (or an encrypted package, which that reader reports); anything else is read
// as a workbook, or as a one-table source the connection names: a delimited text table
// (.csv, .tsv, .txt) or a dBase table.
std::unique_ptr<TableFileReader> createSourceReader(const QString& path, bool workbook);
