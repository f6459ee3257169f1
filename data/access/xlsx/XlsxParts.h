#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "data/access/TextList.h"
#include "data/access/ZipPackage.h"

// The workbook-wide parts an .xlsx sheet refers to: the shared texts and the cell formats.
namespace XlsxParts {

// The shared texts in order; a text of rich-text runs is the runs joined, phonetic guides left
// out. A missing part gives no texts.
int readSharedStrings(const ZipPackage& package, const QString& partName, qint64& budget,
                      TextList& out);

// For each cell format (the `s` of a cell), whether it shows numbers as dates or times. A
// missing part leaves every number a number.
int readDateStyles(const ZipPackage& package, const QString& partName, qint64& budget,
                   std::vector<bool>& out);

// Cell texts may carry characters XML cannot hold as _xHHHH_; this writes them as they are.
void decodeEscapes(QString& text);

}  // namespace XlsxParts
