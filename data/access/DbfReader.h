#pragma once

#include "data/access/TableFileReader.h"

// Reads a dBase table (dBase III/IV, FoxPro, Visual FoxPro) as one table named after the file.
class DbfReader final : public TableFileReader {
public:
    int open(const QString& path) override;
    QStringList tableNames() const override;
    int readTable(const QString& name, const CellTextFormat& format, SheetTable& out) override;

    // The code page the table's texts are decoded with (known after open).
    QByteArray codePage() const { return m_codePage; }

private:
    QString m_path;
    QString m_tableName;
    QByteArray m_codePage;
};
