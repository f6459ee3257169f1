#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <cstring>

// Building blocks of a BIFF8 stream: records of a 2-byte id, a 2-byte data size and at most
// 8,224 data bytes, all numbers little-endian.
namespace Biff {

constexpr int kMaxRecordData = 8224;

namespace RecordId {
constexpr std::uint16_t Bof = 0x0809;
constexpr std::uint16_t Eof = 0x000A;
constexpr std::uint16_t CodePage = 0x0042;
constexpr std::uint16_t Window1 = 0x003D;
constexpr std::uint16_t Font = 0x0031;
constexpr std::uint16_t Xf = 0x00E0;
constexpr std::uint16_t Style = 0x0293;
constexpr std::uint16_t BoundSheet = 0x0085;
constexpr std::uint16_t Sst = 0x00FC;
constexpr std::uint16_t Continue = 0x003C;
constexpr std::uint16_t ExtSst = 0x00FF;
constexpr std::uint16_t Dimensions = 0x0200;
constexpr std::uint16_t Window2 = 0x023E;
constexpr std::uint16_t Number = 0x0203;
constexpr std::uint16_t LabelSst = 0x00FD;
}  // namespace RecordId

inline void appendU8(QByteArray& out, std::uint8_t value) {
    out.append(static_cast<char>(value));
}

inline void appendU16(QByteArray& out, std::uint16_t value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

inline void appendU32(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

inline void appendF64(QByteArray& out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    out.append(bytes, 8);
}

inline void putU32(QByteArray& out, qsizetype at, std::uint32_t value) {
    qToLittleEndian(value, out.data() + at);
}

// Appends one record whose data the caller has already composed (at most kMaxRecordData bytes).
inline void appendRecord(QByteArray& out, std::uint16_t id, const QByteArray& data) {
    appendU16(out, id);
    appendU16(out, static_cast<std::uint16_t>(data.size()));
    out.append(data);
}

}  // namespace Biff
