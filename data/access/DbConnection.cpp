#include "data/access/DbConnection.h"

#include "data/access/FileLock.h"
#include "data/access/FileProblems.h"
#include "data/access/NativeError.h"
#include "data/access/ResultFileWriters.h"
#include "data/access/SourceReaders.h"
#include "data/access/TableFileReader.h"

DbConnection::DbConnection(CellTextFormat format) : m_format(std::move(format)) {}
DbConnection::~DbConnection() {
    close();
}

void DbConnection::setConnectionString(const QString& text) {
    close();
    m_connectionString = text;
    m_target = parseConnectionString(text);
}

namespace {

// What a reader's refusal of a source means, in words the user can act on.
QString readerFailureCause(int code, bool workbook, bool reading) {
    switch (code) {
        case NativeError::Unreadable:
        case NativeError::GeneralFailure:
            if (reading) {
                return workbook ? QStringLiteral("The workbook is damaged")
                                : QStringLiteral("The table is damaged");
            }
            return workbook ? QStringLiteral("Not a workbook")
                            : QStringLiteral("Not a dBase table");
        case NativeError::PasswordProtected:
            return QStringLiteral("Encrypted with a password");
        default:
            return {};
    }
}

}  // namespace

bool DbConnection::fail(int code, const QString& cause) {
    m_nativeError = code;
    m_failureCause = cause;
    return false;
}

bool DbConnection::failWriting(int code) {
    return fail(code, SystemErrorText(LastFileSystemError()));
}

bool DbConnection::ensureSourceReader() {
    if (m_reader) return true;
    if (!m_target.isSource()) return fail(NativeError::NotConnected);

    const QString problem = SourceFileProblem(m_target.path);
    if (!problem.isEmpty()) return fail(NativeError::Unreadable, problem);
    if (isLockedByAnotherProgram(m_target.path)) {
        return fail(NativeError::LockedByAnotherProgram,
                    QStringLiteral("Locked by another program"));
    }

    std::unique_ptr<TableFileReader> reader = createSourceReader(m_target.path, m_target.isExcel());
    const int code = reader->open(m_target.path);
    if (code != NativeError::None) {
        if (!reader->failureCause().isEmpty()) return fail(code, reader->failureCause());
        return fail(code, readerFailureCause(code, m_target.isExcel(), false));
    }
    m_reader = std::move(reader);
    return true;
}

bool DbConnection::listTableNames(QStringList& names) {
    m_nativeError = NativeError::None;
    m_failureCause.clear();
    names.clear();
    if (!ensureSourceReader()) return false;
    names = m_reader->tableNames();
    return true;
}

bool DbConnection::open() {
    m_nativeError = NativeError::None;
    m_failureCause.clear();
    if (m_open) return true;
    if (m_target.kind == ConnectionKind::Invalid) return fail(NativeError::NotConnected);
    if (m_target.isSource()) {
        if (!ensureSourceReader()) return false;
    } else {
        std::unique_ptr<ResultFileWriter> writer =
            createResultFileWriter(m_target, m_format.locale(), m_writeFilter);
        if (!writer) return fail(NativeError::NotConnected);
        ClearFileSystemError();
        const int code = writer->create();
        if (code != NativeError::None) return failWriting(code);
        m_writer = std::move(writer);
    }
    m_open = true;
    return true;
}

bool DbConnection::execute(const QString& statement) {
    m_nativeError = NativeError::None;
    m_failureCause.clear();
    if (!m_open || !m_writer) return fail(NativeError::NotConnected);
    ClearFileSystemError();
    const int code = m_writer->execute(statement);
    return code == NativeError::None ? true : failWriting(code);
}

void DbConnection::abandon() {
    if (m_writer) m_writer->abandon();
    m_writer.reset();
    close();
}

bool DbConnection::close() {
    ClearFileSystemError();
    const int code = m_writer ? m_writer->close() : NativeError::None;
    m_writer.reset();
    m_reader.reset();
    m_open = false;
    if (code != NativeError::None) return failWriting(code);
    return true;
}

void DbConnection::reportFailure(int code, const QString& cause) {
    fail(code, cause);
}

std::int32_t DbConnection::maxSheetRows() const {
    return m_reader ? m_reader->maxSheetRows() : 65536;
}

bool DbConnection::readTable(const QString& name, SheetTable& out) {
    m_nativeError = NativeError::None;
    m_failureCause.clear();
    if (!ensureSourceReader()) return false;
    const int code = m_reader->readTable(name, m_format, out);
    if (code == NativeError::None) return true;
    if (!m_reader->failureCause().isEmpty()) return fail(code, m_reader->failureCause());
    return fail(code, readerFailureCause(code, m_target.isExcel(), true));
}
