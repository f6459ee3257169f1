#pragma once

#include <QHash>
#include <QStringList>
#include <vector>

#include "data/access/ResultFileWriter.h"
#include "data/access/StatementParser.h"

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
    // The views last only for the call.
    virtual int appendRow(const std::vector<QStringView>& values) = 0;

private:
    int createTable(const ParsedStatement& statement);
    int insert(const QString& table, const QStringList& columns,
               const std::vector<QStringView>& values);
    // A row in the table's column order, counted when the writer takes it.
    int appendCountedRow(const std::vector<QStringView>& row);

    QString m_table;
    std::vector<ColumnDefinition> m_columns;
    QHash<QString, qsizetype> m_indexOf;  // column name -> index
    // The text before the values of the last INSERT read, as the program composes it, and that
    // statement: the next INSERT with the same head has only its values read.
    QString m_insertHead;
    ParsedStatement m_lastInsert;
    bool m_insertInTableOrder = false;
    std::vector<QStringView> m_values;  // the values of the INSERT being applied
    QString m_unquoted;                 // those of them that held doubled quotes
    std::vector<QStringView> m_row;     // the same in the table's column order
    bool m_hasTable = false;
    qint64 m_rows = 0;
};
