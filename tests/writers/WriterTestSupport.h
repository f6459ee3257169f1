#pragma once

#include <QIODevice>
#include <QJsonObject>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <memory>

#include "data/access/AtomicFile.h"

// Helpers of the result-writer tests: peer readers, statements run through a connection, and a
// device that fails like a full disk.
namespace WriterTest {

// What xlrd reads in a workbook (see read_xls.py), or {"error": why} when it cannot.
QJsonObject readWithXlrd(const QString& path, bool summary = false);
// What dbfread reads in a table (see read_dbf.py); `encoding` empty lets dbfread choose.
QJsonObject readWithDbfread(const QString& path, const QString& encoding = {},
                            bool summary = false);
// What openpyxl reads in a .xlsx workbook, in readWithXlrd's shape.
QJsonObject readWithOpenpyxl(const QString& path);
// The rows Python's csv module reads in a .csv file, or one row {"error: why"} when it cannot.
QList<QStringList> readWithPythonCsv(const QString& path);
// The reason the peer readers cannot run, or empty when they can.
QString peerReadersMissing();

// Opens a file-creating connection, executes the statements in order and closes it. Returns 0,
// or the native code of the first failure (open, a statement, or close).
struct Run {
    int code = 0;
    int failedStatement = -1;  // index of the refused statement, -1 when none was refused
};
// Numbers in the values are read as `locale` writes them.
Run runStatements(const QString& connectionString, const QStringList& statements,
                  const WriteDeviceFilter& filter = {}, const QLocale& locale = QLocale::c());

// Every entry of a folder, hidden ones included, sorted.
QStringList folderEntries(const QString& folder);

// Wraps a file and lets the first `limit` bytes through; then every write fails, as on a full
// disk. Seeks and reads go to the file.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QIODevice& inner, qint64 limit);
    bool seek(qint64 position) override {
        return QIODevice::seek(position) && m_inner.seek(position);
    }
    qint64 size() const override { return m_inner.size(); }

protected:
    qint64 readData(char* data, qint64 size) override { return m_inner.read(data, size); }
    qint64 writeData(const char* data, qint64 size) override;

private:
    QIODevice& m_inner;
    qint64 m_left;
};
WriteDeviceFilter failAfter(qint64 bytes);

}  // namespace WriterTest
