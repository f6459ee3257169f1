#pragma once

#include <QByteArray>
#include <QDate>
#include <functional>
#include <vector>

#include "data/access/writers/DbfText.h"

// One field of a dBase table to write: 'C' (character) or 'N' (numeric).
struct DbfFieldLayout {
    QByteArray name;  // at most 10 bytes
    char type = 'C';
    int width = 1;
    int decimals = 0;
};

// The files of a dBase table: the table and, for UTF-8 texts, its .cpg file (empty otherwise).
struct DbfFiles {
    QByteArray table;
    QByteArray codePage;
};

// The bytes of one field of one record: for a 'C' field the encoded text, at most the width;
// for an 'N' field the number right-aligned to exactly the width, or blanks for no value.
using DbfCellSource = std::function<QByteArray(qint64 record, int field)>;

// Writes a table through shapelib into memory: shapelib's file access is pointed at buffers, so
// nothing reaches the disk here and the caller can put the result in place in one step. The
// language-driver byte names cp1252 for that encoding; for UTF-8 the .cpg file names it. Every
// value is checked against its field's width and every write's result is checked, because
// shapelib cuts a value that does not fit its field, saying so at best in its return value.
// Returns a native error code.
int writeDbfTable(DbfEncoding encoding, const std::vector<DbfFieldLayout>& fields, qint64 records,
                  const DbfCellSource& cell, const QDate& lastUpdate, DbfFiles& out);
