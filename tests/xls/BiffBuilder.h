#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstring>

// Builds workbook streams record by record, for tests that need a record no real file at hand
// has: strings split in a chosen place, encryption headers, damaged lengths.
namespace Biff {

inline QByteArray u8(int value) {
    return QByteArray(1, static_cast<char>(value));
}
inline QByteArray u16(int value) {
    QByteArray out(2, '\0');
    qToLittleEndian<quint16>(static_cast<quint16>(value), out.data());
    return out;
}
inline QByteArray u32(quint32 value) {
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(value, out.data());
    return out;
}
inline QByteArray f64(double value) {
    quint64 bits;
    std::memcpy(&bits, &value, 8);
    QByteArray out(8, '\0');
    qToLittleEndian<quint64>(bits, out.data());
    return out;
}
inline QByteArray record(int code, const QByteArray& body) {
    return u16(code) + u16(static_cast<int>(body.size())) + body;
}

// Characters as stored: one byte each (compressed) or UTF-16LE.
inline QByteArray chars(const QString& text, bool wide) {
    QByteArray out;
    for (QChar c : text) out += wide ? u16(c.unicode()) : u8(c.unicode() & 0xFF);
    return out;
}
// A Unicode string with a 2-byte (or 1-byte) length and its flags.
inline QByteArray unicode(const QString& text, bool wide = false, int lengthBytes = 2) {
    return (lengthBytes == 1 ? u8(static_cast<int>(text.size()))
                             : u16(static_cast<int>(text.size()))) +
           u8(wide ? 1 : 0) + chars(text, wide);
}

constexpr int kGlobals = 0x0005;
constexpr int kWorksheet = 0x0010;

inline QByteArray bof8(int type) {
    return record(0x0809, u16(0x0600) + u16(type) + u16(0x0DBB) + u16(0x07CC) + u32(0) + u32(6));
}
inline QByteArray bof5(int type) {
    return record(0x0809, u16(0x0500) + u16(type) + u16(0) + u16(0));
}
inline QByteArray eof() {
    return record(0x000A, {});
}

// Cell records of Excel 97 and later: row, column, XF index, value.
inline QByteArray cell(int row, int column, int xf = 15) {
    return u16(row) + u16(column) + u16(xf);
}
inline QByteArray number(int row, int column, double value, int xf = 15) {
    return record(0x0203, cell(row, column, xf) + f64(value));
}
inline QByteArray labelSst(int row, int column, quint32 index) {
    return record(0x00FD, cell(row, column) + u32(index));
}
inline QByteArray label(int row, int column, const QString& text) {
    return record(0x0204, cell(row, column) + unicode(text));
}
inline QByteArray formula(int row, int column, const QByteArray& result, int xf = 15) {
    // Cached result, flags, cache id, then a formula of one token (an integer constant).
    return record(0x0006,
                  cell(row, column, xf) + result + u16(0) + u32(0) + u16(3) + u8(0x1E) + u16(1));
}
inline QByteArray specialResult(int type, int value = 0) {
    return u8(type) + u8(0) + u8(value) + QByteArray(3, '\0') + u16(0xFFFF);
}
inline QByteArray xf(int format) {
    return record(0x00E0, u16(0) + u16(format) + QByteArray(16, '\0'));
}
inline QByteArray format(int index, const QString& code) {
    return record(0x041E, u16(index) + unicode(code));
}

// A workbook of Excel 97 and later: globals (with `globals` inside), then one sheet per entry of
// `sheets`, each {name, kind (0 worksheet, 2 chart), hidden, body records}.
struct Sheet {
    QString name;
    int kind = 0;
    int hidden = 0;
    QByteArray body;
};
inline QByteArray workbook(const QByteArray& globals, const QList<Sheet>& sheets,
                           bool excel5 = false) {
    auto boundSheet = [&](const Sheet& sheet, quint32 offset) {
        const QByteArray name =
            excel5 ? u8(static_cast<int>(sheet.name.size())) + sheet.name.toLatin1()
                   : unicode(sheet.name, true, 1);
        return record(0x0085, u32(offset) + u8(sheet.hidden) + u8(sheet.kind) + name);
    };
    QByteArray head = (excel5 ? bof5(kGlobals) : bof8(kGlobals)) + globals;
    int directory = 0;
    for (const Sheet& sheet : sheets) directory += boundSheet(sheet, 0).size();
    quint32 offset = static_cast<quint32>(head.size() + directory + eof().size());
    QByteArray bodies;
    for (const Sheet& sheet : sheets) {
        head += boundSheet(sheet, offset);
        const QByteArray stream =
            (excel5 ? bof5(kWorksheet) : bof8(kWorksheet)) + sheet.body + eof();
        bodies += stream;
        offset += static_cast<quint32>(stream.size());
    }
    return head + eof() + bodies;
}
// The usual case: one worksheet "Sheet1" with `cells`, and a table of XF records in which XF 15
// is the default cell format (General), as in files Excel writes.
inline QByteArray defaultXfs() {
    QByteArray out;
    for (int i = 0; i < 16; ++i) out += xf(0);
    return out;
}
inline QByteArray oneSheet(const QByteArray& cells, const QByteArray& globals = {}) {
    return workbook(defaultXfs() + globals, {{QStringLiteral("Sheet1"), 0, 0, cells}});
}

}  // namespace Biff
