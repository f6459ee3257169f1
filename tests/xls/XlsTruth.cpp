#include "XlsTruth.h"

#include <QDateTime>
#include <QJsonArray>
#include <QLocale>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "data/access/CellText.h"
#include "data/access/NativeError.h"
#include "data/access/TableFileReader.h"

namespace {

constexpr int kShownRows = 5;  // a truth file lists rows 1 to 5 below its row 0

TruthSheet::Value valueAt(const QJsonArray& values, const QJsonArray& types, int column) {
    if (column >= values.size()) return {QStringLiteral("empty"), {}};
    return {types.at(column).toString(), values.at(column)};
}

}  // namespace

double truthNumber(const QJsonValue& value) {
    if (value.isDouble()) return value.toDouble();
    const QString text = value.toString();
    if (text == QLatin1String("NaN")) return std::nan("");
    if (text == QLatin1String("Infinity")) return INFINITY;
    if (text == QLatin1String("-Infinity")) return -INFINITY;
    return 0;
}

double truthDays(const QString& iso) {
    const QDateTime moment = QDateTime::fromString(iso, Qt::ISODateWithMs);
    return QDate(1899, 12, 30).daysTo(moment.date()) +
           moment.time().msecsSinceStartOfDay() / 86400000.0;
}

std::vector<TruthSheet> truthSheets(const QJsonObject& truth) {
    std::vector<TruthSheet> sheets;
    for (const QJsonValue& item : truth.value(QLatin1String("sheets")).toArray()) {
        const QJsonObject object = item.toObject();
        TruthSheet sheet;
        sheet.name = object.value(QLatin1String("name")).toString();
        const int peerRows = object.value(QLatin1String("nrows")).toInt();
        const int peerColumns = object.value(QLatin1String("ncols")).toInt();

        // Rows 0..5 as the peer saw them.
        std::vector<QJsonArray> values{object.value(QLatin1String("heading")).toArray()};
        std::vector<QJsonArray> types{object.value(QLatin1String("heading_types")).toArray()};
        for (const QJsonValue& row : object.value(QLatin1String("first_rows")).toArray()) {
            values.push_back(row.toArray());
        }
        for (const QJsonValue& row : object.value(QLatin1String("first_rows_types")).toArray()) {
            types.push_back(row.toArray());
        }

        // Which columns hold a value anywhere: row 0's types and the types below it.
        int first = peerColumns, last = -1;
        const QJsonArray below = object.value(QLatin1String("column_types")).toArray();
        for (int c = 0; c < peerColumns; ++c) {
            QStringList seen;
            for (const QJsonValue& type : below.at(c).toArray()) {
                if (type.toString() != QLatin1String("empty")) seen << type.toString();
            }
            sheet.columnTypes.push_back(seen);
            const bool inRow0 = types[0].at(c).toString() != QLatin1String("empty");
            if (inRow0 || !seen.isEmpty()) {
                first = std::min(first, c);
                last = std::max(last, c);
            }
        }
        if (last < 0) {
            sheets.push_back(sheet);
            continue;
        }
        sheet.firstColumn = first;
        sheet.columnCount = last - first + 1;

        for (int r = 0; r < static_cast<int>(values.size()) && sheet.firstRow < 0; ++r) {
            for (int c = first; c <= last; ++c) {
                if (types[r].at(c).toString() != QLatin1String("empty")) {
                    sheet.firstRow = r;
                    break;
                }
            }
        }
        if (sheet.firstRow < 0) {
            sheets.push_back(sheet);
            continue;
        }
        // The peer counts rows up to its last cell holding a value.
        sheet.rowCount = peerRows - 1 - sheet.firstRow;
        for (int c = first; c <= last; ++c) {
            sheet.heading.push_back(valueAt(values[sheet.firstRow], types[sheet.firstRow], c));
        }
        for (int r = sheet.firstRow + 1; r <= kShownRows && r < static_cast<int>(values.size());
             ++r) {
            std::vector<TruthSheet::Value> row;
            for (int c = first; c <= last; ++c) row.push_back(valueAt(values[r], types[r], c));
            sheet.rows.push_back(row);
        }
        sheets.push_back(sheet);
    }
    return sheets;
}

QString renderTruth(const TruthSheet::Value& value, FieldType columnType) {
    static const CellTextFormat format{QLocale::c()};
    const QString& type = value.type;
    if (type == QLatin1String("empty")) return {};
    if (type == QLatin1String("text") || type == QLatin1String("error")) {
        return value.value.toString();
    }
    if (type == QLatin1String("bool")) return CellTextFormat::booleanText(value.value.toBool());
    if (type == QLatin1String("number")) {
        // The heading row of a truth file holds texts; its numbers are written without ".0".
        bool plain = false;
        const double text = value.value.toString().toDouble(&plain);
        const double number = plain ? text : truthNumber(value.value);
        if (std::isnan(number)) return QStringLiteral("nan");
        return columnType == FieldType::Integer ? format.integerText(number)
                                                : format.floatText(number);
    }
    double days = truthDays(value.value.toString());
    const bool timeOnly =
        std::fmod(days, 1.0) != 0 && (days < 2 || days == 1462 + std::fmod(days, 1.0));
    if (timeOnly && columnType == FieldType::String) {
        return format.timeText(days - std::floor(days));
    }
    if (columnType == FieldType::Date) return format.dateText(days);
    if (std::fmod(days, 1.0) == 0 && columnType != FieldType::DateTime) {
        return format.dateText(days);
    }
    return format.dateTimeText(days);
}

QStringList expectedHeadings(const TruthSheet& sheet) {
    QStringList headings;
    for (int c = 0; c < sheet.columnCount; ++c) {
        QString text = renderTruth(sheet.heading[c], FieldType::String);
        if (text.isEmpty()) text = QStringLiteral("F%1").arg(c + 1);
        headings << text;
    }
    return headings;
}

QList<FieldType> allowedTypes(const QStringList& seen) {
    const QSet<QString> kinds(seen.begin(), seen.end());
    if (kinds.isEmpty() || kinds.size() > 1) return {FieldType::String};
    const QString kind = *kinds.begin();
    if (kind == QLatin1String("number")) {
        return {FieldType::Integer, FieldType::Float};
    }
    if (kind == QLatin1String("xldate")) {
        return {FieldType::Date, FieldType::DateTime, FieldType::String};
    }
    if (kind == QLatin1String("bool")) return {FieldType::Boolean};
    return {FieldType::String};
}

void compareWithTruth(TableFileReader& reader, const QJsonObject& truth) {
    for (const TruthSheet& sheet : truthSheets(truth)) {
        SheetTable table;
        QCOMPARE(reader.readTable(sheet.name, CellTextFormat(QLocale::c()), table),
                 NativeError::None);
        QCOMPARE(table.columnCount(), sheet.columnCount);
        // Nothing in rows 0..5 to place the range by, or a table refused as too wide.
        if (sheet.firstRow < 0 || table.isTooWide()) continue;
        QCOMPARE(table.rowCount, sheet.rowCount);
        QCOMPARE(QStringList(table.headings.begin(), table.headings.end()),
                 expectedHeadings(sheet));
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            for (int c = 0; c < sheet.columnCount; ++c) {
                const QString expected = renderTruth(sheet.rows[r][c], table.fieldTypes[c]);
                const QString text = table.text(static_cast<int>(r), c);
                QVERIFY2(text == expected,
                         qPrintable(QStringLiteral("%1 row %2 column %3: %4 (truth %5)")
                                        .arg(sheet.name)
                                        .arg(r + 1)
                                        .arg(c + 1)
                                        .arg(text, expected)));
            }
        }
        // The peer's column types cover its rows 1 and below, which are our records only
        // when the range starts at its row 0.
        if (sheet.firstRow != 0) continue;
        for (int c = 0; c < sheet.columnCount; ++c) {
            const QStringList& seen = sheet.columnTypes[sheet.firstColumn + c];
            QVERIFY2(allowedTypes(seen).contains(table.fieldTypes[c]),
                     qPrintable(QStringLiteral("%1 column %2: type %3 for %4")
                                    .arg(sheet.name)
                                    .arg(c + 1)
                                    .arg(fieldTypeCode(table.fieldTypes[c]))
                                    .arg(seen.join(QLatin1Char(',')))));
        }
    }
}
