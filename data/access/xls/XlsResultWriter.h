#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "data/access/AtomicFile.h"
#include "data/access/xls/BiffWorkbookWriter.h"
#include "data/access/ResultNumbers.h"
#include "data/access/TableStatementWriter.h"

// A result written as an .xls workbook: one sheet named after the table ("Result"), the column
// names in its first row and one row per INSERT below.
//
// Opening the connection creates the file as a valid, empty workbook (callers rely on the file
// existing from then on); it is never put over an existing file. The cells are kept in memory
// and written at close into a temporary file that then replaces the empty workbook in one step,
// so a workbook is never left half written: a close that fails leaves the empty workbook.
//
// Columns typed INTEGER or REAL hold a number where the value reads as one in the user's locale
// (see ResultNumberReader) and the text where it does not; other columns hold text. An empty
// value leaves its cell empty.
class XlsResultWriter final : public TableStatementWriter {
public:
    XlsResultWriter(const QString& path, const QLocale& locale, WriteDeviceFilter filter);

    int create() override;
    int close() override;
    void abandon() override;

protected:
    int maxColumns() const override { return BiffWorkbookWriter::kMaxColumns; }
    qint64 maxRows() const override { return BiffWorkbookWriter::kMaxRows - 1; }
    int defineTable(const QString& table, const std::vector<ColumnDefinition>& columns) override;
    int appendRow(const std::vector<QStringView>& values) override;

private:
    QString m_path;
    WriteDeviceFilter m_filter;
    std::unique_ptr<BiffWorkbookWriter> m_workbook;
    ResultNumberReader m_numbers;  // numbers as the user's locale writes them
    std::vector<bool> m_numberColumn;
    bool m_created = false;
};
