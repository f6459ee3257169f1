#pragma once

#include <QString>

struct clResult;

// The checks a loaded sheet passes before it is kept: File 1's headings must be usable as the
// column names of a result file, and File 2 must have exactly File 1's columns.

// The characters a File 1 heading must not hold. The message names nine of them; "[" and "]"
// are refused as well, since a result's column names are written inside brackets.
inline const QString RefusedHeadingCharacters = QStringLiteral("[]\\\"/:*?<>|");

// Whether a heading of `contents` holds one of the refused characters.
bool HasRefusedHeading(const clResult& contents);
// What the user is told then.
QString FieldNameMessage();

enum class ColumnMismatch { None, Count, Headings, Types };

// How File 2's columns differ from File 1's: their number, then, position by position, the
// heading (exact, letter case counts) and the field type (integer and float differ).
ColumnMismatch CompareColumns(const clResult& file1, const clResult& file2);
// What the user is told when File 2 is refused; empty for ColumnMismatch::None.
QString ColumnMismatchMessage(ColumnMismatch mismatch);
