#include "data/access/dbf/DbfReader.h"

#include <shapefil.h>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "data/access/CodePage.h"
#include "data/access/dbf/DbfMemoFile.h"
#include "data/access/NativeError.h"
#include "data/access/PathNames.h"
#include "data/access/SheetTableBuilder.h"

namespace {

constexpr int kHeaderSize = 32;
constexpr int kFieldDescriptorSize = 32;
constexpr int kFieldFlagsOffset = 18;
constexpr std::uint8_t kFieldCanBeNull = 0x02;
constexpr char kNullFlagsType = '0';
constexpr char kDeletedFlag = '*';
constexpr char kEndOfFile = 0x1A;
constexpr std::uint32_t kMillisecondsPerDay = 86400000;

// Only Visual FoxPro stores I, Y, B and T fields as binary numbers, and field flags.
bool isVisualFoxPro(std::uint8_t version) {
    return version == 0x30 || version == 0x31 || version == 0x32;
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

// The file's first header bytes and its size, read through the handle shapelib opened. shapelib
// seeks before it reads a record, so the handle may be moved here.
bool readFileStart(DBFHandle dbf, unsigned char (&header)[kHeaderSize], qint64& fileSize) {
    const SAHooks& hooks = dbf->sHooks;
    if (hooks.FSeek(dbf->fp, 0, SEEK_END) != 0) return false;
    fileSize = static_cast<qint64>(hooks.FTell(dbf->fp));
    return hooks.FSeek(dbf->fp, 0, SEEK_SET) == 0 &&
           hooks.FRead(header, kHeaderSize, 1, dbf->fp) == 1;
}

// Hands out a table's records one at a time, reading them a block of about a megabyte at a time
// through shapelib's handle rather than with a seek and a read each.
class RecordBlocks {
public:
    RecordBlocks(DBFHandle dbf, int headerLength, int recordLength, qint64 count)
        : m_dbf(dbf),
          m_headerLength(headerLength),
          m_recordLength(recordLength),
          m_count(count),
          m_perBlock(std::max<qint64>(1, kBlockBytes / recordLength)) {}

    // The next record, or nullptr after the last one the file holds.
    const char* next() {
        if (m_index == m_inBlock && !fill()) return nullptr;
        return m_block.constData() + m_index++ * m_recordLength;
    }

private:
    static constexpr qint64 kBlockBytes = 1 << 20;

    bool fill() {
        const qint64 wanted = std::min(m_perBlock, m_count - m_read);
        if (wanted <= 0) return false;
        m_block.resize(wanted * m_recordLength);
        const SAHooks& hooks = m_dbf->sHooks;
        if (hooks.FSeek(m_dbf->fp, m_headerLength + m_read * m_recordLength, SEEK_SET) != 0) {
            return false;
        }
        m_inBlock = static_cast<qint64>(
            hooks.FRead(m_block.data(), m_recordLength, static_cast<SAOffset>(wanted), m_dbf->fp));
        m_read = m_inBlock < wanted ? m_count : m_read + wanted;  // a short read ends the table
        m_index = 0;
        return m_inBlock > 0;
    }

    DBFHandle m_dbf;
    qint64 m_headerLength, m_recordLength, m_count, m_perBlock;
    qint64 m_read = 0, m_inBlock = 0, m_index = 0;
    QByteArray m_block;
};

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

bool isBlank(const char* data, int width) {
    return trimmedRight(data, width).isEmpty();
}

// A binary field that a writer left blank; zero bytes are the number 0.
bool isSpaces(const char* data, int width) {
    return std::all_of(data, data + width, [](char c) { return c == ' '; });
}

enum class ColumnKind {
    Text,
    VarText,
    Number,
    Date,
    Logical,
    Integer,
    Currency,
    Double,
    DateTime,
    Memo,
    Unsupported
};

struct Column {
    ColumnKind kind = ColumnKind::Unsupported;
    char nativeType = 'C';
    int offset = 0;  // within the record, after the deletion flag
    int width = 0;
    int decimals = 0;
    // Visual FoxPro: the bits of the _NullFlags field that say the value is null and that a
    // varying-length value is shorter than the field; -1 when the field has none.
    int nullBit = -1;
    int lengthBit = -1;
};

ColumnKind kindOf(char nativeType, int width, bool visualFoxPro) {
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
        default:
            break;
    }
    if (!visualFoxPro) return ColumnKind::Unsupported;
    switch (nativeType) {
        case 'V':
            return ColumnKind::VarText;
        case 'I':
            return width == 4 ? ColumnKind::Integer : ColumnKind::Unsupported;
        case 'Y':
            return width == 8 ? ColumnKind::Currency : ColumnKind::Unsupported;
        case 'B':
            return width == 8 ? ColumnKind::Double : ColumnKind::Unsupported;
        case 'T':
            return width == 8 ? ColumnKind::DateTime : ColumnKind::Unsupported;
        default:  // general, picture, binary: shown as empty text, never as raw bytes
            return ColumnKind::Unsupported;
    }
}

FieldType fieldTypeOf(const Column& column, bool allWholeInt32) {
    switch (column.kind) {
        case ColumnKind::Number:
            return column.decimals == 0 && allWholeInt32 && column.nativeType == 'N'
                       ? FieldType::Integer
                       : FieldType::Float;
        case ColumnKind::Integer:
            return FieldType::Integer;
        case ColumnKind::Currency:
        case ColumnKind::Double:
            return FieldType::Float;
        case ColumnKind::Date:
            return FieldType::Date;
        case ColumnKind::DateTime:
            return FieldType::DateTime;
        case ColumnKind::Logical:
            return FieldType::Boolean;
        case ColumnKind::Memo:
            return FieldType::Memo;
        case ColumnKind::Text:
        case ColumnKind::VarText:
        case ColumnKind::Unsupported:
            break;
    }
    return FieldType::String;
}

// A number as dBase writes it, in the C locale: plain, or with an exponent or a sign.
bool parseNumber(QByteArrayView text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec == std::errc() && result.ptr == end) return true;
    bool ok = false;
    value = text.toDouble(&ok);  // what from_chars does not take, such as a leading "+"
    return ok;
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

// Visual FoxPro's date-time: the Julian day number and the milliseconds since midnight. Day 0
// is no date; a time past midnight or a year outside 1 to 9999 is no value either.
bool parseDateTime(const char* field, double& days) {
    const quint32 julianDay = qFromLittleEndian<quint32>(field);
    const quint32 milliseconds = qFromLittleEndian<quint32>(field + 4);
    if (julianDay == 0 || isSpaces(field, 8) || milliseconds >= kMillisecondsPerDay) return false;
    const QDate date = QDate::fromJulianDay(julianDay);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) return false;
    days = static_cast<double>(static_cast<qint64>(julianDay) - dayZero().toJulianDay()) +
           static_cast<double>(milliseconds) / kMillisecondsPerDay;
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
    int nullFlagsOffset = -1;  // the _NullFlags field within the record, when there is one
    int nullFlagsWidth = 0;
    bool hasMemo = false;
    DbfMemoFile memo;

    bool readHeader();
    bool readFields(CodePage::TextDecoder& decoder);
    bool bitSet(const char* record, int bit) const {
        if (bit < 0 || bit / 8 >= nullFlagsWidth) return false;
        return (static_cast<unsigned char>(record[nullFlagsOffset + bit / 8]) >> (bit % 8)) & 1;
    }
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
    const bool visualFoxPro = isVisualFoxPro(version);
    std::vector<std::uint8_t> flags;
    int offset = 1;  // byte 0 of a record is its deletion flag
    for (int i = 0; i < fieldCount; ++i) {
        char rawName[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(dbf, i, rawName, &width, &decimals);
        if (width <= 0) return false;
        const char type = DBFGetNativeFieldType(dbf, i);
        const int at = offset;
        offset += width;
        if (type == kNullFlagsType) {  // Visual FoxPro's hidden field of null flags
            if (nullFlagsOffset < 0) {
                nullFlagsOffset = at;
                nullFlagsWidth = width;
            }
            continue;
        }
        columns.push_back({kindOf(type, width, visualFoxPro), type, at, width, decimals});
        flags.push_back(static_cast<std::uint8_t>(
            dbf->pszHeader[i * kFieldDescriptorSize + kFieldFlagsOffset]));
        QString fieldName = decoder.decode(QByteArrayView(rawName).trimmed());
        if (fieldName.isEmpty()) fieldName = emptyHeadingName(std::int32_t(headings.size()));
        headings.push_back(fieldName);
        hasMemo = hasMemo || columns.back().kind == ColumnKind::Memo;
    }
    if (columns.empty() || offset > recordLength) return false;

    // The null flags hold, field by field, a bit for a varying-length field (set when its value
    // is shorter than the field) and then one for a field that can be null (set when it is).
    if (visualFoxPro && nullFlagsOffset >= 0) {
        int bit = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            Column& column = columns[i];
            if (column.nativeType == 'V' || column.nativeType == 'Q') column.lengthBit = bit++;
            if (flags[i] & kFieldCanBeNull) column.nullBit = bit++;
        }
    }
    return true;
}

int DbfReader::OpenTable::readRecords(CodePage::TextDecoder& decoder, const CellTextFormat& format,
                                      SheetTable& out) {
    // The header's record count is not to be trusted: count only the records the file holds.
    const qint64 stored = (fileSize - headerLength) / recordLength;
    const qint64 recordsToRead = std::max<qint64>(0, std::min<qint64>(stored, recordCount));

    if (static_cast<std::int64_t>(columns.size()) > kMaxColumns) {
        // Too wide to load: the data set refuses it by its headings' count, so no record is read.
        SheetTable wide;
        wide.headings = std::move(headings);
        wide.fieldTypes.resize(wide.headings.size(), FieldType::String);
        out = std::move(wide);
        return NativeError::None;
    }

    SheetTableBuilder builder;
    builder.declareColumns(std::move(headings));
    std::vector<bool> allWholeInt32(columns.size(), true);
    QByteArray memoBytes;
    // Records may share a memo block: each is read and decoded once.
    std::unordered_map<std::uint64_t, QString> memoTexts;
    std::int32_t row = 0;
    RecordBlocks records(handle.get(), headerLength, recordLength, recordsToRead);
    while (const char* data = records.next()) {
        if (data[0] == kEndOfFile) break;
        if (data[0] == kDeletedFlag) continue;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Column& column = columns[i];
            if (bitSet(data, column.nullBit)) continue;
            const char* field = data + column.offset;
            const auto c = static_cast<std::int32_t>(i);
            switch (column.kind) {
                case ColumnKind::Text:
                case ColumnKind::VarText: {
                    int width = column.width;
                    if (bitSet(data, column.lengthBit)) {
                        width =
                            std::min<int>(static_cast<unsigned char>(field[width - 1]), width - 1);
                    }
                    const QByteArrayView raw = trimmedRight(field, width);
                    if (!raw.isEmpty()) builder.addText(row, c, decoder.decode(raw));
                    break;
                }
                case ColumnKind::Number: {
                    double value = 0;
                    const bool ok = parseNumber(trimmedRight(field, column.width).trimmed(), value);
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
                    const char flag = isBlank(field, column.width) ? '?' : field[0];
                    if (flag == 'T' || flag == 't' || flag == 'Y' || flag == 'y') {
                        builder.addBoolean(row, c, true);
                    } else if (flag == 'F' || flag == 'f' || flag == 'N' || flag == 'n') {
                        builder.addBoolean(row, c, false);
                    }
                    break;
                }
                case ColumnKind::Integer:
                    if (!isSpaces(field, column.width)) {
                        builder.addNumber(row, c, qFromLittleEndian<qint32>(field));
                    }
                    break;
                case ColumnKind::Currency:  // ten-thousandths
                    if (!isSpaces(field, column.width)) {
                        builder.addNumber(
                            row, c,
                            static_cast<double>(qFromLittleEndian<qint64>(field)) / 10000.0);
                    }
                    break;
                case ColumnKind::Double: {
                    const auto value = std::bit_cast<double>(qFromLittleEndian<quint64>(field));
                    if (!isSpaces(field, column.width) && std::isfinite(value)) {
                        builder.addNumber(row, c, value);
                    }
                    break;
                }
                case ColumnKind::DateTime: {
                    double days = 0;
                    if (parseDateTime(field, days)) builder.addDate(row, c, days);
                    break;
                }
                case ColumnKind::Memo: {
                    std::uint64_t block = 0;
                    bool isText = true;
                    if (!DbfMemoFile::blockNumber(field, column.width, block)) break;
                    auto known = memoTexts.find(block);
                    if (known == memoTexts.end()) {
                        if (!memo.read(block, memoBytes, isText)) return NativeError::Unreadable;
                        known =
                            memoTexts.emplace(block, isText ? decoder.decode(memoBytes) : QString())
                                .first;
                    }
                    if (!known->second.isEmpty()) builder.addText(row, c, known->second);
                    break;
                }
                case ColumnKind::Unsupported:
                    break;
            }
        }
        ++row;
    }

    std::vector<FieldType> types(columns.size());
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
    // Read once already: from the file again (open() forgets the path first).
    if (!m_table) {
        const QString path = m_path;
        const int code = open(path);
        if (code != NativeError::None) return code;
    }
    // The files close once the table is read: a table is held once, by the reader's caller.
    const std::unique_ptr<OpenTable> table = std::move(m_table);
    CodePage::TextDecoder decoder(m_codePage);
    return table->readRecords(decoder, format, out);
}
