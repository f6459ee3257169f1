#include "data/SlotChecks.h"

#include "data/uGlobalData.h"

bool HasRefusedHeading(const clResult& contents) {
    for (const clField& field : contents.Fields) {
        for (const QChar c : RefusedHeadingCharacters) {
            if (field.Name.contains(c)) return true;
        }
    }
    return false;
}

QString FieldNameMessage() {
    return QStringLiteral(
        "Error in field name. It probably contains one of the following "
        "characters: \\ / : * ? \" < > |");
}

ColumnMismatch CompareColumns(const clResult& file1, const clResult& file2) {
    if (file1.FieldCount != file2.FieldCount || file1.Fields.size() != file2.Fields.size()) {
        return ColumnMismatch::Count;
    }
    for (std::size_t i = 0; i < file1.Fields.size(); ++i) {
        if (file1.Fields[i].Name != file2.Fields[i].Name) return ColumnMismatch::Headings;
        if (file1.Fields[i].DataType != file2.Fields[i].DataType) return ColumnMismatch::Types;
    }
    return ColumnMismatch::None;
}

QString ColumnMismatchMessage(ColumnMismatch mismatch) {
    switch (mismatch) {
        case ColumnMismatch::None:
            return {};
        case ColumnMismatch::Count:
            return QStringLiteral("Number of columns does not match");
        case ColumnMismatch::Headings:
            return QStringLiteral("Can't proceed. Column headings in File 1 and  File 2 mismatch!");
        case ColumnMismatch::Types:
            return QStringLiteral("Can't proceed.  Column types in File 1 and File 2 mismatch!");
    }
    return {};
}
