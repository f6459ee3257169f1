#pragma once

#include <QString>
#include <cstdint>

#include "data/access/SheetTable.h"

class DbConnection;

// The rows of one query, SELECT * FROM "name", read through a connection. The connection must
// outlive the data set (a file slot releases its contents before its connection).
class DbDataSet {
public:
    explicit DbDataSet(DbConnection& connection) : m_connection(&connection) {}

    void setQuery(const QString& query) { m_query = query; }
    // Runs the query. On failure the connection's nativeError() tells why.
    bool open();
    bool isOpen() const { return m_open; }
    void close();

    std::int32_t recordCount() const { return m_open ? m_table.rowCount : 0; }
    std::int32_t fieldCount() const { return m_open ? m_table.columnCount() : 0; }
    QString fieldName(std::int32_t field) const;
    FieldType fieldType(std::int32_t field) const;

    // The edit text of a field in the current row; empty past the last row.
    QString editText(std::int32_t field);
    void next() { ++m_row; }
    bool atEnd() const { return m_row >= m_table.rowCount; }

    // The rows themselves, for the copy into a slot's contents, which renders them and takes
    // them over; the data set stays open with its field names and types, and no rows.
    SheetTable& table() { return m_table; }

    // The table name in a query of the form SELECT * FROM "name"; false for any other query.
    static bool tableNameOfQuery(const QString& query, QString& name);

private:
    DbConnection* m_connection;
    QString m_query;
    SheetTable m_table;
    std::int32_t m_row = 0;
    bool m_open = false;
};
