#include "data/access/SheetTableBuilder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include <QRandomGenerator>

namespace {

std::uint64_t bitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::size_t valueHash(ValueKind kind, std::uint64_t bits) {
    // Seeded per run, so that no file can be made to collide on purpose.
    static const std::uint64_t seed = QRandomGenerator::global()->generate64();
    std::uint64_t key = (bits ^ seed) ^ (static_cast<std::uint64_t>(kind) << 61);
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    return static_cast<std::size_t>(key);
}

}  // namespace

SheetTableBuilder::SheetTableBuilder(std::shared_ptr<const TextList> sharedTexts)
    : m_sharedTexts(std::move(sharedTexts)) {}

SheetTableBuilder::~SheetTableBuilder() = default;

void SheetTableBuilder::growValueIndex() {
    std::vector<ValueSlot> table(std::max<std::size_t>(1024, m_valueSlots.size() * 2));
    const std::size_t mask = table.size() - 1;
    for (const ValueSlot& used : m_valueSlots) {
        if (used.entry == 0) continue;
        std::size_t slot = used.hash & mask;
        while (table[slot].entry != 0) slot = (slot + 1) & mask;
        table[slot] = used;
    }
    m_valueSlots = std::move(table);
}

std::uint32_t SheetTableBuilder::valueCell(ValueKind kind, std::uint64_t bits, std::size_t hash) {
    if ((m_values.kinds.size() + 1) * 4 > m_valueSlots.size() * 3) growValueIndex();
    const std::size_t mask = m_valueSlots.size() - 1;
    const std::uint32_t kindBits = static_cast<std::uint32_t>(kind) << 30;
    const auto hash32 = static_cast<std::uint32_t>(hash);
    for (std::size_t slot = hash32 & mask;; slot = (slot + 1) & mask) {
        ValueSlot& used = m_valueSlots[slot];
        if (used.entry == 0) {
            const auto index = static_cast<std::uint32_t>(m_values.kinds.size());
            double value;
            std::memcpy(&value, &bits, sizeof value);
            m_values.numbers.push_back(value);
            m_values.kinds.push_back(kind);
            used = {hash32, kindBits | (index + 1)};
            return CellId::kValue | index;
        }
        if (used.hash == hash32 && (used.entry & ~CellId::kIndexMask) == kindBits) {
            const std::uint32_t index = (used.entry & CellId::kIndexMask) - 1;
            if (bitsOf(m_values.numbers[index]) == bits) return CellId::kValue | index;
        }
    }
}

void SheetTableBuilder::queue(QueuedCell cell) {
    if (m_queued == kQueueLength) placeOldest();
    m_queue[(m_queueHead + m_queued++) % kQueueLength] = std::move(cell);
}

void SheetTableBuilder::placeOldest() {
    QueuedCell& oldest = m_queue[m_queueHead];
    m_queueHead = (m_queueHead + 1) % kQueueLength;
    --m_queued;
    std::uint32_t cell = oldest.cell;
    if (oldest.what == Queued::Value) cell = valueCell(oldest.kind, oldest.bits, oldest.cell);
    if (oldest.what == Queued::Text) {
        cell = CellId::kText | m_texts.intern(oldest.text, oldest.cell);
        oldest.text = QString();
    }
    add(oldest.row, oldest.column, cell);
}

void SheetTableBuilder::placeAll() {
    while (m_queued > 0) placeOldest();
}

void SheetTableBuilder::addValue(std::int32_t row, std::int32_t column, ValueKind kind,
                                 double value) {
    const std::uint64_t bits = bitsOf(value);
    const std::size_t hash = valueHash(kind, bits);
    if (!m_valueSlots.empty()) __builtin_prefetch(&m_valueSlots[hash & (m_valueSlots.size() - 1)]);
    queue({row, column, static_cast<std::uint32_t>(hash), Queued::Value, kind, bits, {}});
}

void SheetTableBuilder::addNumber(std::int32_t row, std::int32_t column, double value) {
    addValue(row, column, ValueKind::Number, value);
}

void SheetTableBuilder::addDate(std::int32_t row, std::int32_t column, double days) {
    addValue(row, column, ValueKind::Date, days);
}

void SheetTableBuilder::addBoolean(std::int32_t row, std::int32_t column, bool value) {
    addValue(row, column, ValueKind::Boolean, value ? 1.0 : 0.0);
}

void SheetTableBuilder::addText(std::int32_t row, std::int32_t column, QString text) {
    if (text.isEmpty()) {
        queue({row, column, CellId::kEmptyText, Queued::Placed, {}, 0, {}});
        return;
    }
    const std::uint32_t hash = TextPool::hashOf(text);
    m_texts.prefetch(hash);
    queue({row, column, hash, Queued::Text, {}, 0, std::move(text)});
}

void SheetTableBuilder::addSharedText(std::int32_t row, std::int32_t column,
                                      std::uint32_t sharedIndex) {
    const bool known = m_sharedTexts && sharedIndex < m_sharedTexts->size();
    queue({row,
           column,
           known ? CellId::kSharedText | sharedIndex : CellId::kText,
           Queued::Placed,
           {},
           0,
           {}});
}

void SheetTableBuilder::expectRange(std::int32_t firstRow, std::int32_t lastRow,
                                    std::int32_t firstColumn, std::int32_t lastColumn) {
    if (cellCount() > 0 || m_declared || firstRow < 0 || firstColumn < 0 || lastRow < firstRow ||
        lastColumn < firstColumn || lastColumn - firstColumn >= kMaxColumns) {
        return;
    }
    m_top = firstRow;
    m_left = firstColumn;
    m_expectedHeight = static_cast<std::size_t>(lastRow - firstRow) + 1;
    m_columns.resize(static_cast<std::size_t>(lastColumn - firstColumn) + 1);
}

void SheetTableBuilder::declareColumns(std::vector<QString> headings) {
    m_declared = true;
    m_declaredHeadings = std::move(headings);
    m_columns.assign(m_declaredHeadings.size(), {});
    m_top = m_left = 0;
}

void SheetTableBuilder::declareFieldTypes(std::vector<FieldType> codes) {
    m_declaredTypes = std::move(codes);
}

void SheetTableBuilder::declareRowCount(std::int32_t rows) {
    m_declaredRows = rows;
}

void SheetTableBuilder::add(std::int32_t row, std::int32_t column, std::uint32_t cell) {
    if (row < 0 || column < 0) return;
    if (m_declared && static_cast<std::size_t>(column) >= m_columns.size()) return;
    if (m_cellCount++ == 0) {
        m_firstRow = m_lastRow = row;
        m_firstColumn = m_lastColumn = column;
        if (m_columns.empty()) {
            m_top = row;
            m_left = column;
        }
    } else {
        m_firstRow = std::min(m_firstRow, row);
        m_lastRow = std::max(m_lastRow, row);
        m_firstColumn = std::min(m_firstColumn, column);
        m_lastColumn = std::max(m_lastColumn, column);
    }
    if (m_tooWide) return;
    if (std::int64_t(m_lastColumn) - m_firstColumn >= kMaxColumns) {
        // Too wide to load: keep only the range, so that the table can be refused without its
        // cells ever being laid out.
        m_tooWide = true;
        m_columns = {};
        return;
    }
    if (column < m_left) {
        m_columns.insert(m_columns.begin(), static_cast<std::size_t>(m_left - column), {});
        m_left = column;
    }
    if (row < m_top) {
        // Rows above the first one seen: make room above every column, half as much again as
        // is needed so that cells coming upwards cost linear time.
        std::size_t height = 0;
        for (const auto& cells : m_columns) height = std::max(height, cells.size());
        const std::int32_t needed = m_top - row;
        const std::int32_t shift =
            std::min(m_top, std::max<std::int32_t>(needed, static_cast<std::int32_t>(height / 2)));
        for (auto& cells : m_columns) {
            if (!cells.empty()) cells.insert(cells.begin(), static_cast<std::size_t>(shift), 0);
        }
        m_top -= shift;
    }
    const auto index = static_cast<std::size_t>(column - m_left);
    if (index >= m_columns.size()) m_columns.resize(index + 1);
    std::vector<std::uint32_t>& cells = m_columns[index];
    const auto offset = static_cast<std::size_t>(row - m_top);
    if (offset >= cells.size()) {
        if (cells.empty() && m_expectedHeight > offset) cells.reserve(m_expectedHeight);
        cells.resize(offset + 1, CellId::kText);
    }
    cells[offset] = cell;
}

FieldType SheetTableBuilder::inferFieldType(const std::vector<std::uint32_t>& cells) const {
    bool any = false, allWholeInt = true, allNumbers = true, allDates = true,
         allDateOrDateTime = true, allBooleans = true;
    for (const std::uint32_t cell : cells) {
        if (cell == CellId::kText) continue;  // empty
        any = true;
        bool number = false, date = false, boolean = false, wholeInt = false, hasTime = false;
        if ((cell & ~CellId::kIndexMask) == CellId::kValue) {
            const std::uint32_t index = cell & CellId::kIndexMask;
            const double value = m_values.numbers[index];
            switch (m_values.kinds[index]) {
                case ValueKind::Number:
                    number = true;
                    wholeInt = fitsIntegerField(value);
                    break;
                case ValueKind::Date:
                    date = !dateIsTimeOnly(value);
                    hasTime = dateHasTime(value);
                    break;
                case ValueKind::Boolean:
                    boolean = true;
                    break;
            }
        }
        allNumbers = allNumbers && number;
        allWholeInt = allWholeInt && wholeInt;
        allDateOrDateTime = allDateOrDateTime && date;
        allDates = allDates && date && !hasTime;
        allBooleans = allBooleans && boolean;
        if (!allNumbers && !allDateOrDateTime && !allBooleans) break;
    }
    if (!any) return FieldType::String;
    if (allWholeInt) return FieldType::Integer;
    if (allNumbers) return FieldType::Float;
    if (allDates) return FieldType::Date;
    if (allDateOrDateTime) return FieldType::DateTime;
    if (allBooleans) return FieldType::Boolean;
    return FieldType::String;
}

SheetTable SheetTableBuilder::finish(const CellTextFormat& format) {
    placeAll();
    SheetTable table;
    table.m_renderer.reset(
        new SheetTable::Renderer{format, {}, m_sharedTexts, {}, {}, {}, 0, {}, {}, 0});
    SheetTable::Renderer& renderer = *table.m_renderer;

    if (m_declared) {
        table.headings = std::move(m_declaredHeadings);
        const std::size_t columns = table.headings.size();
        table.rowCount = std::max(m_declaredRows, m_cellCount ? m_lastRow + 1 : 0);
        table.fieldTypes = std::move(m_declaredTypes);
        table.fieldTypes.resize(columns, FieldType::String);
        m_columns.resize(columns);
    } else {
        if (m_cellCount == 0) return SheetTable();
        const std::int32_t columns = m_lastColumn - m_firstColumn + 1;
        if (m_tooWide) {
            SheetTable wide;
            wide.headings.resize(static_cast<std::size_t>(columns));
            wide.fieldTypes.resize(static_cast<std::size_t>(columns));
            return wide;
        }
        table.rowCount = m_lastRow - m_firstRow;  // the first row holds the headings
        // Cut every column down to the records of the used range, in place.
        std::vector<std::vector<std::uint32_t>> range(static_cast<std::size_t>(columns));
        std::vector<std::uint32_t> headingCells(static_cast<std::size_t>(columns), CellId::kText);
        const auto headingOffset = static_cast<std::size_t>(m_firstRow - m_top);
        for (std::int32_t c = 0; c < columns; ++c) {
            std::vector<std::uint32_t>& cells =
                m_columns[static_cast<std::size_t>(m_firstColumn - m_left + c)];
            if (headingOffset < cells.size()) {
                headingCells[static_cast<std::size_t>(c)] = cells[headingOffset];
                cells.erase(cells.begin(),
                            cells.begin() + static_cast<std::ptrdiff_t>(headingOffset) + 1);
            } else {
                cells.clear();
            }
            range[static_cast<std::size_t>(c)] = std::move(cells);
        }
        m_columns = std::move(range);
        table.headings.resize(static_cast<std::size_t>(columns));
        table.fieldTypes.resize(static_cast<std::size_t>(columns));
        renderer.values = std::move(m_values);
        for (std::size_t c = 0; c < table.headings.size(); ++c) {
            QString heading =
                m_texts.text(renderer.render(headingCells[c], FieldType::String, m_texts));
            table.headings[c] =
                heading.isEmpty() ? emptyHeadingName(static_cast<std::int32_t>(c)) : heading;
        }
        m_values = std::move(renderer.values);
    }

    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        std::vector<std::uint32_t>& cells = m_columns[c];
        cells.resize(static_cast<std::size_t>(table.rowCount), CellId::kText);
        // A column grown past the range gives its spare room back.
        if (cells.capacity() > cells.size() + cells.size() / 4) cells.shrink_to_fit();
        if (!m_declared) table.fieldTypes[c] = inferFieldType(cells);
    }
    renderer.values = std::move(m_values);
    m_valueSlots = {};
    // Room for every text the rows can still bring, so that the pool's index is made once.
    const std::size_t sharedCount = m_sharedTexts ? m_sharedTexts->size() : 0;
    // A value's text is rarely longer than 24 characters (a date and time, 15 digits).
    m_texts.reserve(
        renderer.values.kinds.size() + std::min(sharedCount, m_cellCount),
        renderer.values.kinds.size() * 24 + (m_sharedTexts ? m_sharedTexts->characterCount() : 0));
    table.m_columns = std::move(m_columns);
    table.m_texts = std::move(m_texts);
    m_cellCount = 0;
    return table;
}
