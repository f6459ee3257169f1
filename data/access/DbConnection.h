#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "data/access/AtomicFile.h"
#include "data/access/CellText.h"
#include "data/access/ConnectionString.h"
#include "data/access/SheetTable.h"

class TableFileReader;
class ResultFileWriter;

// A connection of the data access layer to one file, driven by a connection string. Source files
// are only ever read, whatever mode the string asks for. Failures return false and leave their
// native error code in nativeError().
class DbConnection {
public:
    // Texts of the tables read through the connection follow `format`, whatever the program's
    // locale is meanwhile; so do the numbers of a result file it writes.
    explicit DbConnection(CellTextFormat format = CellTextFormat::system());
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    void setConnectionString(const QString& text);
    const QString& connectionString() const { return m_connectionString; }
    const ConnectionTarget& target() const { return m_target; }
    const CellTextFormat& cellTextFormat() const { return m_format; }

    // The names of the file's tables, in the file's order. Reads the file when needed.
    bool listTableNames(QStringList& names);
    // Makes the file reachable; for the file-creating strings, creates the new, empty file.
    bool open();
    bool isOpen() const { return m_open; }
    // Applies one statement (CREATE TABLE, INSERT INTO) to a file this connection created.
    bool execute(const QString& statement);
    // The native code of the last failure; 0 after a success.
    int nativeError() const { return m_nativeError; }
    // The cause of the last failure in the system's words where it gave one ("Permission
    // denied", "Is a directory"), else in the layer's ("Not a workbook"); empty after a success
    // and for failures that are no fault of the file.
    const QString& failureCause() const { return m_failureCause; }
    // Releases the file. A file this connection created is finished here; when that fails
    // (a full disk), the result is false, nativeError() tells why, and the file is as it was
    // before: a workbook stays the empty one that open() created, a dBase table is not there.
    bool close();

    // Releases the file without finishing it: a result file this connection was creating is
    // not written, and the empty workbook open() made is removed. For a source, as close().
    void abandon();

    // Tests only: writes of result files go through the device this filter makes. Set it before
    // open().
    void setWriteDeviceFilter(WriteDeviceFilter filter) { m_writeFilter = std::move(filter); }

    // Used by the data set: reads one table in full.
    bool readTable(const QString& name, SheetTable& out);
    // The rows a sheet of the open source's format holds (65,536 when none is open).
    std::int32_t maxSheetRows() const;
    // Used by the data set: its failures are reported, like all others, by the connection.
    void reportFailure(int code, const QString& cause);

private:
    bool fail(int code, const QString& cause = {});
    // A writer's failure, with the system's cause the file operations left.
    bool failWriting(int code);
    bool ensureSourceReader();

    CellTextFormat m_format;
    QString m_connectionString;
    ConnectionTarget m_target;
    std::unique_ptr<TableFileReader> m_reader;
    std::unique_ptr<ResultFileWriter> m_writer;
    WriteDeviceFilter m_writeFilter;
    bool m_open = false;
    int m_nativeError = 0;
    QString m_failureCause;
};
