#include "data/access/SheetTable.h"

#include <future>
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
// A cache entry with this bit names a text written ahead (Renderer::preparedTexts); pool ids
// never reach it.
constexpr std::uint32_t kPrepared = 0x80000000u;

bool isPoolId(std::uint32_t entry) {
    return (entry & kPrepared) == 0;
}

RenderSettings& renderSettings() {
    static RenderSettings settings;
    return settings;
}

}  // namespace

void setRenderSettings(const RenderSettings& settings) {
    renderSettings() = settings;
}

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
    int key = 0;
    std::uint32_t* id = valueEntry(index, columnType, key);
    if (*id == kNotRendered) {
        pendingCell.text = valueText(format, index, key, columnType);
    } else if (!isPoolId(*id)) {
        pendingCell.text = std::move(preparedTexts[*id & ~kPrepared]);
    }
    return id;
}

std::uint32_t* SheetTable::Renderer::valueEntry(std::uint32_t index, FieldType columnType,
                                                int& key) {
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
    std::vector<std::uint32_t>& ids = valueIds[static_cast<std::size_t>(key)];
    if (ids.empty()) ids.assign(values.kinds.size(), kNotRendered);
    return &ids[index];
}

QString SheetTable::Renderer::valueText(const CellTextFormat& format, std::uint32_t index, int key,
                                        FieldType columnType) const {
    const double value = values.numbers[index];
    switch (key) {
        case BooleanKey:
            return CellTextFormat::booleanText(value != 0);
        case IntegerColumnNumber:
        case OtherNumber:
            return format.numberText(value, columnType);
        default:
            return format.dateValueText(value, columnType);
    }
}

void SheetTable::prepareRows(std::int32_t first, std::int32_t last) {
    Renderer& renderer = *m_renderer;
    // Texts of the last block that no row took (rows rendered out of order) are written again
    // when needed.
    for (const Renderer::PreparedValue& done : renderer.prepared) {
        std::uint32_t& entry = renderer.valueIds[static_cast<std::size_t>(done.key)][done.index];
        if (!isPoolId(entry)) entry = kNotRendered;
    }
    renderer.prepared.clear();
    for (std::size_t column = 0; column < m_columns.size(); ++column) {
        const std::vector<std::uint32_t>& cells = m_columns[column];
        for (std::int32_t row = first; row < last; ++row) {
            const std::uint32_t cell = cells[static_cast<std::size_t>(row)];
            if ((cell & ~CellId::kIndexMask) != CellId::kValue) continue;
            const std::uint32_t index = cell & CellId::kIndexMask;
            if (index >= renderer.values.kinds.size()) continue;
            int key = 0;
            std::uint32_t* id = renderer.valueEntry(index, fieldTypes[column], key);
            if (*id != kNotRendered) continue;
            *id = kPrepared | static_cast<std::uint32_t>(renderer.prepared.size());
            renderer.prepared.push_back({index, key, fieldTypes[column]});
        }
    }
    // Each thread writes its own half of the texts; the pool takes them later, row by row, so
    // that every text gets the id one thread would have given it.
    const std::size_t count = renderer.prepared.size();
    renderer.preparedTexts.assign(count, QString());
    const auto writeTexts = [&renderer](const CellTextFormat& format, std::size_t from,
                                        std::size_t to) {
        for (std::size_t j = from; j < to; ++j) {
            const Renderer::PreparedValue& value = renderer.prepared[j];
            renderer.preparedTexts[j] =
                renderer.valueText(format, value.index, value.key, value.columnType);
        }
    };
    if (renderSettings().threads < 2 || count < renderSettings().parallelFrom) {
        writeTexts(renderer.format, 0, count);
        return;
    }
    const CellTextFormat workerFormat = renderer.format;  // a locale of its own
    auto other =
        std::async(std::launch::async, writeTexts, std::cref(workerFormat), count / 2, count);
    writeTexts(renderer.format, 0, count / 2);
    other.get();
}

std::uint32_t SheetTable::Renderer::render(std::uint32_t cell, FieldType columnType,
                                           TextPool& pool) {
    PendingCell pendingCell{};
    std::uint32_t* id = cacheOf(cell, columnType, pendingCell);
    if (!id) return cell;
    if (!isPoolId(*id)) {
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
    if (row == renderer.preparedRows) {
        renderer.preparedRows = std::min(rowCount, row + std::max(1, renderSettings().blockRows));
        prepareRows(row, renderer.preparedRows);
    }
    // First every cell's text and hash, its pool slot prefetched; then the pool look-ups, whose
    // cache misses have had time to resolve meanwhile.
    m_texts.prepare(m_columns.size());
    renderer.pending.clear();
    for (std::size_t column = 0; column < m_columns.size(); ++column) {
        std::uint32_t& cell = m_columns[column][static_cast<std::size_t>(row)];
        Renderer::PendingCell pendingCell{&cell, nullptr, false, {}, {}, 0};
        std::uint32_t* id = renderer.cacheOf(cell, fieldTypes[column], pendingCell);
        if (!id) continue;
        if (isPoolId(*id)) {
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
        if (!isPoolId(*pendingCell.rendered)) {
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
