#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QIODevice>
#include <functional>
#include <vector>

#include "data/access/dbf/DbfText.h"

// One field of a dBase table to write: 'C' (character) or 'N' (numeric).
struct DbfFieldLayout {
    QByteArray name;  // at most 10 bytes
    char type = 'C';
    int width = 1;
    int decimals = 0;
};

// The bytes of one field of one record: for a 'C' field the encoded text, at most the width;
// for an 'N' field the number right-aligned to exactly the width, or blanks for no value. The
// bytes need to last only until the next call. Records are asked for in order, each one's
// fields from the first to the last.
using DbfCellSource = std::function<QByteArrayView(qint64 record, int field)>;

// Writes a table through shapelib into `device` (the temporary file the caller puts in place
// once it is complete). The language-driver byte names cp1252 for that encoding; for UTF-8 the
// contents of the .cpg file that names it come back in `codePage` (empty for cp1252). Every
// value is checked against its field's width and every write's result is checked, because
// shapelib cuts a value that does not fit its field, saying so at best in its return value.
// Returns a native error code.
int writeDbfTable(QIODevice& device, DbfEncoding encoding,
                  const std::vector<DbfFieldLayout>& fields, qint64 records,
                  const DbfCellSource& cell, const QDate& lastUpdate, QByteArray& codePage);
