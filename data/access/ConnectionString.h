#pragma once

#include <QString>

// The connection strings the program hands to the data access layer, and the layer's reading of
// them. Paths are inserted unchanged, so a path may hold blanks, ";", quotes, "=" or "{".
enum class ConnectionKind {
    Invalid,
    ExcelRead,       // File 1: a workbook read in read mode
    ExcelReadWrite,  // File 2: a workbook opened in read-write mode (still never written)
    DbaseRead,       // a dBase table opened as a source (read mode)
    DbaseReadWrite,  // a dBase table opened as File 2
    ExcelCreate,     // a new workbook for a result
    DbaseCreate,     // a new dBase table for a result; the path is its folder
};

struct ConnectionTarget {
    ConnectionKind kind = ConnectionKind::Invalid;
    QString path;  // the file, or for DbaseCreate the folder (ending in a separator)

    bool isSource() const {
        return kind == ConnectionKind::ExcelRead || kind == ConnectionKind::ExcelReadWrite ||
               kind == ConnectionKind::DbaseRead || kind == ConnectionKind::DbaseReadWrite;
    }
    bool isExcel() const {
        return kind == ConnectionKind::ExcelRead || kind == ConnectionKind::ExcelReadWrite ||
               kind == ConnectionKind::ExcelCreate;
    }
};

// File 1 opens its workbook in read mode, File 2 in read-write mode.
QString excelSourceConnectionString(const QString& path, bool readWrite);
// A dBase source table: the file itself is named, so the table list holds exactly that table.
QString dbaseSourceConnectionString(const QString& path, bool readWrite);
// A new result workbook at `fullFileName`.
QString excelCreateConnectionString(const QString& fullFileName);
// A new result dBase table in `folder` (up to and including the last separator).
QString dbaseCreateConnectionString(const QString& folder);

// Finds the kind and the path in a connection string built by the functions above.
ConnectionTarget parseConnectionString(const QString& text);
