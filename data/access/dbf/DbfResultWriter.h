#pragma once

#include <QString>
#include <limits>
#include <optional>
#include <vector>

#include "data/access/AtomicFile.h"
#include "data/access/ChunkedBytes.h"
#include "data/access/dbf/DbfTableWriter.h"
#include "data/access/dbf/DbfText.h"
#include "data/access/ResultNumbers.h"
#include "data/access/TableStatementWriter.h"

// A result written as a dBase table, through shapelib. The connection names only the folder;
// CREATE TABLE names the table, whose file is the folder + the table name + ".dbf".
//
// The values are kept in memory, as UTF-8 (and as numbers where a number column reads them so),
// and the table is written at close, complete or not at all, never over an existing file: field
// widths and the code page depend on every value. Until then nothing is on the disk, so a
// refused CREATE TABLE leaves no file. Each column's width is worked out as its values arrive.
//
// - Field names: see DbfFieldNames. A column whose name keeps nothing usable is refused at
//   CREATE TABLE (NameNotUsable), so that the program can tell the user which rule was broken.
// - TEXT and untyped columns are character fields as wide as their longest value. A value
//   longer than a field can hold (254 bytes in the table's code page) is refused at its INSERT,
//   never cut.
// - INTEGER and REAL columns are numeric fields wide enough for every value, with as many
//   decimals as the most precise value needs, written with "." whatever the locale. Values are
//   read as numbers in the user's locale (see ResultNumberReader); an empty value is left
//   blank. A numeric field cannot hold text, so a column where some value is not a number (or
//   whose numbers need more than 254 characters) is written as a character field holding every
//   value as it was given, rather than losing that value.
// - Texts are cp1252, with its language-driver byte, when every name and value fits it;
//   otherwise UTF-8, named by a .cpg file beside the table. The .cpg file belongs to the table:
//   an old one of the same name is replaced, or removed for a cp1252 table, since readers would
//   otherwise decode the new table with it.
class DbfResultWriter final : public TableStatementWriter {
public:
    static constexpr int kMaxFieldWidth = 254;
    static constexpr int kMaxFields = 255;

    DbfResultWriter(const QString& folder, const QLocale& locale, WriteDeviceFilter filter);

    int create() override;
    int close() override;
    // Nothing of the table is on the disk before close(): there is nothing to remove.
    void abandon() override {}

protected:
    int maxColumns() const override { return kMaxFields; }
    qint64 maxRows() const override { return std::numeric_limits<std::int32_t>::max(); }
    int defineTable(const QString& table, const std::vector<ColumnDefinition>& columns) override;
    int appendRow(const std::vector<QStringView>& values) override;

private:
    // What the values of one column need so far.
    struct ColumnPlan {
        bool numeric = false;  // declared a number, and every value so far a number that fits
        int integerDigits = 1;
        int decimals = 0;
        qsizetype widestCp1252 = 1;  // characters of the longest value
        qsizetype widestUtf8 = 1;    // its bytes in UTF-8
    };
    int writeTable(QIODevice& device, QByteArray& codePage) const;
    int commitCodePage(const QByteArray& codePage) const;

    QString m_folder;
    WriteDeviceFilter m_filter;
    QString m_tablePath;           // folder + table + ".dbf"
    ResultNumberReader m_numbers;  // numbers as the user's locale writes them
    bool m_needsUtf8 = false;      // some name or value does not fit cp1252
    qsizetype m_longestUtf8 = 0;   // bytes of the longest value, in UTF-8
    std::vector<ColumnPlan> m_plans;
    // Every value, row after row: a 16-bit header (the UTF-8 length, with kHasNumber set when a
    // double follows), the UTF-8 bytes, then for a value of a numeric column its number.
    ChunkedBytes m_values;
    std::vector<qsizetype> m_rowUtf8;  // the UTF-8 length of each value of the row being added
};
