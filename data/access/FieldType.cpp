#include "data/access/FieldType.h"

QString fieldTypeDisplayName(std::uint8_t code) {
    switch (static_cast<FieldType>(code)) {
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
