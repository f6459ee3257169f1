#pragma once

#include <QString>
#include <cstdint>

// Field-type codes of the data access layer, stored per column of a loaded sheet.
enum class FieldType : std::uint8_t {
    String = 1,
    Integer = 3,
    Boolean = 5,
    Float = 6,
    Date = 9,
    DateTime = 11,
    Memo = 16,
};

constexpr std::uint8_t fieldTypeCode(FieldType type) {
    return static_cast<std::uint8_t>(type);
}

// A number column: integer or floating point (the columns Totals sums and the ordering operators
// compare).
constexpr bool isNumberType(FieldType type) {
    return type == FieldType::Integer || type == FieldType::Float;
}

// Whether a number may be a value of an integer column: whole and within 32 bits.
bool fitsIntegerField(double value);

// The name "Check Field Types" shows for a code; empty for codes that show no type.
QString fieldTypeDisplayName(FieldType type);
