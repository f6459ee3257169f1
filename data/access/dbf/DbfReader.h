#pragma once

#include <memory>

#include "data/access/TableFileReader.h"

// Reads a dBase table (dBase III/IV, FoxPro, Visual FoxPro) as one table named after the file,
// the texts of its memo fields from the memo file beside it.
class DbfReader final : public TableFileReader {
public:
    DbfReader();
    ~DbfReader() override;

    // Opens the table (and its memo file) and reads its header and fields; they stay open
    // until the table is read.
    int open(const QString& path) override;
    QStringList tableNames() const override;
    int readTable(const QString& name, const CellTextFormat& format, SheetTable& out) override;

    // The code page named for the table's texts (known after open): by a .cpg file beside it,
    // else by the header's language-driver byte. Empty when neither names one; each text is then
    // read as UTF-8 where it is valid UTF-8, otherwise as windows-1252.
    QByteArray codePage() const { return m_codePage; }

private:
    struct OpenTable;
    int fail(int code);

    QString m_path;
    QString m_tableName;
    QByteArray m_codePage;
    std::unique_ptr<OpenTable> m_table;  // what open() found, until the table is read
};
