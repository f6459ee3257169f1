#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The two statements a result file is filled with, as the data access layer reads them:
//
//   CREATE TABLE name([column] TYPE,[column] TYPE,...)
//   INSERT INTO name ([column],[column],...) VALUES ('value','value',...)
//
// A column name stands in square brackets and may hold any character but "[" and "]". TYPE is
// TEXT, INTEGER, REAL, DATE or DATETIME, or nothing (a writer that keeps no dates takes DATE and
// DATETIME columns as text). A value stands in single quotes; two single quotes inside it
// stand for one. Keywords are matched without regard to case, and blanks may stand between the
// parts. The table name is whatever stands between the keywords and the column list (a dBase
// table is named after its file, so it may hold blanks, brackets or parentheses); the lists are
// therefore read from the end of the statement backwards.

enum class ColumnType { Untyped, Text, Integer, Real, Date, DateTime };

struct ColumnDefinition {
    QString name;
    ColumnType type = ColumnType::Untyped;
};

struct ParsedStatement {
    enum class Kind { Invalid, CreateTable, Insert };
    Kind kind = Kind::Invalid;
    QString table;
    std::vector<ColumnDefinition> columns;  // CREATE TABLE, in the statement's order
    QStringList insertColumns;              // INSERT INTO, in the statement's order
    QStringList values;                     // INSERT INTO, one for each insert column
};

// Reads one statement. Anything that is not one of the two forms above comes back as Invalid.
ParsedStatement parseStatement(const QString& text);

// The value list of an INSERT, "('a','it''s', '')", read into `values`; false when it is not a
// list of quoted values (blanks allowed around them) closing the statement. The values are views
// of `text`, or of `unquoted` for those that held doubled quotes: no copy for the others.
bool parseValueList(QStringView text, std::vector<QStringView>& values, QString& unquoted);
