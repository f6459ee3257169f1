#pragma once

#include <QString>

// Path rules the data access layer shares with the units above it. Paths are split at "/" and
// at "\", so paths written either way work.
namespace PathNames {

// The file name: the text after the last separator; the whole path when it has none.
QString fileName(const QString& path);
// The folder: the text up to and including the last separator; empty when there is none.
QString folder(const QString& path);
// The name of the one table a dBase file holds: the file name, trimmed, without its last four
// characters (Result.dbf gives Result).
QString tableName(const QString& path);

}  // namespace PathNames
