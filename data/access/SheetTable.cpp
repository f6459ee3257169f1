#include "data/access/SheetTable.h"

#include <limits>

namespace {

// How a value is written depends on its kind and on its column's type; each distinct value is
// written at most once for each of these.
enum RenderKey : std::size_t {
    BooleanKey,
    IntegerColumnNumber,
    OtherNumber,
    DateColumnDate,
    DateTimeColumnDate,
    OtherDate,
    RenderKeyCount
};
static_assert(RenderKeyCount == 6);

constexpr std::uint32_t kNotRendered = std::numeric_limits<std::uint32_t>::max();

}  // namespace

QString emptyHeadingName(std::int32_t column) { return QStringLiteral("F%1").arg(column + 1); }


std::uint32_t SheetTable::Renderer::render(std::uint32_t cell, std::uint8_t columnType,
                                           TextPool& pool) {
    const std::uint32_t index = cell & CellId::kIndexMask;
    switch (cell & ~CellId::kIndexMask) {
        case CellId::kText:
        case CellId::kEmptyText:
            return cell == CellId::kEmptyText ? 0 : cell;
        case CellId::kSharedText: {
            if (!sharedTexts || index >= sharedTexts->size()) return 0;
            if (sharedIds.empty()) sharedIds.assign(sharedTexts->size(), kNotRendered);
            std::uint32_t& id = sharedIds[index];
            if (id == kNotRendered) id = pool.intern((*sharedTexts)[index]);
            return id;
        }
        default:
            break;
    }
    if (index >= values.kinds.size()) return 0;
    const double value = values.numbers[index];
    RenderKey key = BooleanKey;
    switch (values.kinds[index]) {
        case ValueKind::Boolean:
            key = BooleanKey;
            break;
        case ValueKind::Number:
            key = columnType == fieldTypeCode(FieldType::Integer) ? IntegerColumnNumber
                                                                  : OtherNumber;
            break;
        case ValueKind::Date:
            key = columnType == fieldTypeCode(FieldType::Date)       ? DateColumnDate
                  : columnType == fieldTypeCode(FieldType::DateTime) ? DateTimeColumnDate
                                                                     : OtherDate;
            break;
    }
    std::vector<std::uint32_t>& ids = valueIds[key];
    if (ids.empty()) ids.assign(values.kinds.size(), kNotRendered);
    std::uint32_t& id = ids[index];
    if (id != kNotRendered) return id;
    switch (key) {
        case BooleanKey:
            id = pool.intern(CellTextFormat::booleanText(value != 0));
            break;
        case IntegerColumnNumber:
        case OtherNumber:
            id = pool.intern(format.numberText(value, columnType));
            break;
        default:
            id = pool.intern(format.dateValueText(value, columnType));
            break;
    }
    return id;
}

SheetTable::SheetTable() = default;
SheetTable::~SheetTable() = default;
SheetTable::SheetTable(SheetTable&&) noexcept = default;
SheetTable& SheetTable::operator=(SheetTable&&) noexcept = default;

std::uint32_t SheetTable::textId(std::int32_t row, std::int32_t column) {
    if (row < 0 || row >= rowCount || column < 0 ||
        static_cast<std::size_t>(column) >= m_columns.size()) {
        return 0;
    }
    std::uint32_t& cell = m_columns[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    if ((cell & ~CellId::kIndexMask) != CellId::kText && m_renderer) {
        cell = m_renderer->render(cell, fieldTypes[static_cast<std::size_t>(column)], m_texts);
    }
    return cell;
}

void SheetTable::renderRow(std::int32_t row) {
    for (std::int32_t column = 0; column < static_cast<std::int32_t>(m_columns.size()); ++column) {
        textId(row, column);
    }
}

std::vector<std::vector<std::uint32_t>> SheetTable::takeColumns() {
    if (m_renderer) {
        for (std::int32_t row = 0; row < rowCount; ++row) renderRow(row);
        m_renderer.reset();
    }
    auto columns = std::move(m_columns);
    m_columns = {};
    return columns;
}

TextPool SheetTable::takeTexts() {
    TextPool texts = std::move(m_texts);
    m_texts = TextPool();
    return texts;
}
