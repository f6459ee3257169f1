#include "data/access/FieldType.h"

#include <cmath>
#include <limits>

bool fitsIntegerField(double value) {
    return value == std::floor(value) && value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

QString fieldTypeDisplayName(FieldType type) {
    switch (type) {
        case FieldType::String:
            return QStringLiteral("Text");
        case FieldType::Integer:
        case FieldType::Float:
            return QStringLiteral("Numeric");
        case FieldType::Date:
        case FieldType::DateTime:
            return QStringLiteral("Date");
        default:
            return {};
    }
}
