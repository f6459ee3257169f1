#include "data/access/TableStatementWriter.h"

#include <QSet>

#include "data/access/NativeError.h"

int TableStatementWriter::execute(const QString& statement) {
    // A save sends one INSERT a row that differ only in their values.
    if (!m_insertHead.isEmpty() && statement.startsWith(m_insertHead) &&
        parseValueList(QStringView(statement).mid(m_insertHead.size()), m_values, m_unquoted) &&
        qsizetype(m_values.size()) == m_lastInsert.insertColumns.size()) {
        // The columns named in the table's own order: the values are the row.
        return m_insertInTableOrder
                   ? appendCountedRow(m_values)
                   : insert(m_lastInsert.table, m_lastInsert.insertColumns, m_values);
    }
    const ParsedStatement parsed = parseStatement(statement);
    if (parsed.kind == ParsedStatement::Kind::Insert) {
        const QString head = QStringLiteral("INSERT INTO ") + parsed.table + QStringLiteral(" ([") +
                             parsed.insertColumns.join(QStringLiteral("],[")) +
                             QStringLiteral("]) VALUES ");
        if (statement.startsWith(head) && m_hasTable &&
            parsed.table.compare(m_table, Qt::CaseInsensitive) == 0) {
            m_insertHead = head;
            m_lastInsert = parsed;
            m_insertInTableOrder = qsizetype(m_columns.size()) == parsed.insertColumns.size();
            for (std::size_t i = 0; m_insertInTableOrder && i < m_columns.size(); ++i) {
                m_insertInTableOrder = m_columns[i].name == parsed.insertColumns[qsizetype(i)];
            }
        }
    }
    switch (parsed.kind) {
        case ParsedStatement::Kind::CreateTable:
            return createTable(parsed);
        case ParsedStatement::Kind::Insert:
            m_values.assign(parsed.values.cbegin(), parsed.values.cend());
            return insert(parsed.table, parsed.insertColumns, m_values);
        case ParsedStatement::Kind::Invalid:
            break;
    }
    return NativeError::UnsupportedStatement;
}

int TableStatementWriter::createTable(const ParsedStatement& statement) {
    // One table a file: a second CREATE TABLE would have nowhere to go.
    if (m_hasTable) return NativeError::StatementDoesNotFitTable;
    if (static_cast<qint64>(statement.columns.size()) > maxColumns())
        return NativeError::TooManyColumns;
    QSet<QString> seen;
    for (const ColumnDefinition& column : statement.columns) {
        if (column.name.isEmpty()) return NativeError::NameNotUsable;
        // Names are compared as the program compares headings: exactly.
        if (seen.contains(column.name)) return NativeError::StatementDoesNotFitTable;
        seen.insert(column.name);
    }
    const int code = defineTable(statement.table, statement.columns);
    if (code != NativeError::None) return code;
    m_table = statement.table;
    m_columns = statement.columns;
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        m_indexOf.insert(m_columns[i].name, static_cast<qsizetype>(i));
    m_hasTable = true;
    return NativeError::None;
}

int TableStatementWriter::insert(const QString& table, const QStringList& columns,
                                 const std::vector<QStringView>& values) {
    if (!m_hasTable || table.compare(m_table, Qt::CaseInsensitive) != 0)
        return NativeError::TableNotFound;
    if (m_rows >= maxRows()) return NativeError::TooManyRows;
    m_row.assign(m_columns.size(), QStringView());
    std::vector<bool> named(m_columns.size(), false);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const auto found = m_indexOf.constFind(columns[i]);
        if (found == m_indexOf.constEnd()) return NativeError::StatementDoesNotFitTable;
        const auto column = static_cast<std::size_t>(found.value());
        if (named[column]) return NativeError::StatementDoesNotFitTable;
        named[column] = true;
        m_row[column] = values[std::size_t(i)];
    }
    return appendCountedRow(m_row);
}

int TableStatementWriter::appendCountedRow(const std::vector<QStringView>& row) {
    if (m_rows >= maxRows()) return NativeError::TooManyRows;
    const int code = appendRow(row);
    if (code == NativeError::None) ++m_rows;
    return code;
}
