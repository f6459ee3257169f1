#include "data/access/xls/BiffRecordStream.h"

#include <algorithm>

namespace {
constexpr std::uint32_t kHeaderSize = 4;
}

bool BiffRecordStream::peek(BiffRecord& record) const {
    if (m_damaged || m_size - m_position < kHeaderSize) return false;
    const unsigned char* header = m_data + m_position;
    const std::uint32_t size = ::readU16(header + 2);
    if (m_size - m_position - kHeaderSize < size) return false;
    record.code = ::readU16(header);
    record.data = header + kHeaderSize;
    record.size = size;
    record.offset = m_position;
    return true;
}

bool BiffRecordStream::next(BiffRecord& record) {
    if (m_damaged || m_position == m_size) return false;
    if (!peek(record)) {
        m_damaged = true;
        return false;
    }
    m_position += kHeaderSize + record.size;
    return true;
}

ContinuedReader::ContinuedReader(const BiffRecord& first, BiffRecordStream& stream) {
    m_pieces.push_back({first.data, first.size});
    BiffRecord record;
    while (stream.peek(record) && record.code == BiffCode::Continue) {
        stream.next(record);
        m_pieces.push_back({record.data, record.size});
    }
}

bool ContinuedReader::nextPiece() {
    while (m_piece < m_pieces.size() && m_offset == m_pieces[m_piece].size) {
        if (m_piece + 1 == m_pieces.size()) return false;
        ++m_piece;
        m_offset = 0;
    }
    return m_piece < m_pieces.size();
}

bool ContinuedReader::atEnd() {
    return !nextPiece();
}

bool ContinuedReader::read(unsigned char* out, std::uint32_t count) {
    while (count > 0) {
        if (!nextPiece()) return false;
        const Piece& piece = m_pieces[m_piece];
        const std::uint32_t take = std::min(count, piece.size - m_offset);
        if (out) {
            std::copy_n(piece.data + m_offset, take, out);
            out += take;
        }
        m_offset += take;
        count -= take;
    }
    return true;
}

bool ContinuedReader::skip(std::uint32_t count) {
    return read(nullptr, count);
}

bool ContinuedReader::readU16(std::uint16_t& value) {
    unsigned char bytes[2];
    if (!read(bytes, 2)) return false;
    value = ::readU16(bytes);
    return true;
}

bool ContinuedReader::readU32(std::uint32_t& value) {
    unsigned char bytes[4];
    if (!read(bytes, 4)) return false;
    value = ::readU32(bytes);
    return true;
}

bool ContinuedReader::readCharacters(std::uint32_t count, bool wide, QString& out) {
    while (count > 0) {
        if (m_piece >= m_pieces.size()) return false;
        if (m_offset == m_pieces[m_piece].size) {
            // The text goes on in the next piece, which opens with its own width flag.
            if (m_piece + 1 >= m_pieces.size()) return false;
            ++m_piece;
            m_offset = 0;
            const Piece& piece = m_pieces[m_piece];
            if (piece.size == 0) continue;
            wide = (piece.data[0] & 0x01) != 0;
            m_offset = 1;
            continue;
        }
        const Piece& piece = m_pieces[m_piece];
        const std::uint32_t width = wide ? 2 : 1;
        const std::uint32_t available = (piece.size - m_offset) / width;
        if (available == 0) return false;  // half a character at the end of a piece
        const std::uint32_t take = std::min(count, available);
        const qsizetype start = out.size();
        out.resize(start + take);
        char16_t* dst = reinterpret_cast<char16_t*>(out.data()) + start;
        const unsigned char* src = piece.data + m_offset;
        if (wide) {
            for (std::uint32_t i = 0; i < take; ++i) dst[i] = ::readU16(src + 2 * i);
        } else {
            for (std::uint32_t i = 0; i < take; ++i) dst[i] = src[i];
        }
        m_offset += take * width;
        count -= take;
    }
    return true;
}

std::uint64_t ContinuedReader::totalSize() const {
    std::uint64_t total = 0;
    for (const Piece& piece : m_pieces) total += piece.size;
    return total;
}
