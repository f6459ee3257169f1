#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <vector>

#include "data/access/FieldType.h"

class TableFileReader;

// What a truth file (written by a peer reader, which starts every sheet at cell A1) says about
// one sheet, moved onto our table, which starts at the first row and column holding a value.
struct TruthSheet {
    struct Value {
        QString type;  // empty, text, number, xldate, bool, error
        QJsonValue value;
    };

    QString name;
    int firstRow = -1;  // of the used range in the peer's rows; -1 when rows 0..5 are empty
    int firstColumn = 0;
    int columnCount = 0;                   // of the used range
    int rowCount = 0;                      // records below the heading row
    std::vector<Value> heading;            // the used range's columns
    std::vector<std::vector<Value>> rows;  // the records the truth file shows
    std::vector<QStringList> columnTypes;  // the peer's cell types below its row 0, no "empty"
};

// Reads the sheets of a truth file.
std::vector<TruthSheet> truthSheets(const QJsonObject& truth);

// The days since 1899-12-30 of an ISO date-time of the truth file.
double truthDays(const QString& iso);

// A number of a truth file: a JSON number, or "NaN", "Infinity", "-Infinity".
double truthNumber(const QJsonValue& value);

// The edit text design.md gives a truth value in a column of type `columnType`.
QString renderTruth(const TruthSheet::Value& value, FieldType columnType);
// The headings a sheet's table gets: its first row's texts, "F" + number where empty.
QStringList expectedHeadings(const TruthSheet& sheet);
// The codes a column may get from the cell types the peer saw in it (times alone make text).
QList<FieldType> allowedTypes(const QStringList& seen);

// Reads every sheet the truth file names and compares the table with it: size, headings, the
// records it shows, and the column types. Failures are reported through QTest.
void compareWithTruth(TableFileReader& reader, const QJsonObject& truth);
