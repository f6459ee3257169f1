#include "data/access/DbConnection.h"

#include <QFileInfo>

#include "data/access/FileLock.h"
#include "data/access/NativeError.h"
#include "data/access/SourceReaders.h"
#include "data/access/TableFileReader.h"
#include "data/access/writers/ResultFileWriters.h"

DbConnection::DbConnection(CellTextFormat format) : m_format(std::move(format)) {}
DbConnection::~DbConnection() {
    close();
}

void DbConnection::setConnectionString(const QString& text) {
    close();
    m_connectionString = text;
    m_target = parseConnectionString(text);
}

bool DbConnection::fail(int code) {
    m_nativeError = code;
    return false;
}

bool DbConnection::ensureSourceReader() {
    if (m_reader) return true;
    if (!m_target.isSource()) return fail(NativeError::NotConnected);

    const QFileInfo info(m_target.path);
    if (!info.exists() || !info.isFile() || !info.isReadable() || info.size() == 0) {
        return fail(NativeError::Unreadable);
    }
    if (isLockedByAnotherProgram(m_target.path)) return fail(NativeError::LockedByAnotherProgram);

    std::unique_ptr<TableFileReader> reader = createSourceReader(m_target.path, m_target.isExcel());
    const int code = reader->open(m_target.path);
    if (code != NativeError::None) return fail(code);
    m_reader = std::move(reader);
    return true;
}

bool DbConnection::listTableNames(QStringList& names) {
    m_nativeError = NativeError::None;
    names.clear();
    if (!ensureSourceReader()) return false;
    names = m_reader->tableNames();
    return true;
}

bool DbConnection::open() {
    m_nativeError = NativeError::None;
    if (m_open) return true;
    if (m_target.kind == ConnectionKind::Invalid) return fail(NativeError::NotConnected);
    if (m_target.isSource()) {
        if (!ensureSourceReader()) return false;
    } else {
        std::unique_ptr<ResultFileWriter> writer =
            createResultFileWriter(m_target, m_format.locale(), m_writeFilter);
        if (!writer) return fail(NativeError::NotConnected);
        const int code = writer->create();
        if (code != NativeError::None) return fail(code);
        m_writer = std::move(writer);
    }
    m_open = true;
    return true;
}

bool DbConnection::execute(const QString& statement) {
    m_nativeError = NativeError::None;
    if (!m_open || !m_writer) return fail(NativeError::NotConnected);
    const int code = m_writer->execute(statement);
    return code == NativeError::None ? true : fail(code);
}

void DbConnection::abandon() {
    if (m_writer) m_writer->abandon();
    m_writer.reset();
    close();
}

bool DbConnection::close() {
    const int code = m_writer ? m_writer->close() : NativeError::None;
    m_writer.reset();
    m_reader.reset();
    m_open = false;
    if (code != NativeError::None) return fail(code);
    return true;
}

std::int32_t DbConnection::maxSheetRows() const {
    return m_reader ? m_reader->maxSheetRows() : 65536;
}

bool DbConnection::readTable(const QString& name, SheetTable& out) {
    m_nativeError = NativeError::None;
    if (!ensureSourceReader()) return false;
    const int code = m_reader->readTable(name, m_format, out);
    return code == NativeError::None ? true : fail(code);
}
