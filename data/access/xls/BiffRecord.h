#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <cstring>
#include <functional>

#include "data/access/xls/BiffRecordCodes.h"

// Building blocks of a BIFF8 stream: records of a 2-byte id, a 2-byte data size and at most
// 8,224 data bytes, all numbers little-endian.
namespace Biff {

constexpr int kMaxRecordData = 8224;

// Where a stream is written, piece by piece; false when a write failed.
using Sink = std::function<bool(const char* data, qsizetype size)>;

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
