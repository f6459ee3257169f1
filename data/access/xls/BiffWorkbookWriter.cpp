#include "data/access/xls/BiffWorkbookWriter.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "data/access/xls/BiffRecord.h"

namespace {

using namespace Biff;

constexpr std::uint16_t kBuildId = 0x0DBB;
constexpr std::uint16_t kBuildYear = 0x07CC;
constexpr int kFontCount = 4;
constexpr int kStyleXfCount = 16;
constexpr std::uint16_t kCellXf = kStyleXfCount;  // the one cell XF follows the style XFs
constexpr qsizetype kMinStreamSize = 4096;

void appendBof(QByteArray& out, std::uint16_t substream) {
    QByteArray data;
    appendU16(data, BiffValue::Excel97Version);
    appendU16(data, substream);
    appendU16(data, kBuildId);
    appendU16(data, kBuildYear);
    appendU32(data, 0);  // file history flags
    appendU32(data, 6);  // lowest BIFF version that can read all records
    appendRecord(out, BiffCode::Bof, data);
}

void appendEof(QByteArray& out) {
    appendRecord(out, BiffCode::Eof, {});
}

// A short string: 1-byte character count, flags, characters (Latin-1 when they all fit).
void appendShortString(QByteArray& out, const QString& text) {
    const bool wide =
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; });
    appendU8(out, static_cast<std::uint8_t>(text.size()));
    appendU8(out, wide ? 1 : 0);
    for (const QChar c : text) {
        if (wide) {
            appendU16(out, c.unicode());
        } else {
            appendU8(out, static_cast<std::uint8_t>(c.unicode()));
        }
    }
}

void appendWindow1(QByteArray& out) {
    QByteArray data;
    appendU16(data, 0x0168);  // window position and size, in twips
    appendU16(data, 0x010E);
    appendU16(data, 0x3A5C);
    appendU16(data, 0x23BE);
    appendU16(data, 0x0038);  // horizontal and vertical scroll bars, sheet tabs
    appendU16(data, 0);       // active sheet
    appendU16(data, 0);       // first visible tab
    appendU16(data, 1);       // selected sheets
    appendU16(data, 0x0258);  // tab bar width ratio, in 1/1000
    appendRecord(out, BiffCode::Window1, data);
}

void appendFont(QByteArray& out) {
    QByteArray data;
    appendU16(data, 200);     // height, in 1/20 point: 10 pt
    appendU16(data, 0);       // attributes
    appendU16(data, 0x7FFF);  // automatic colour
    appendU16(data, 400);     // normal weight
    appendU16(data, 0);       // no super- or subscript
    appendU8(data, 0);        // no underline
    appendU8(data, 0);        // font family
    appendU8(data, 0);        // character set
    appendU8(data, 0);
    appendShortString(data, QStringLiteral("Arial"));
    appendRecord(out, BiffCode::Font, data);
}

// Style XFs name no parent (0xFFF) and set the style bit; the cell XF's parent is style XF 0.
void appendXf(QByteArray& out, bool style) {
    QByteArray data;
    appendU16(data, 0);                        // font 0
    appendU16(data, 0);                        // number format 0, "General"
    appendU16(data, style ? 0xFFF5 : 0x0001);  // locked; style bit and parent
    appendU8(data, 0x20);                      // aligned to the bottom
    appendU8(data, 0);                         // no rotation
    appendU8(data, 0);                         // no indent
    appendU8(data, 0);                         // attributes taken from the parent
    appendU32(data, 0);                        // no borders
    appendU32(data, 0);
    appendU16(data, 0x20C0);  // pattern colours: automatic
    appendRecord(out, BiffCode::Xf, data);
}

void appendStyle(QByteArray& out) {
    QByteArray data;
    appendU16(data, 0x8000);  // a built-in style on XF 0
    appendU8(data, 0);        // "Normal"
    appendU8(data, 0xFF);     // no outline level
    appendRecord(out, BiffCode::Style, data);
}

// Returns the position of the field that must receive the sheet's BOF position.
qsizetype appendBoundSheet(QByteArray& out, const QString& name) {
    QByteArray data;
    appendU32(data, 0);  // patched once the sheet's position is known
    appendU16(data, 0);  // visible worksheet
    appendShortString(data, name);
    const qsizetype at = out.size() + 4;
    appendRecord(out, BiffCode::BoundSheet, data);
    return at;
}

void appendDimensions(QByteArray& out, int lastRow, int lastColumn) {
    QByteArray data;
    appendU32(data, 0);                                        // first row
    appendU32(data, static_cast<std::uint32_t>(lastRow + 1));  // last row + 1
    appendU16(data, 0);                                        // first column
    appendU16(data, static_cast<std::uint16_t>(lastColumn + 1));
    appendU16(data, 0);
    appendRecord(out, BiffCode::Dimensions, data);
}

void appendWindow2(QByteArray& out) {
    QByteArray data;
    // Grid lines, headers, zeros, automatic grid colour, outline symbols; selected and shown.
    appendU16(data, 0x06B6);
    appendU16(data, 0);   // top row
    appendU16(data, 0);   // left column
    appendU32(data, 64);  // grid line colour: automatic
    appendU16(data, 0);   // zoom factors: default
    appendU16(data, 0);
    appendU32(data, 0);
    appendRecord(out, BiffCode::Window2, data);
}

}  // namespace

BiffWorkbookWriter::BiffWorkbookWriter(const QString& sheetName) : m_sheetName(sheetName) {}

void BiffWorkbookWriter::noteCell(int row, int column) {
    m_lastRow = std::max(m_lastRow, row);
    m_lastColumn = std::max(m_lastColumn, column);
}

// A cell record: its header, row, column and XF; the value's `valueSize` bytes follow.
char* BiffWorkbookWriter::cellRecord(std::uint16_t code, int valueSize, int row, int column) {
    noteCell(row, column);
    char* record = m_cells.extend(10 + valueSize);
    qToLittleEndian(code, record);
    qToLittleEndian(static_cast<std::uint16_t>(6 + valueSize), record + 2);
    qToLittleEndian(static_cast<std::uint16_t>(row), record + 4);
    qToLittleEndian(static_cast<std::uint16_t>(column), record + 6);
    qToLittleEndian(kCellXf, record + 8);
    return record + 10;
}

void BiffWorkbookWriter::addNumber(int row, int column, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, cellRecord(BiffCode::Number, 8, row, column));
}

void BiffWorkbookWriter::addText(int row, int column, QStringView text) {
    const std::uint32_t index = m_strings.add(text);
    qToLittleEndian(index, cellRecord(BiffCode::LabelSst, 4, row, column));
}

bool BiffWorkbookWriter::writeStream(const Sink& sink) const {
    QByteArray globals;
    appendBof(globals, BiffValue::GlobalsSubstream);
    {
        QByteArray data;
        appendU16(data, BiffValue::Utf16CodePage);
        appendRecord(globals, BiffCode::CodePage, data);
    }
    appendWindow1(globals);
    for (int i = 0; i < kFontCount; ++i) appendFont(globals);
    for (int i = 0; i < kStyleXfCount; ++i) appendXf(globals, true);
    appendXf(globals, false);
    appendStyle(globals);
    const qsizetype sheetPositionField = appendBoundSheet(globals, m_sheetName);
    const BiffSharedStrings::Layout strings = m_strings.layOut();
    const qint64 stringsPosition = globals.size();

    QByteArray sheetStart;
    appendEof(sheetStart);
    const qint64 sheetPosition = stringsPosition + strings.size + sheetStart.size();
    putU32(globals, sheetPositionField, static_cast<std::uint32_t>(sheetPosition));
    appendBof(sheetStart, BiffValue::WorksheetSubstream);
    appendDimensions(sheetStart, m_lastRow, m_lastColumn);

    QByteArray sheetEnd;
    appendWindow2(sheetEnd);
    appendEof(sheetEnd);
    const qint64 size = sheetPosition + (sheetStart.size() - 4) + m_cells.size() + sheetEnd.size();
    if (size < kMinStreamSize) sheetEnd.append(kMinStreamSize - size, '\0');

    return sink(globals.constData(), globals.size()) &&
           m_strings.writeRecords(strings, stringsPosition, sink) &&
           sink(sheetStart.constData(), sheetStart.size()) &&
           m_cells.forEachBlock(sink) && sink(sheetEnd.constData(), sheetEnd.size());
}

QByteArray BiffWorkbookWriter::workbookStream() const {
    QByteArray stream;
    writeStream([&](const char* data, qsizetype size) {
        stream.append(data, size);
        return true;
    });
    return stream;
}
