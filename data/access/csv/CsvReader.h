#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <memory>

#include "data/access/TableFileReader.h"

// How a delimited text file was read, or is to be read.
struct CsvSettings {
    QChar delimiter;      // null: found from the content
    QByteArray encoding;  // empty: found from the content
    bool decimalComma = false;
};

// Settings a caller (quarix-cli) imposes on the text tables it opens next, until changed; the
// window leaves them empty so that everything is found from the content.
void setCsvOverrides(const CsvSettings& overrides);
// What the last text table opened was read as.
CsvSettings lastCsvSettings();

// Whether a path names a delimited text table: .csv, .tsv or .txt in any letter case.
bool isCsvPath(const QString& path);

// Reads a delimited text file (.csv, .tsv, .txt) as one table named after the file; its first
// row holds the headings.
//
// Rows: quoted fields may hold delimiters, doubled quotes and line breaks; blank lines are
// skipped (a line holding only "" is a row with one empty cell). A row with fewer fields than
// the headings has empty cells at its end; a row with more gets extra columns, named like any
// column without a heading ("F" + its number), so that no field is dropped.
//
// Types: a column whose every non-empty cell is a number (one decimal separator for the whole
// file, never a thousands separator; no leading zero or "+") is a number column, integer or
// floating as in a workbook; one of ISO dates (2024-03-10, with or without a time) a date or
// date-time column; anything else text. Numbers and dates are kept as values, so their texts
// come out as a workbook's do.
class CsvReader final : public TableFileReader {
public:
    CsvReader();
    ~CsvReader() override;

    int open(const QString& path) override;
    QStringList tableNames() const override;
    int readTable(const QString& name, const CellTextFormat& format, SheetTable& out) override;
    std::int32_t maxSheetRows() const override { return 1048576; }
    QString failureCause() const override { return m_cause; }

    CsvSettings settings() const { return m_settings; }

private:
    struct Parsed;
    int fail(int code, const QString& cause);

    QString m_path;
    QString m_tableName;
    QString m_cause;
    CsvSettings m_settings;
    std::unique_ptr<Parsed> m_parsed;  // what open() found, until the table is read
};
