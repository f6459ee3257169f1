#include "data/access/DbfReader.h"

#include <shapefil.h>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>

#include "data/access/CodePage.h"
#include "data/access/NativeError.h"
#include "data/access/PathNames.h"
#include "data/access/SheetTableBuilder.h"

namespace {

constexpr int kHeaderSize = 32;
constexpr int kFieldDescriptorSize = 32;
constexpr char kDeletedFlag = '*';
constexpr char kEndOfFile = 0x1A;

struct DbfHeader {
    std::uint32_t recordCount = 0;
    int headerLength = 0;
    int recordLength = 0;
    std::uint8_t languageDriver = 0;
};

bool readHeader(const QString& path, DbfHeader& header) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.read(kHeaderSize);
    if (bytes.size() < kHeaderSize) return false;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    header.recordCount = b[4] | (b[5] << 8) | (b[6] << 16) | (std::uint32_t(b[7]) << 24);
    header.headerLength = b[8] | (b[9] << 8);
    header.recordLength = b[10] | (b[11] << 8);
    header.languageDriver = b[29];
    // At least one field descriptor and the terminator; a record has its deletion flag.
    return header.headerLength >= kHeaderSize + kFieldDescriptorSize + 1 &&
           header.recordLength >= 2;
}

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

QByteArray trimmedRight(const char* data, int width) {
    while (width > 0 && (data[width - 1] == ' ' || data[width - 1] == '\0')) --width;
    return QByteArray(data, width);
}

enum class ColumnKind { Text, Number, Date, Logical, Unsupported };

struct Column {
    ColumnKind kind = ColumnKind::Unsupported;
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
        default:  // memo, general, binary FoxPro types: shown as empty text, never as raw bytes
            return ColumnKind::Unsupported;
    }
}

bool parseDate(const QByteArray& text, double& days) {
    if (text.size() != 8) return false;
    bool okYear = false, okMonth = false, okDay = false;
    const int year = text.left(4).toInt(&okYear);
    const int month = text.mid(4, 2).toInt(&okMonth);
    const int day = text.mid(6, 2).toInt(&okDay);
    if (!okYear || !okMonth || !okDay) return false;
    const QDate date(year, month, day);
    if (!date.isValid()) return false;
    days = static_cast<double>(dayZero().daysTo(date));
    return true;
}

}  // namespace

int DbfReader::open(const QString& path) {
    DbfHeader header;
    if (!readHeader(path, header)) return NativeError::Unreadable;
    DbfHandlePtr handle = openTable(path);
    if (!handle) return NativeError::Unreadable;
    m_path = path;
    m_tableName = PathNames::tableName(path);
    m_codePage = codePageOf(path, header.languageDriver);
    return NativeError::None;
}

QStringList DbfReader::tableNames() const {
    return m_path.isEmpty() ? QStringList() : QStringList{m_tableName};
}

int DbfReader::readTable(const QString& name, const CellTextFormat& format, SheetTable& out) {
    if (m_path.isEmpty()) return NativeError::NotConnected;
    if (name != m_tableName) return NativeError::TableNotFound;

    DbfHeader header;
    if (!readHeader(m_path, header)) return NativeError::Unreadable;
    DbfHandlePtr handle = openTable(m_path);
    if (!handle) return NativeError::Unreadable;
    DBFHandle dbf = handle.get();

    CodePage::TextDecoder decoder(m_codePage);

    const int fieldCount = DBFGetFieldCount(dbf);
    if (fieldCount <= 0) return NativeError::Unreadable;

    std::vector<QString> headings;
    std::vector<Column> columns(static_cast<std::size_t>(fieldCount));
    int offset = 1;  // byte 0 of a record is its deletion flag
    for (int i = 0; i < fieldCount; ++i) {
        char rawName[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(dbf, i, rawName, &width, &decimals);
        Column& column = columns[static_cast<std::size_t>(i)];
        column.kind = kindOf(DBFGetNativeFieldType(dbf, i));
        column.offset = offset;
        column.width = width;
        column.decimals = decimals;
        if (width <= 0) return NativeError::Unreadable;
        offset += width;
        QString fieldName = decoder.decode(QByteArray(rawName).trimmed());
        if (fieldName.isEmpty()) fieldName = emptyHeadingName(i);
        headings.push_back(fieldName);
    }
    if (offset > header.recordLength) return NativeError::Unreadable;

    // The header's record count is not to be trusted: count only the records the file holds.
    const qint64 fileSize = QFileInfo(m_path).size();
    const qint64 stored = (fileSize - header.headerLength) / header.recordLength;
    const qint64 recordsToRead = std::max<qint64>(0, std::min<qint64>(stored, header.recordCount));

    SheetTableBuilder builder;
    builder.declareColumns(std::move(headings));
    std::vector<std::uint8_t> types(columns.size());
    std::vector<bool> allWholeInt32(columns.size(), true);
    std::int32_t row = 0;
    for (qint64 record = 0; record < recordsToRead; ++record) {
        const char* tuple = DBFReadTuple(dbf, static_cast<int>(record));
        if (!tuple) break;
        // shapelib hands out one buffer for every read: copy the record before anything else.
        const QByteArray bytes(tuple, header.recordLength);
        const char* data = bytes.constData();
        if (data[0] == kEndOfFile) break;
        if (data[0] == kDeletedFlag) continue;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Column& column = columns[i];
            const QByteArray raw = trimmedRight(data + column.offset, column.width);
            const auto c = static_cast<std::int32_t>(i);
            switch (column.kind) {
                case ColumnKind::Text:
                    if (!raw.isEmpty()) builder.addText(row, c, decoder.decode(raw));
                    break;
                case ColumnKind::Number: {
                    bool ok = false;
                    const double value = raw.trimmed().toDouble(&ok);
                    if (ok && std::isfinite(value)) {
                        builder.addNumber(row, c, value);
                        if (!fitsIntegerField(value)) allWholeInt32[i] = false;
                    }
                    break;
                }
                case ColumnKind::Date: {
                    double days = 0;
                    if (parseDate(raw.trimmed(), days)) builder.addDate(row, c, days);
                    break;
                }
                case ColumnKind::Logical: {
                    const char flag = raw.isEmpty() ? '?' : raw.at(0);
                    if (flag == 'T' || flag == 't' || flag == 'Y' || flag == 'y') {
                        builder.addBoolean(row, c, true);
                    } else if (flag == 'F' || flag == 'f' || flag == 'N' || flag == 'n') {
                        builder.addBoolean(row, c, false);
                    }
                    break;
                }
                case ColumnKind::Unsupported:
                    break;
            }
        }
        ++row;
    }

    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& column = columns[i];
        switch (column.kind) {
            case ColumnKind::Text:
            case ColumnKind::Unsupported:
                types[i] = fieldTypeCode(FieldType::String);
                break;
            case ColumnKind::Number:
                types[i] = column.decimals == 0 && allWholeInt32[i] &&
                                   DBFGetNativeFieldType(dbf, static_cast<int>(i)) == 'N'
                               ? fieldTypeCode(FieldType::Integer)
                               : fieldTypeCode(FieldType::Float);
                break;
            case ColumnKind::Date:
                types[i] = fieldTypeCode(FieldType::Date);
                break;
            case ColumnKind::Logical:
                types[i] = fieldTypeCode(FieldType::Boolean);
                break;
        }
    }

    builder.declareFieldTypes(std::move(types));
    builder.declareRowCount(row);
    out = builder.finish(format);
    return NativeError::None;
}
