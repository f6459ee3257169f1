#include "data/access/DbDataSet.h"

#include <QSet>
#include <algorithm>

#include "data/access/DbConnection.h"
#include "data/access/NativeError.h"

bool DbDataSet::tableNameOfQuery(const QString& query, QString& name) {
    static const QString head = QStringLiteral("SELECT * FROM \"");
    if (!query.startsWith(head) || !query.endsWith(QLatin1Char('"')) ||
        query.size() < head.size() + 2) {
        return false;
    }
    name = query.mid(head.size(), query.size() - head.size() - 1);
    return true;
}

bool DbDataSet::open() {
    close();
    QString name;
    if (!tableNameOfQuery(m_query, name)) {
        m_connection->reportFailure(NativeError::UnsupportedStatement, {});
        return false;
    }
    SheetTable table;
    if (!m_connection->readTable(name, table)) return false;

    // Headings become column names: more than the widest table or a name twice is refused,
    // the cause told as exactly as it is known.
    QString refused;
    if (table.isTooWide()) {
        refused = QStringLiteral("%1 columns, more than %2")
                      .arg(std::max<std::int64_t>(table.columnCount(), table.columnsInFile))
                      .arg(kMaxColumns);
    }
    QSet<QString> seen;
    for (const QString& heading : table.headings) {
        if (!refused.isEmpty()) break;
        if (seen.contains(heading)) {
            refused = QStringLiteral("Two columns are headed \"%1\"").arg(heading);
        }
        seen.insert(heading);
    }
    if (!refused.isEmpty()) {
        m_connection->reportFailure(NativeError::TooManyOrDuplicatedFields, refused);
        return false;
    }
    m_table = std::move(table);
    m_row = 0;
    m_open = true;
    return true;
}

void DbDataSet::close() {
    m_table = SheetTable();
    m_row = 0;
    m_open = false;
}

QString DbDataSet::fieldName(std::int32_t field) const {
    if (!m_open || field < 0 || field >= m_table.columnCount()) return {};
    return m_table.headings[static_cast<std::size_t>(field)];
}

FieldType DbDataSet::fieldType(std::int32_t field) const {
    if (!m_open || field < 0 || field >= m_table.columnCount()) return FieldType::String;
    return m_table.fieldTypes[static_cast<std::size_t>(field)];
}

QString DbDataSet::editText(std::int32_t field) {
    if (!m_open || atEnd() || field < 0 || field >= m_table.columnCount()) return {};
    return m_table.text(m_row, field);
}
