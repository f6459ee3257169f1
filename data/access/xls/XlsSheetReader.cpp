#include "data/access/xls/XlsSheetReader.h"

#include <algorithm>
#include <climits>

#include "data/access/DateFormats.h"
#include "data/access/NativeError.h"
#include "data/access/xls/BiffRecordStream.h"
#include "data/access/xls/BiffText.h"

namespace {

// Row and column come first in every cell record; then an XF index (2 bytes) or, in Excel 2
// cells, three attribute bytes whose second holds the number format in its low six bits.
constexpr std::uint32_t kCellHeader = 6;
constexpr std::uint32_t kCellHeader2 = 7;
constexpr std::uint8_t kFormatBits = 0x3F;
// A formula's 8-byte result holds a double unless its last two bytes are 0xFFFF; then its
// first byte says what the result is.
constexpr std::uint16_t kSpecialResult = 0xFFFF;
enum ResultType : std::uint8_t { StringResult = 0, BooleanResult = 1, ErrorResult = 2 };
constexpr std::uint32_t kMulRkEntry = 6;

bool isBof(std::uint16_t code) {
    return code == BiffCode::Bof2 || code == BiffCode::Bof3 || code == BiffCode::Bof4 ||
           code == BiffCode::Bof;
}

double rkValue(std::uint32_t rk) {
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

class SheetParser {
public:
    SheetParser(const WorkbookStream& stream, const XlsWorkbookGlobals& globals,
                SheetTableBuilder& builder)
        : m_globals(globals),
          m_builder(builder),
          m_decoder(globals.codePage),
          m_data(reinterpret_cast<const unsigned char*>(stream.bytes.constData())),
          m_size(static_cast<std::uint32_t>(stream.bytes.size())) {}

    int parse(std::uint32_t offset);

private:
    int handle(const BiffRecord& record, BiffRecordStream& records);
    void measure(std::uint32_t offset);
    void addNumber(int row, int column, double value, bool isDate) {
        double days = 0;
        if (isDate && DateFormats::serialToDays(value, m_globals.dates1904, days)) {
            m_builder.addDate(row, column, days);
        } else {
            m_builder.addNumber(row, column, value);
        }
    }
    void addBoolErr(int row, int column, std::uint8_t value, bool isError) {
        if (isError) {
            m_builder.addError(row, column, errorText(value));
        } else {
            m_builder.addBoolean(row, column, value != 0);
        }
    }
    bool isDateFormat2(const unsigned char* attributes) const {
        return m_globals.dateFormat[attributes[1] & kFormatBits];
    }
    bool readByteText(const unsigned char* data, std::uint32_t size, int lengthBytes, QString& out);
    void addFormula(int row, int column, const unsigned char* result, bool isDate);

    const XlsWorkbookGlobals& m_globals;
    SheetTableBuilder& m_builder;
    ByteTextDecoder m_decoder;
    const unsigned char* m_data;
    std::uint32_t m_size;
    // A formula whose text result comes in the STRING record after it.
    bool m_awaitingString = false;
    int m_stringRow = 0;
    int m_stringColumn = 0;
};

bool SheetParser::readByteText(const unsigned char* data, std::uint32_t size, int lengthBytes,
                               QString& out) {
    if (size < static_cast<std::uint32_t>(lengthBytes)) return false;
    const std::uint32_t length = lengthBytes == 1 ? data[0] : readU16(data);
    if (size - lengthBytes < length) return false;
    out = m_decoder.decode(data + lengthBytes, length);
    return true;
}

void SheetParser::addFormula(int row, int column, const unsigned char* result, bool isDate) {
    m_awaitingString = false;
    if (readU16(result + 6) != kSpecialResult) {
        addNumber(row, column, readF64(result), isDate);
        return;
    }
    switch (result[0]) {
        case StringResult:
            m_awaitingString = true;
            m_stringRow = row;
            m_stringColumn = column;
            break;
        case BooleanResult:
            addBoolErr(row, column, result[2], false);
            break;
        case ErrorResult:
            addBoolErr(row, column, result[2], true);
            break;
        default:  // an empty text, or a kind we do not know: the cell shows nothing
            break;
    }
}

int SheetParser::handle(const BiffRecord& record, BiffRecordStream& records) {
    const unsigned char* d = record.data;
    const std::uint32_t size = record.size;
    const bool unicode = m_globals.biffVersion >= 8;
    // Every cell record starts with its row and column.
    if (size < 4) return NativeError::None;
    const int row = readU16(d);
    const int column = readU16(d + 2);

    switch (record.code) {
        // Excel 2 cells.
        case BiffCode::Integer2:
            if (size >= kCellHeader2 + 2) {
                addNumber(row, column, readU16(d + kCellHeader2), isDateFormat2(d + 4));
            }
            break;
        case BiffCode::Number2:
            if (size >= kCellHeader2 + 8) {
                addNumber(row, column, readF64(d + kCellHeader2), isDateFormat2(d + 4));
            }
            break;
        case BiffCode::BoolErr2:
            if (size >= kCellHeader2 + 2) {
                addBoolErr(row, column, d[kCellHeader2], d[kCellHeader2 + 1] != 0);
            }
            break;
        case BiffCode::Label2: {
            QString text;
            if (!readByteText(d + kCellHeader2, size - std::min(size, kCellHeader2), 1, text)) {
                return NativeError::Unreadable;
            }
            m_builder.addText(row, column, std::move(text));
            break;
        }

        // Excel 3 and later.
        case BiffCode::Number:
            if (size >= kCellHeader + 8) {
                addNumber(row, column, readF64(d + kCellHeader),
                          m_globals.isDateXf(readU16(d + 4)));
            }
            break;
        case BiffCode::Rk:
            if (size >= kCellHeader + 4) {
                addNumber(row, column, rkValue(readU32(d + kCellHeader)),
                          m_globals.isDateXf(readU16(d + 4)));
            }
            break;
        case BiffCode::MulRk: {
            // Row, first column, then an XF index and an RK value per cell, then the last column.
            if (size < 6) break;
            const std::uint32_t count = (size - 6) / kMulRkEntry;
            for (std::uint32_t i = 0; i < count; ++i) {
                const unsigned char* entry = d + 4 + i * kMulRkEntry;
                addNumber(row, column + static_cast<int>(i), rkValue(readU32(entry + 2)),
                          m_globals.isDateXf(readU16(entry)));
            }
            break;
        }
        case BiffCode::BoolErr:
            if (size >= kCellHeader + 2) {
                addBoolErr(row, column, d[kCellHeader], d[kCellHeader + 1] != 0);
            }
            break;
        case BiffCode::LabelSst: {
            if (size < kCellHeader + 4) break;
            const std::uint32_t index = readU32(d + kCellHeader);
            if (index >= m_globals.sharedStrings->size()) return NativeError::Unreadable;
            m_builder.addSharedText(row, column, index);
            break;
        }
        case BiffCode::Label:
        case BiffCode::RString: {
            QString text;
            if (unicode) {
                if (size < kCellHeader) return NativeError::Unreadable;
                ContinuedReader reader(ContinuedReader::Piece{d + kCellHeader, size - kCellHeader});
                if (!BiffText::readUnicode(reader, 2, text)) return NativeError::Unreadable;
            } else if (!readByteText(d + kCellHeader, size - std::min(size, kCellHeader), 2,
                                     text)) {
                return NativeError::Unreadable;
            }
            m_builder.addText(row, column, std::move(text));
            break;
        }
        case BiffCode::Formula:
            if (m_globals.biffVersion == 2) {
                if (size >= kCellHeader2 + 8) {
                    addFormula(row, column, d + kCellHeader2, isDateFormat2(d + 4));
                }
                break;
            }
            [[fallthrough]];
        case BiffCode::Formula3:
        case BiffCode::Formula4:
            if (size >= kCellHeader + 8) {
                addFormula(row, column, d + kCellHeader, m_globals.isDateXf(readU16(d + 4)));
            }
            break;
        default:
            break;
    }
    return NativeError::None;
}

// Finds the rows and columns that the sheet's value cells occupy, so that the table's grid
// is made once at its size. Only record headers and positions are looked at.
void SheetParser::measure(std::uint32_t offset) {
    BiffRecordStream records(m_data, m_size, offset);
    BiffRecord record;
    if (!records.next(record)) return;
    int nested = 0;
    std::int32_t top = INT32_MAX, bottom = -1, left = INT32_MAX, right = -1;
    while (records.next(record)) {
        if (isBof(record.code)) ++nested;
        if (record.code == BiffCode::Eof && nested-- == 0) break;
        if (nested > 0 || record.size < 4) continue;
        std::int32_t last = readU16(record.data + 2);
        switch (record.code) {
            case BiffCode::MulRk:
                last += record.size >= 6
                            ? static_cast<std::int32_t>((record.size - 6) / kMulRkEntry) - 1
                            : 0;
                break;
            case BiffCode::Integer2:
            case BiffCode::Number2:
            case BiffCode::Label2:
            case BiffCode::BoolErr2:
            case BiffCode::Formula:
            case BiffCode::Formula3:
            case BiffCode::Formula4:
            case BiffCode::Number:
            case BiffCode::Label:
            case BiffCode::BoolErr:
            case BiffCode::Rk:
            case BiffCode::LabelSst:
            case BiffCode::RString:
                break;
            default:
                continue;
        }
        const std::int32_t row = readU16(record.data), column = readU16(record.data + 2);
        top = std::min(top, row);
        bottom = std::max(bottom, row);
        left = std::min(left, column);
        right = std::max(right, last);
    }
    if (bottom >= 0) m_builder.expectRange(top, bottom, left, right);
}

int SheetParser::parse(std::uint32_t offset) {
    measure(offset);
    BiffRecordStream records(m_data, m_size, offset);
    BiffRecord record;
    if (!records.next(record) || !isBof(record.code)) return NativeError::Unreadable;
    int nested = 0;  // substreams inside the sheet, such as embedded charts
    while (records.next(record)) {
        if (isBof(record.code)) {
            ++nested;
            continue;
        }
        if (record.code == BiffCode::Eof) {
            if (nested == 0) return NativeError::None;
            --nested;
            continue;
        }
        if (nested > 0) continue;
        if (record.code == BiffCode::String || record.code == BiffCode::String2) {
            // The text result of the formula before; long ones go on in CONTINUE records.
            QString text;
            if (record.code == BiffCode::String2) {
                if (!readByteText(record.data, record.size, 1, text))
                    return NativeError::Unreadable;
            } else if (m_globals.biffVersion >= 8) {
                ContinuedReader reader(record, records);
                if (!BiffText::readUnicode(reader, 2, text)) return NativeError::Unreadable;
            } else if (!readByteText(record.data, record.size, 2, text)) {
                return NativeError::Unreadable;
            }
            if (m_awaitingString) m_builder.addText(m_stringRow, m_stringColumn, std::move(text));
            m_awaitingString = false;
            continue;
        }
        const int code = handle(record, records);
        if (code != NativeError::None) return code;
    }
    // The stream ended, or broke, before the sheet's EOF record.
    return NativeError::Unreadable;
}

}  // namespace

QString errorText(std::uint8_t code) {
    switch (code) {
        case 0x00:
            return QStringLiteral("#NULL!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALUE!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NAME?");
        case 0x24:
            return QStringLiteral("#NUM!");
        case 0x2A:
            return QStringLiteral("#N/A");
        case 0x2B:
            return QStringLiteral("#GETTING_DATA");
        default:
            // A code no Excel version writes: still an error, never a number.
            return QStringLiteral("#ERR%1!").arg(code);
    }
}

int readSheetCells(const WorkbookStream& stream, const XlsWorkbookGlobals& globals,
                   const XlsSheetEntry& sheet, SheetTableBuilder& builder) {
    SheetParser parser(stream, globals, builder);
    return parser.parse(sheet.offset);
}
