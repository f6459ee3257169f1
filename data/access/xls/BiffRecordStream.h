#pragma once

#include <QString>
#include <cstdint>
#include <cstring>
#include <vector>

// Record codes of the workbook stream. Several kinds of cell changed their code between the
// Excel versions; the names say which one a code belongs to where it matters.
namespace BiffCode {
constexpr std::uint16_t Bof2 = 0x0009;
constexpr std::uint16_t Bof3 = 0x0209;
constexpr std::uint16_t Bof4 = 0x0409;
constexpr std::uint16_t Bof = 0x0809;  // Excel 5 and later
constexpr std::uint16_t Eof = 0x000A;
constexpr std::uint16_t FilePass = 0x002F;
constexpr std::uint16_t CodePage = 0x0042;
constexpr std::uint16_t DateMode = 0x0022;  // 1 when dates count from 1904
constexpr std::uint16_t BoundSheet = 0x0085;
constexpr std::uint16_t BundleSheet = 0x008E;  // Excel 4 workbooks
constexpr std::uint16_t Format2 = 0x001E;      // Excel 2 and 3
constexpr std::uint16_t Format = 0x041E;       // Excel 4 and later
constexpr std::uint16_t Xf2 = 0x0043;
constexpr std::uint16_t Xf3 = 0x0243;
constexpr std::uint16_t Xf4 = 0x0443;
constexpr std::uint16_t Xf = 0x00E0;  // Excel 5 and later
constexpr std::uint16_t Sst = 0x00FC;
constexpr std::uint16_t Continue = 0x003C;

// Cells of Excel 2 worksheets: three attribute bytes instead of an XF index.
constexpr std::uint16_t Integer2 = 0x0002;
constexpr std::uint16_t Number2 = 0x0003;
constexpr std::uint16_t Label2 = 0x0004;
constexpr std::uint16_t BoolErr2 = 0x0005;
constexpr std::uint16_t String2 = 0x0007;

// Cells of Excel 3 and later.
constexpr std::uint16_t Formula = 0x0006;  // Excel 2 (attribute layout) and Excel 5 and later
constexpr std::uint16_t Formula3 = 0x0206;
constexpr std::uint16_t Formula4 = 0x0406;
constexpr std::uint16_t Number = 0x0203;
constexpr std::uint16_t Label = 0x0204;
constexpr std::uint16_t BoolErr = 0x0205;
constexpr std::uint16_t String = 0x0207;  // the text result of the formula before it
constexpr std::uint16_t Rk = 0x027E;
constexpr std::uint16_t MulRk = 0x00BD;
constexpr std::uint16_t LabelSst = 0x00FD;
constexpr std::uint16_t RString = 0x00D6;
}  // namespace BiffCode

// Little-endian reads from a buffer whose bounds the caller has checked.
inline std::uint16_t readU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t readU32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline double readF64(const unsigned char* p) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// One record: its code and its body, which lies wholly inside the stream.
struct BiffRecord {
    std::uint16_t code = 0;
    const unsigned char* data = nullptr;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;  // of the record header in the stream
};

// Walks the records of a stream held in memory. A record whose length runs past the end of the
// stream, or a header cut short, marks the stream damaged and ends the walk.
class BiffRecordStream {
public:
    BiffRecordStream(const unsigned char* data, std::uint32_t size, std::uint32_t start = 0)
        : m_data(data), m_size(size), m_position(start <= size ? start : size) {}

    // The next record, or false at the end of the stream or on damage.
    bool next(BiffRecord& record);
    // The record after the current one without moving past it.
    bool peek(BiffRecord& record) const;
    bool damaged() const { return m_damaged; }
    std::uint32_t position() const { return m_position; }

private:
    const unsigned char* m_data;
    std::uint32_t m_size;
    std::uint32_t m_position;
    bool m_damaged = false;
};

// Reads a value spread over a record and the CONTINUE records after it, as long texts and the
// shared-string table are. Plain reads cross from one piece to the next unnoticed; characters do
// not: a piece that begins inside a text starts with a flag byte telling the width of the
// characters that follow.
class ContinuedReader {
public:
    struct Piece {
        const unsigned char* data;
        std::uint32_t size;
    };

    // Collects `first` and every CONTINUE record directly after it from `stream`.
    ContinuedReader(const BiffRecord& first, BiffRecordStream& stream);
    explicit ContinuedReader(std::vector<Piece> pieces) : m_pieces(std::move(pieces)) {}

    bool read(unsigned char* out, std::uint32_t count);
    bool skip(std::uint32_t count);
    bool readU8(std::uint8_t& value) { return read(&value, 1); }
    bool readU16(std::uint16_t& value);
    bool readU32(std::uint32_t& value);
    bool atEnd();
    // The bytes of every piece together.
    std::uint64_t totalSize() const;

    // Reads `count` characters, one or two bytes wide as `wide` says at the start; on a piece
    // boundary the width comes from the next piece's flag byte. Eight-bit characters are the low
    // halves of UTF-16 code units. Appends UTF-16 code units to `out`.
    bool readCharacters(std::uint32_t count, bool wide, QString& out);

private:
    bool nextPiece();

    std::vector<Piece> m_pieces;
    std::size_t m_piece = 0;
    std::uint32_t m_offset = 0;
};
