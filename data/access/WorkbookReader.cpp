#include "data/access/NativeError.h"
#include "data/access/TableFileReader.h"
#include "data/access/xls/CompoundFile.h"
#include "data/access/xls/XlsSheetReader.h"
#include "data/access/xls/XlsWorkbookGlobals.h"

namespace {

// Reads .xls workbooks: the workbook stream is read whole at open, with its globals; each table
// is then read from the stream in memory when asked for.
class XlsWorkbookReader final : public WorkbookFileReader {
public:
    int open(const QString& path) override {
        WorkbookStream stream;
        const int code = CompoundFile::readFromFile(path, stream);
        return code == NativeError::None ? openStream(std::move(stream)) : fail(code);
    }

    int openBuffer(const QByteArray& bytes) override {
        WorkbookStream stream;
        const int code = CompoundFile::readFromBytes(bytes, stream);
        return code == NativeError::None ? openStream(std::move(stream)) : fail(code);
    }

    QStringList tableNames() const override {
        QStringList names;
        for (const XlsSheetEntry& sheet : m_globals.sheets) {
            if (sheet.isWorksheet) names << sheet.name;
        }
        return names;
    }

    int readTable(const QString& name, SheetTable& out) override {
        if (m_stream.bytes.isEmpty()) return NativeError::NotConnected;
        for (const XlsSheetEntry& sheet : m_globals.sheets) {
            if (!sheet.isWorksheet || sheet.name != name) continue;
            SheetTableBuilder builder;
            const int code = readSheetCells(m_stream, m_globals, sheet, builder);
            if (code != NativeError::None) return code;
            out = builder.finish(m_globals.sharedStrings);
            return NativeError::None;
        }
        return NativeError::TableNotFound;
    }

private:
    int openStream(WorkbookStream stream) {
        XlsWorkbookGlobals globals;
        const int code = readWorkbookGlobals(stream, globals);
        if (code != NativeError::None) return fail(code);
        m_stream = std::move(stream);
        m_globals = std::move(globals);
        return NativeError::None;
    }

    int fail(int code) {
        m_stream = WorkbookStream();
        m_globals = XlsWorkbookGlobals();
        return code;
    }

    WorkbookStream m_stream;
    XlsWorkbookGlobals m_globals;
};

}  // namespace

std::unique_ptr<WorkbookFileReader> createWorkbookReader() {
    return std::make_unique<XlsWorkbookReader>();
}
