#pragma once

#include <QString>
#include <QVarLengthArray>
#include <cstdint>
#include <cstring>
#include <vector>

#include "data/access/xls/BiffRecordCodes.h"

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
    // One piece alone: a text inside one record.
    explicit ContinuedReader(Piece only) { m_pieces.push_back(only); }

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

    QVarLengthArray<Piece, 4> m_pieces;  // a cell's text reads without an allocation
    qsizetype m_piece = 0;
    std::uint32_t m_offset = 0;
};
