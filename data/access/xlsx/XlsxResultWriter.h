#pragma once

#include <QLocale>
#include <QString>
#include <vector>

#include "data/access/AtomicFile.h"
#include "data/access/ResultNumbers.h"
#include "data/access/TableStatementWriter.h"

struct lxw_workbook;
struct lxw_worksheet;

// A result written as an .xlsx workbook through libxlsxwriter: one sheet named after the table
// ("Result"), the column names in its first row and one row per INSERT below, with the same
// rules for values as the .xls result (numbers in number columns where the value reads as one,
// text otherwise, an empty value an empty cell).
//
// libxlsxwriter runs in its constant-memory mode: each row goes to its temporary files as it
// arrives, so a million-row result costs no more memory than a small one. It writes the
// workbook by name, into a hidden temporary file beside the target that replaces the target
// only at close; as for .xls, opening the connection first makes the target an empty workbook.
class XlsxResultWriter final : public TableStatementWriter {
public:
    static constexpr qint64 kMaxRows = 1048576;  // the heading row included
    static constexpr int kMaxColumns = 16384;
    static constexpr qsizetype kMaxTextLength = 32767;

    XlsxResultWriter(const QString& path, const QLocale& locale);
    ~XlsxResultWriter() override;

    int create() override;
    int close() override;
    void abandon() override;

protected:
    int maxColumns() const override { return kMaxColumns; }
    qint64 maxRows() const override { return kMaxRows - 1; }
    int defineTable(const QString& table, const std::vector<ColumnDefinition>& columns) override;
    int appendRow(const std::vector<QStringView>& values) override;

private:
    void discardWorkbook();
    int writeText(int row, int column, QStringView text);

    QString m_path;
    ResultNumberReader m_numbers;
    std::vector<bool> m_numberColumn;
    PendingFile m_file;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    bool m_created = false;
};
