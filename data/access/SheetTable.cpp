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

QString emptyHeadingName(std::int32_t column) {
    return QStringLiteral("F%1").arg(column + 1);
}

std::uint32_t* SheetTable::Renderer::cacheOf(std::uint32_t cell, FieldType columnType,
                                             PendingCell& pendingCell) {
    const std::uint32_t index = cell & CellId::kIndexMask;
    switch (cell & ~CellId::kIndexMask) {
        case CellId::kText:
            return nullptr;
        case CellId::kEmptyText:
            return &emptyText;
        case CellId::kSharedText: {
            if (!sharedTexts || index >= sharedTexts->size()) return &emptyText;
            if (sharedIds.empty()) sharedIds.assign(sharedTexts->size(), kNotRendered);
            std::uint32_t* id = &sharedIds[index];
            if (*id == kNotRendered) {
                pendingCell.isShared = true;
                pendingCell.shared = sharedTexts->at(index);
            }
            return id;
        }
        default:
            break;
    }
    if (index >= values.kinds.size()) return &emptyText;
    const double value = values.numbers[index];
    RenderKey key = BooleanKey;
    switch (values.kinds[index]) {
        case ValueKind::Boolean:
            key = BooleanKey;
            break;
        case ValueKind::Number:
            key = columnType == FieldType::Integer ? IntegerColumnNumber : OtherNumber;
            break;
        case ValueKind::Date:
            key = columnType == FieldType::Date       ? DateColumnDate
                  : columnType == FieldType::DateTime ? DateTimeColumnDate
                                                      : OtherDate;
            break;
    }
    std::vector<std::uint32_t>& ids = valueIds[key];
    if (ids.empty()) ids.assign(values.kinds.size(), kNotRendered);
    std::uint32_t* id = &ids[index];
    if (*id != kNotRendered) return id;
    switch (key) {
        case BooleanKey:
            pendingCell.text = CellTextFormat::booleanText(value != 0);
            break;
        case IntegerColumnNumber:
        case OtherNumber:
            pendingCell.text = format.numberText(value, columnType);
            break;
        default:
            pendingCell.text = format.dateValueText(value, columnType);
            break;
    }
    return id;
}

std::uint32_t SheetTable::Renderer::render(std::uint32_t cell, FieldType columnType,
                                           TextPool& pool) {
    PendingCell pendingCell{};
    std::uint32_t* id = cacheOf(cell, columnType, pendingCell);
    if (!id) return cell;
    if (*id == kNotRendered) {
        *id =
            pendingCell.isShared ? pool.intern(pendingCell.shared) : pool.intern(pendingCell.text);
    }
    return *id;
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
    std::uint32_t& cell =
        m_columns[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    if ((cell & ~CellId::kIndexMask) != CellId::kText && m_renderer) {
        cell = m_renderer->render(cell, fieldTypes[static_cast<std::size_t>(column)], m_texts);
    }
    return cell;
}

void SheetTable::renderRow(std::int32_t row) {
    if (!m_renderer || row < 0 || row >= rowCount) return;
    Renderer& renderer = *m_renderer;
    // First every cell's text and hash, its pool slot prefetched; then the pool look-ups, whose
    // cache misses have had time to resolve meanwhile.
    m_texts.prepare(m_columns.size());
    renderer.pending.clear();
    for (std::size_t column = 0; column < m_columns.size(); ++column) {
        std::uint32_t& cell = m_columns[column][static_cast<std::size_t>(row)];
        Renderer::PendingCell pendingCell{&cell, nullptr, false, {}, {}, 0};
        std::uint32_t* id = renderer.cacheOf(cell, fieldTypes[column], pendingCell);
        if (!id) continue;
        if (*id != kNotRendered) {
            cell = *id;
            continue;
        }
        pendingCell.rendered = id;
        pendingCell.hash = TextPool::hashOf(pendingCell.isShared ? pendingCell.shared
                                                                 : QStringView(pendingCell.text));
        m_texts.prefetch(pendingCell.hash);
        renderer.pending.push_back(std::move(pendingCell));
    }
    for (Renderer::PendingCell& pendingCell : renderer.pending) {
        if (*pendingCell.rendered == kNotRendered) {
            *pendingCell.rendered = pendingCell.isShared
                                        ? m_texts.intern(pendingCell.shared, pendingCell.hash)
                                        : m_texts.intern(pendingCell.text, pendingCell.hash);
        }
        *pendingCell.cell = *pendingCell.rendered;
    }
}

std::vector<std::vector<std::uint32_t>> SheetTable::takeColumns() {
    if (m_renderer) {
        for (std::int32_t row = 0; row < rowCount; ++row) renderRow(row);
        m_renderer.reset();
    }
    auto columns = std::move(m_columns);
    m_columns = {};
    rowCount = 0;
    return columns;
}

TextPool SheetTable::takeTexts() {
    TextPool texts = std::move(m_texts);
    m_texts = TextPool();
    return texts;
}
