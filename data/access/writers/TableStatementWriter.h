#pragma once

#include <QHash>
#include <QStringList>
#include <vector>

#include "data/access/ResultFileWriter.h"
#include "data/access/writers/StatementParser.h"

// What both result writers share: a result file holds one table, made by one CREATE TABLE and
// filled by INSERT INTO statements that name its columns. This class reads the statements and
// checks them against the table; the writer for a file format decides what its format can hold
// and keeps the rows. A refused statement leaves the table as it was.
class TableStatementWriter : public ResultFileWriter {
public:
    int execute(const QString& statement) final;

protected:
    const QString& tableName() const { return m_table; }
    const std::vector<ColumnDefinition>& columns() const { return m_columns; }
    bool hasTable() const { return m_hasTable; }
    qint64 rowCount() const { return m_rows; }

    virtual int maxColumns() const = 0;
    virtual qint64 maxRows() const = 0;
    // Accepts or refuses the table (its name and its column names).
    virtual int defineTable(const QString& table, const std::vector<ColumnDefinition>& columns) = 0;
    // One value a column, in the table's column order; a column the INSERT did not name is empty.
    virtual int appendRow(const QStringList& values) = 0;

private:
    int createTable(const ParsedStatement& statement);
    int insert(const ParsedStatement& statement);
    // A row in the table's column order, counted when the writer takes it.
    int appendCountedRow(const QStringList& row);

    QString m_table;
    std::vector<ColumnDefinition> m_columns;
    QHash<QString, qsizetype> m_indexOf;  // column name -> index
    // The text before the values of the last INSERT read, as the program composes it, and that
    // statement: the next INSERT with the same head has only its values read.
    QString m_insertHead;
    ParsedStatement m_lastInsert;
    bool m_insertInTableOrder = false;
    bool m_hasTable = false;
    qint64 m_rows = 0;
};
