#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "data/access/FieldType.h"

// The statements that fill a result file, composed exactly as the Save command sends them to
// the data access layer: one CREATE TABLE, then one INSERT INTO a row.

// Excel is the .xls workbook, ExcelWorkbook the .xlsx one, Csv a comma-separated text file.
enum class ResultFileType { Excel, Dbase, ExcelWorkbook, Csv };

// The type word of a column in CREATE TABLE, by field type; the blanks are part of it:
// " TEXT " for codes 1, 5, 9, 11 and 16, " INTEGER " for 3, " REAL " for 6, nothing otherwise.
QString ColumnTypeWord(FieldType type);
// The same for a file of `fileType`: a .csv file, which writes dates in a form of its own, has
// " DATE " for code 9 and " DATETIME " for 11.
QString ColumnTypeWord(FieldType type, ResultFileType fileType);

// "Result" for a workbook; for a dBase table, the file's name without folder and extension.
QString ResultTableName(const QString& fileName, ResultFileType type);

// A column name in brackets. A dBase column has every blank replaced by "_".
QString ResultColumnName(const QString& name, ResultFileType type);

// "CREATE TABLE " + table + "(" + definitions joined with "," + ")". A definition is a bracketed
// name followed by its type word.
QString composeCreateTable(const QString& tableName, const QStringList& definitions);

// One value as the INSERT carries it: the cell's text in single quotes, a quote inside doubled
// (O'Brien stays O'Brien in the file); an empty cell is an empty value.
QString ResultValue(const QString& cellText);
// The same, appended to a statement being composed.
void AppendResultValue(QString& statement, const QString& cellText);

// "INSERT INTO " + table + " (" + names + ") VALUES (" + values + ")", each list joined with
// ","; `values` are already quoted by ResultValue.
QString composeInsert(const QString& tableName, const QStringList& insertNames,
                      const QStringList& values);
// The same up to the values' opening "(": a save composes it once for all its rows.
QString composeInsertHead(const QString& tableName, const QStringList& insertNames);
