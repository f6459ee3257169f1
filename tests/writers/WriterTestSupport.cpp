#include "WriterTestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include "data/access/DbConnection.h"
#include "support/TestFiles.h"

namespace WriterTest {

namespace {

QJsonObject runReader(const QStringList& arguments) {
    const TestFiles::ProcessResult result = TestFiles::runSystemPython(arguments);
    if (result.exitCode != 0) {
        return {{"error", QString::fromUtf8(result.err.right(2000))}};
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    if (!document.isObject()) return {{"error", error.errorString()}};
    return document.object();
}

QString script(const char* name) {
    return QStringLiteral(QUARIX_TESTS_DIR "/writers/") + QLatin1String(name);
}

}  // namespace

QJsonObject readWithXlrd(const QString& path, bool summary) {
    QStringList arguments{script("read_xls.py"), path};
    if (summary) arguments << "--summary";
    return runReader(arguments);
}

QJsonObject readWithDbfread(const QString& path, const QString& encoding, bool summary) {
    QStringList arguments{script("read_dbf.py"), path};
    if (!encoding.isEmpty()) arguments << encoding;
    if (summary) arguments << "--summary";
    return runReader(arguments);
}

QJsonObject readWithOpenpyxl(const QString& path) {
    return runReader({script("read_xlsx.py"), path});
}

QList<QStringList> readWithPythonCsv(const QString& path) {
    QList<QStringList> rows;
    const QJsonObject read = runReader({script("read_csv.py"), path});
    if (read.contains("error")) return {{"error: " + read["error"].toString()}};
    for (const QJsonValue& row : read["rows"].toArray()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray()) cells << cell.toString();
        rows << cells;
    }
    return rows;
}

QString peerReadersMissing() {
    QString reason;
    for (const char* module : {"xlrd", "dbfread", "openpyxl"}) {
        if (!TestFiles::systemPythonHas(QLatin1String(module), reason)) return reason;
    }
    return {};
}

Run runStatements(const QString& connectionString, const QStringList& statements,
                  const WriteDeviceFilter& filter, const QLocale& locale) {
    Run run;
    DbConnection connection{CellTextFormat(locale)};
    connection.setConnectionString(connectionString);
    connection.setWriteDeviceFilter(filter);
    if (!connection.open()) {
        run.code = connection.nativeError();
        return run;
    }
    for (int i = 0; i < statements.size(); ++i) {
        if (!connection.execute(statements[i])) {
            run.code = connection.nativeError();
            run.failedStatement = i;
            connection.close();
            return run;
        }
    }
    if (!connection.close()) run.code = connection.nativeError();
    return run;
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

FailingDevice::FailingDevice(QIODevice& inner, qint64 limit) : m_inner(inner), m_left(limit) {
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

qint64 FailingDevice::writeData(const char* data, qint64 size) {
    if (m_left <= 0) {
        setErrorString("No space left on device");
        return -1;
    }
    const qint64 part = std::min(size, m_left);
    const qint64 written = m_inner.write(data, part);
    if (written > 0) m_left -= written;
    return written;
}

WriteDeviceFilter failAfter(qint64 bytes) {
    return [bytes](QIODevice& file) -> std::unique_ptr<QIODevice> {
        return std::make_unique<FailingDevice>(file, bytes);
    };
}

}  // namespace WriterTest
