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
        if (code != NativeError::None) return fail(code);
        m_path = path;
        return openStream(std::move(stream));
    }

    int openBuffer(const QByteArray& bytes) override {
        WorkbookStream stream;
        const int code = CompoundFile::readFromBytes(bytes, stream);
        if (code != NativeError::None) return fail(code);
        m_path.clear();
        return openStream(std::move(stream));
    }

    QStringList tableNames() const override {
        QStringList names;
        for (const XlsSheetEntry& sheet : m_globals.sheets) {
            if (sheet.isWorksheet) names << sheet.name;
        }
        return names;
    }

    int readTable(const QString& name, const CellTextFormat& format, SheetTable& out) override {
        if (m_stream.bytes.isEmpty()) {
            if (m_path.isEmpty()) return NativeError::NotConnected;
            const QString path = m_path;
            const int code = open(path);
            if (code != NativeError::None) return code;
        }
        for (const XlsSheetEntry& sheet : m_globals.sheets) {
            if (!sheet.isWorksheet || sheet.name != name) continue;
            SheetTableBuilder builder(m_globals.sharedStrings);
            const int code = readSheetCells(m_stream, m_globals, sheet, builder);
            if (code != NativeError::None) return code;
            out = builder.finish(format);
            releaseStream();
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
        m_path.clear();
        return code;
    }

    // Once a table is read the stream and the shared texts are not needed: a table is held
    // once, by its reader's caller. The sheet list stays for tableNames(). A workbook read from
    // memory keeps its stream, since there is no file to read it from again.
    void releaseStream() {
        if (m_path.isEmpty()) return;
        m_stream = WorkbookStream();
        m_globals.sharedStrings = std::make_shared<TextList>();
        m_globals.dateXf = {};
    }

    QString m_path;  // empty for a workbook read from memory
    WorkbookStream m_stream;
    XlsWorkbookGlobals m_globals;
};

}  // namespace

std::unique_ptr<WorkbookFileReader> createWorkbookReader() {
    return std::make_unique<XlsWorkbookReader>();
}
