#include "data/access/DbfReader.h"

#include <shapefil.h>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>

#include "data/access/CodePage.h"
#include "data/access/DbfMemoFile.h"
#include "data/access/NativeError.h"
#include "data/access/PathNames.h"
#include "data/access/SheetTableBuilder.h"

namespace {

constexpr int kHeaderSize = 32;
constexpr int kFieldDescriptorSize = 32;
constexpr char kDeletedFlag = '*';
constexpr char kEndOfFile = 0x1A;

// shapelib reports its troubles through this hook; the caller turns them into an error code.
void quietError(const char*) {}

struct DbfCloser {
    void operator()(DBFInfo* handle) const {
        if (handle) DBFClose(handle);
    }
};
using DbfHandlePtr = std::unique_ptr<DBFInfo, DbfCloser>;

DbfHandlePtr openTable(const QString& path) {
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.Error = quietError;
    return DbfHandlePtr(DBFOpenLL(QFile::encodeName(path).constData(), "rb", &hooks));
}

// The file's first header bytes and its size, read through the handle shapelib opened. shapelib
// seeks before it reads a record, so the handle may be moved here.
bool readFileStart(DBFHandle dbf, unsigned char (&header)[kHeaderSize], qint64& fileSize) {
    const SAHooks& hooks = dbf->sHooks;
    if (hooks.FSeek(dbf->fp, 0, SEEK_END) != 0) return false;
    fileSize = static_cast<qint64>(hooks.FTell(dbf->fp));
    return hooks.FSeek(dbf->fp, 0, SEEK_SET) == 0 &&
           hooks.FRead(header, kHeaderSize, 1, dbf->fp) == 1;
}

// Empty when neither a .cpg file nor the language-driver byte names a code page.
QByteArray codePageOf(const QString& path, std::uint8_t languageDriver) {
    const QFileInfo info(path);
    for (const QString& suffix : {QStringLiteral(".cpg"), QStringLiteral(".CPG")}) {
        QFile cpg(info.path() + QLatin1Char('/') + info.completeBaseName() + suffix);
        if (cpg.open(QIODevice::ReadOnly)) {
            const QByteArray named = CodePage::fromCpgText(cpg.read(256));
            if (!named.isEmpty()) return named;
        }
    }
    return CodePage::fromLanguageDriver(languageDriver);
}

QByteArrayView trimmedRight(const char* data, int width) {
    while (width > 0 && (data[width - 1] == ' ' || data[width - 1] == '\0')) --width;
    return QByteArrayView(data, width);
}

enum class ColumnKind { Text, Number, Date, Logical, Memo, Unsupported };

struct Column {
    ColumnKind kind = ColumnKind::Unsupported;
    char nativeType = 'C';
    int offset = 0;  // within the record, after the deletion flag
    int width = 0;
    int decimals = 0;
};

ColumnKind kindOf(char nativeType) {
    switch (nativeType) {
        case 'C':
            return ColumnKind::Text;
        case 'N':
        case 'F':
            return ColumnKind::Number;
        case 'D':
            return ColumnKind::Date;
        case 'L':
            return ColumnKind::Logical;
        case 'M':
            return ColumnKind::Memo;
        default:  // general, binary FoxPro types: shown as empty text, never as raw bytes
            return ColumnKind::Unsupported;
    }
}

std::uint8_t fieldTypeOf(const Column& column, bool allWholeInt32) {
    switch (column.kind) {
        case ColumnKind::Number:
            return column.decimals == 0 && allWholeInt32 && column.nativeType == 'N'
                       ? fieldTypeCode(FieldType::Integer)
                       : fieldTypeCode(FieldType::Float);
        case ColumnKind::Date:
            return fieldTypeCode(FieldType::Date);
        case ColumnKind::Logical:
            return fieldTypeCode(FieldType::Boolean);
        case ColumnKind::Memo:
            return fieldTypeCode(FieldType::Memo);
        case ColumnKind::Text:
        case ColumnKind::Unsupported:
            break;
    }
    return fieldTypeCode(FieldType::String);
}

bool parseDate(QByteArrayView text, double& days) {
    if (text.size() != 8) return false;
    bool okYear = false, okMonth = false, okDay = false;
    const int year = text.first(4).toInt(&okYear);
    const int month = text.sliced(4, 2).toInt(&okMonth);
    const int day = text.sliced(6, 2).toInt(&okDay);
    if (!okYear || !okMonth || !okDay) return false;
    const QDate date(year, month, day);
    if (!date.isValid()) return false;
    days = static_cast<double>(dayZero().daysTo(date));
    return true;
}

}  // namespace

// What open() learned of the table, with the files it opened; readTable() reads the records
// through them.
struct DbfReader::OpenTable {
    DbfHandlePtr handle;
    std::uint8_t version = 0;
    std::uint8_t languageDriver = 0;
    std::uint32_t recordCount = 0;
    int headerLength = 0;
    int recordLength = 0;
    qint64 fileSize = 0;
    std::vector<Column> columns;
    std::vector<QString> headings;
    bool hasMemo = false;
    DbfMemoFile memo;

    bool readHeader();
    bool readFields(CodePage::TextDecoder& decoder);
    int readRecords(CodePage::TextDecoder& decoder, const CellTextFormat& format, SheetTable& out);
};

bool DbfReader::OpenTable::readHeader() {
    unsigned char b[kHeaderSize];
    if (!readFileStart(handle.get(), b, fileSize)) return false;
    version = b[0];
    recordCount = b[4] | (b[5] << 8) | (b[6] << 16) | (std::uint32_t(b[7]) << 24);
    headerLength = b[8] | (b[9] << 8);
    recordLength = b[10] | (b[11] << 8);
    languageDriver = b[29];
    // At least one field descriptor and the terminator; a record has its deletion flag.
    return headerLength >= kHeaderSize + kFieldDescriptorSize + 1 && recordLength >= 2;
}

bool DbfReader::OpenTable::readFields(CodePage::TextDecoder& decoder) {
    DBFHandle dbf = handle.get();
    const int fieldCount = DBFGetFieldCount(dbf);
    if (fieldCount <= 0) return false;
    int offset = 1;  // byte 0 of a record is its deletion flag
    for (int i = 0; i < fieldCount; ++i) {
        char rawName[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(dbf, i, rawName, &width, &decimals);
        if (width <= 0) return false;
        const char type = DBFGetNativeFieldType(dbf, i);
        const int at = offset;
        offset += width;
        columns.push_back({kindOf(type), type, at, width, decimals});
        QString fieldName = decoder.decode(QByteArrayView(rawName).trimmed());
        if (fieldName.isEmpty()) fieldName = emptyHeadingName(std::int32_t(headings.size()));
        headings.push_back(fieldName);
        hasMemo = hasMemo || columns.back().kind == ColumnKind::Memo;
    }
    return !columns.empty() && offset <= recordLength;
}

int DbfReader::OpenTable::readRecords(CodePage::TextDecoder& decoder, const CellTextFormat& format,
                                      SheetTable& out) {
    // The header's record count is not to be trusted: count only the records the file holds.
    const qint64 stored = (fileSize - headerLength) / recordLength;
    const qint64 recordsToRead = std::max<qint64>(0, std::min<qint64>(stored, recordCount));

    SheetTableBuilder builder;
    builder.declareColumns(std::move(headings));
    std::vector<bool> allWholeInt32(columns.size(), true);
    QByteArray record(recordLength, Qt::Uninitialized);
    QByteArray memoBytes;
    std::int32_t row = 0;
    for (qint64 r = 0; r < recordsToRead; ++r) {
        const char* tuple = DBFReadTuple(handle.get(), static_cast<int>(r));
        if (!tuple) break;
        // shapelib hands out one buffer for every read: copy the record before anything else.
        std::memcpy(record.data(), tuple, static_cast<std::size_t>(recordLength));
        const char* data = record.constData();
        if (data[0] == kEndOfFile) break;
        if (data[0] == kDeletedFlag) continue;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Column& column = columns[i];
            const char* field = data + column.offset;
            const auto c = static_cast<std::int32_t>(i);
            switch (column.kind) {
                case ColumnKind::Text: {
                    const QByteArrayView raw = trimmedRight(field, column.width);
                    if (!raw.isEmpty()) builder.addText(row, c, decoder.decode(raw));
                    break;
                }
                case ColumnKind::Number: {
                    bool ok = false;
                    const double value = trimmedRight(field, column.width).trimmed().toDouble(&ok);
                    if (ok && std::isfinite(value)) {
                        builder.addNumber(row, c, value);
                        if (!fitsIntegerField(value)) allWholeInt32[i] = false;
                    }
                    break;
                }
                case ColumnKind::Date: {
                    double days = 0;
                    if (parseDate(trimmedRight(field, column.width).trimmed(), days)) {
                        builder.addDate(row, c, days);
                    }
                    break;
                }
                case ColumnKind::Logical: {
                    const char flag = trimmedRight(field, column.width).isEmpty() ? '?' : field[0];
                    if (flag == 'T' || flag == 't' || flag == 'Y' || flag == 'y') {
                        builder.addBoolean(row, c, true);
                    } else if (flag == 'F' || flag == 'f' || flag == 'N' || flag == 'n') {
                        builder.addBoolean(row, c, false);
                    }
                    break;
                }
                case ColumnKind::Memo: {
                    std::uint64_t block = 0;
                    bool isText = true;
                    if (!DbfMemoFile::blockNumber(field, column.width, block)) break;
                    if (!memo.read(block, memoBytes, isText)) return NativeError::Unreadable;
                    if (isText && !memoBytes.isEmpty()) {
                        builder.addText(row, c, decoder.decode(memoBytes));
                    }
                    break;
                }
                case ColumnKind::Unsupported:
                    break;
            }
        }
        ++row;
    }

    std::vector<std::uint8_t> types(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        types[i] = fieldTypeOf(columns[i], allWholeInt32[i]);
    }
    builder.declareFieldTypes(std::move(types));
    builder.declareRowCount(row);
    out = builder.finish(format);
    return NativeError::None;
}

DbfReader::DbfReader() = default;
DbfReader::~DbfReader() = default;

int DbfReader::fail(int code) {
    m_path.clear();
    m_tableName.clear();
    m_codePage.clear();
    m_table.reset();
    return code;
}

int DbfReader::open(const QString& path) {
    fail(NativeError::None);
    auto table = std::make_unique<OpenTable>();
    table->handle = openTable(path);
    if (!table->handle || !table->readHeader()) return fail(NativeError::Unreadable);
    const QByteArray codePage = codePageOf(path, table->languageDriver);
    CodePage::TextDecoder decoder(codePage);
    if (!table->readFields(decoder)) return fail(NativeError::Unreadable);
    if (table->hasMemo && table->memo.open(path, table->version) != NativeError::None) {
        return fail(NativeError::Unreadable);
    }
    m_path = path;
    m_tableName = PathNames::tableName(path);
    m_codePage = codePage;
    m_table = std::move(table);
    return NativeError::None;
}

QStringList DbfReader::tableNames() const {
    return m_path.isEmpty() ? QStringList() : QStringList{m_tableName};
}

int DbfReader::readTable(const QString& name, const CellTextFormat& format, SheetTable& out) {
    if (m_path.isEmpty()) return NativeError::NotConnected;
    if (name != m_tableName) return NativeError::TableNotFound;
    if (!m_table) {                   // read once already: from the file again
        const QString path = m_path;  // open() forgets it first
        const int code = open(path);
        if (code != NativeError::None) return code;
    }
    // The files close once the table is read: a table is held once, by the reader's caller.
    const std::unique_ptr<OpenTable> table = std::move(m_table);
    CodePage::TextDecoder decoder(m_codePage);
    return table->readRecords(decoder, format, out);
}
