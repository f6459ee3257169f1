#include "XlsTruth.h"

#include <QDateTime>
#include <QJsonArray>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kShownRows = 5;  // a truth file lists rows 1 to 5 below its row 0

TruthSheet::Value valueAt(const QJsonArray& values, const QJsonArray& types, int column) {
    if (column >= values.size()) return {QStringLiteral("empty"), {}};
    return {types.at(column).toString(), values.at(column)};
}

double numberOf(const QJsonValue& value) {
    if (value.isDouble()) return value.toDouble();
    const QString text = value.toString();
    if (text == QLatin1String("NaN")) return std::nan("");
    if (text == QLatin1String("Infinity")) return INFINITY;
    if (text == QLatin1String("-Infinity")) return -INFINITY;
    return 0;
}

}  // namespace

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

QString compareCell(const Cell& cell, const SheetTable& table, const TruthSheet::Value& truth) {
    auto mismatch = [&](const QString& what) {
        return QStringLiteral("%1 (truth %2 %3)")
            .arg(what, truth.type, truth.value.toVariant().toString());
    };
    const QString& type = truth.type;
    if (type == QLatin1String("empty")) {
        return cell.kind == CellKind::Empty ? QString() : mismatch(QStringLiteral("not empty"));
    }
    if (type == QLatin1String("text") || type == QLatin1String("error")) {
        // A formula whose cached result is the empty text shows nothing: we hold it as an
        // empty cell, so that it neither widens the table nor makes its column a text column;
        // the peer holds an empty text.
        if (cell.kind == CellKind::Empty && truth.value.toString().isEmpty()) return {};
        const CellKind kind = type == QLatin1String("text") ? CellKind::Text : CellKind::Error;
        if (cell.kind != kind) return mismatch(QStringLiteral("kind %1").arg(int(cell.kind)));
        const QString& text = table.texts.at(cell.text);
        return text == truth.value.toString() ? QString()
                                              : mismatch(QStringLiteral("text ") + text);
    }
    if (type == QLatin1String("bool")) {
        if (cell.kind != CellKind::Boolean) return mismatch(QStringLiteral("not a boolean"));
        return (cell.number != 0) == truth.value.toBool() ? QString()
                                                          : mismatch(QStringLiteral("value"));
    }
    if (type == QLatin1String("number")) {
        if (cell.kind != CellKind::Number) return mismatch(QStringLiteral("not a number"));
        const double expected = numberOf(truth.value);
        const bool same =
            cell.number == expected || (std::isnan(cell.number) && std::isnan(expected));
        return same ? QString() : mismatch(QString::number(cell.number, 'g', 17));
    }
    if (type == QLatin1String("xldate")) {
        if (cell.kind != CellKind::Date) return mismatch(QStringLiteral("not a date"));
        double expected = truthDays(truth.value.toString());
        // A time of day alone: the peer puts it on a day of its own choosing; we keep no day.
        if (cell.number < 1) expected -= std::floor(expected);
        return std::abs(cell.number - expected) < 0.5 / 86400
                   ? QString()
                   : mismatch(QString::number(cell.number, 'g', 17));
    }
    return mismatch(QStringLiteral("unknown truth type"));
}
