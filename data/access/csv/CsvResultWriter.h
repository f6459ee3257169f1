#pragma once

#include <QFile>
#include <QIODevice>
#include <QLocale>
#include <QString>
#include <limits>
#include <memory>
#include <vector>

#include "data/access/AtomicFile.h"
#include "data/access/CellText.h"
#include "data/access/ResultNumbers.h"
#include "data/access/TableStatementWriter.h"
#include "data/access/Utf8RowWriter.h"

// A result written as a .csv file through CsvRowWriter: the column names in the first row,
// then one row per INSERT. Values are the grid's texts, which follow the user's locale; those of
// number columns that read as numbers there (see ResultNumberReader) are written with "." as
// the decimal separator and no group separators, and those of date columns that read as the
// locale's dates as ISO 8601 ("2024-03-10", "2024-03-10 14:30:00"), so that other programs read
// them back as numbers and dates whatever the locale. Anything else is written as it is.
//
// The rows go into a hidden temporary file beside the target as they arrive, which replaces the
// target only at close; as for a workbook, opening the connection first makes the target an
// empty file.
class CsvResultWriter final : public TableStatementWriter {
public:
    static constexpr qint64 kMaxRows = 1048576;  // the heading row included, as for .xlsx

    CsvResultWriter(const QString& path, const QLocale& locale, WriteDeviceFilter filter);
    ~CsvResultWriter() override;

    int create() override;
    int close() override;
    void abandon() override;

protected:
    int maxColumns() const override { return std::numeric_limits<int>::max(); }
    qint64 maxRows() const override { return kMaxRows - 1; }
    int defineTable(const QString& table, const std::vector<ColumnDefinition>& columns) override;
    int appendRow(const std::vector<QStringView>& values) override;

private:
    enum class ValueKind { Text, Number, Date, DateTime };
    // Closes the temporary file; false when something written did not reach it.
    bool closeFile();

    QString m_path;
    WriteDeviceFilter m_filter;
    ResultNumberReader m_numbers;
    CellTextFormat m_dates;
    std::vector<ValueKind> m_kinds;
    PendingFile m_file;
    QFile m_device;
    std::unique_ptr<QIODevice> m_wrapper;  // the test's filter around m_device, if any
    std::unique_ptr<CsvRowWriter> m_rows;
    bool m_created = false;
};

// A date or date-time as ISO 8601 from the text `format` writes for it in a cell: "2024-03-10",
// or with `withTime` (or when the text holds a time) "2024-03-10 14:30:00". Empty when the text
// is not such a date.
QString isoDateText(const CellTextFormat& format, const QString& cellText, bool withTime);
