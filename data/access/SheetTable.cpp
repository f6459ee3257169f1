#include "data/access/SheetTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "data/access/CellText.h"

namespace {

constexpr double kSecondsPerDay = 86400.0;

bool isWholeInt32(double value) {
    return value == std::floor(value) && value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

bool dateHasTime(double days) {
    const double seconds = std::round(days * kSecondsPerDay);
    return std::fmod(seconds, kSecondsPerDay) != 0;
}

bool dateIsTimeOnly(double days) {
    const double seconds = std::round(days * kSecondsPerDay);
    return seconds >= 0 && seconds < kSecondsPerDay && seconds != 0;
}

std::uint8_t inferFieldType(const SheetTable& table, std::int32_t column) {
    bool any = false, allWholeInt = true, allNumbers = true, allDates = true,
         allDateOrDateTime = true, allBooleans = true;
    for (std::int32_t row = 0; row < table.rowCount; ++row) {
        const Cell& cell = table.at(row, column);
        if (cell.kind == CellKind::Empty) continue;
        any = true;
        const bool number = cell.kind == CellKind::Number;
        const bool date = cell.kind == CellKind::Date && !dateIsTimeOnly(cell.number);
        allNumbers = allNumbers && number;
        allWholeInt = allWholeInt && number && isWholeInt32(cell.number);
        allDateOrDateTime = allDateOrDateTime && date;
        allDates = allDates && date && !dateHasTime(cell.number);
        allBooleans = allBooleans && cell.kind == CellKind::Boolean;
        if (!allNumbers && !allDateOrDateTime && !allBooleans) break;
    }
    if (!any) return fieldTypeCode(FieldType::String);
    if (allWholeInt) return fieldTypeCode(FieldType::Integer);
    if (allNumbers) return fieldTypeCode(FieldType::Float);
    if (allDates) return fieldTypeCode(FieldType::Date);
    if (allDateOrDateTime) return fieldTypeCode(FieldType::DateTime);
    if (allBooleans) return fieldTypeCode(FieldType::Boolean);
    return fieldTypeCode(FieldType::String);
}

namespace {
// A text of the builder's own (not of the shared pool) is marked in its index until finish().
constexpr std::uint32_t kOwnTextBit = 0x80000000u;
constexpr std::uint32_t kBadPoolIndex = 0x7FFFFFFFu;
}  // namespace

void SheetTableBuilder::reshape(std::int32_t top, std::int32_t height, std::int32_t left,
                                std::int32_t width) {
    if (top == m_top && left == m_left && width == m_width && !m_grid.empty()) {
        m_grid.resize(static_cast<std::size_t>(height) * width);
        m_height = height;
        return;
    }
    std::vector<Cell> grid(static_cast<std::size_t>(height) * width);
    for (std::int32_t r = 0; r < m_height; ++r) {
        const Cell* from = m_grid.data() + static_cast<std::size_t>(r) * m_width;
        Cell* to =
            grid.data() + static_cast<std::size_t>(r + m_top - top) * width + (m_left - left);
        std::copy(from, from + m_width, to);
    }
    m_grid = std::move(grid);
    m_top = top;
    m_height = height;
    m_left = left;
    m_width = width;
}

void SheetTableBuilder::expectRange(std::int32_t firstRow, std::int32_t lastRow,
                                    std::int32_t firstColumn, std::int32_t lastColumn) {
    if (m_cellCount > 0 || firstRow < 0 || firstColumn < 0 || lastRow < firstRow ||
        lastColumn < firstColumn || lastColumn - firstColumn >= kMaxColumns) {
        return;
    }
    m_grid.clear();
    m_height = 0;
    reshape(firstRow, lastRow - firstRow + 1, firstColumn, lastColumn - firstColumn + 1);
}

void SheetTableBuilder::add(std::int32_t row, std::int32_t column, Cell cell, bool ownText) {
    if (row < 0 || column < 0) return;
    if (ownText) cell.text |= kOwnTextBit;
    if (m_cellCount++ == 0) {
        m_firstRow = m_lastRow = row;
        m_firstColumn = m_lastColumn = column;
    } else {
        m_firstRow = std::min(m_firstRow, row);
        m_lastRow = std::max(m_lastRow, row);
        m_firstColumn = std::min(m_firstColumn, column);
        m_lastColumn = std::max(m_lastColumn, column);
    }
    if (m_tooWide) return;
    if (std::int64_t(m_lastColumn) - m_firstColumn >= kMaxColumns) {
        // Too wide to load: keep only the range, so that the data set can refuse the table
        // without the cells ever being laid out.
        m_tooWide = true;
        m_grid = {};
        return;
    }
    if (m_grid.empty() || row < m_top || row >= m_top + m_height || column < m_left ||
        column >= m_left + m_width) {
        // Grow by half again in the direction needed, so that cells coming in any order cost
        // linear time; the columns never past what a table may hold.
        std::int32_t top = m_grid.empty() ? row : m_top;
        std::int32_t bottom = m_grid.empty() ? row : m_top + m_height - 1;
        if (row < top) top = std::max(0, std::min(row, top - m_height / 2));
        if (row > bottom) {
            bottom = static_cast<std::int32_t>(std::max<std::int64_t>(
                row, std::min<std::int64_t>(std::numeric_limits<std::int32_t>::max(),
                                            std::int64_t(bottom) + m_height / 2)));
        }
        std::int32_t left = m_grid.empty() ? column : m_left;
        std::int32_t right = m_grid.empty() ? column : m_left + m_width - 1;
        if (column < left) left = std::max(0, std::min(column, left - m_width / 2));
        if (column > right) right = std::max(column, right + m_width / 2);
        if (right - left >= 2 * kMaxColumns) {
            // Room to grow on both sides of the used range, which is at most kMaxColumns wide.
            left = std::max(0, m_firstColumn - kMaxColumns / 2);
            right = m_lastColumn + kMaxColumns / 2;
        }
        reshape(top, bottom - top + 1, left, right - left + 1);
    }
    m_grid[static_cast<std::size_t>(row - m_top) * m_width + (column - m_left)] = cell;
}

void SheetTableBuilder::addNumber(std::int32_t row, std::int32_t column, double value) {
    add(row, column, {value, 0, CellKind::Number});
}

void SheetTableBuilder::addDate(std::int32_t row, std::int32_t column, double days) {
    add(row, column, {days, 0, CellKind::Date});
}

void SheetTableBuilder::addBoolean(std::int32_t row, std::int32_t column, bool value) {
    add(row, column, {value ? 1.0 : 0.0, 0, CellKind::Boolean});
}

void SheetTableBuilder::addError(std::int32_t row, std::int32_t column, const QString& text) {
    m_texts.push_back(text);
    add(row, column, {0, static_cast<std::uint32_t>(m_texts.size() - 1), CellKind::Error}, true);
}

void SheetTableBuilder::addText(std::int32_t row, std::int32_t column, const QString& text) {
    m_texts.push_back(text);
    add(row, column, {0, static_cast<std::uint32_t>(m_texts.size() - 1), CellKind::Text}, true);
}

void SheetTableBuilder::addSharedText(std::int32_t row, std::int32_t column,
                                      std::uint32_t poolIndex) {
    add(row, column, {0, poolIndex & kOwnTextBit ? kBadPoolIndex : poolIndex, CellKind::Text});
}

SheetTable SheetTableBuilder::finish(std::vector<QString> sharedTexts) {
    SheetTable table;
    if (m_cellCount == 0) return table;

    const std::int32_t columns = m_lastColumn - m_firstColumn + 1;
    if (m_tooWide) {
        table.headings.resize(static_cast<std::size_t>(columns));
        table.fieldTypes.resize(static_cast<std::size_t>(columns));
        m_texts.clear();
        return table;
    }
    table.rowCount = m_lastRow - m_firstRow;  // the first row holds the headings

    const auto sharedCount = static_cast<std::uint32_t>(sharedTexts.size());
    table.texts = std::move(sharedTexts);
    table.texts.reserve(table.texts.size() + m_texts.size());
    for (QString& text : m_texts) table.texts.push_back(std::move(text));
    m_texts.clear();
    const auto ownCount = static_cast<std::uint32_t>(table.texts.size()) - sharedCount;
    auto resolve = [&](Cell& cell) {
        if (cell.kind != CellKind::Text && cell.kind != CellKind::Error) return;
        if (cell.text & kOwnTextBit) {
            const std::uint32_t own = cell.text & ~kOwnTextBit;
            cell.text = own < ownCount ? own + sharedCount : kBadPoolIndex;
        }
        if (cell.text >= sharedCount + ownCount) cell = Cell{};  // an index outside the pool
    };

    // Cut the grid down to the used range in place: every cell moves towards the front.
    const auto width = static_cast<std::size_t>(m_width);
    const std::size_t leftShift = static_cast<std::size_t>(m_firstColumn - m_left);
    std::vector<Cell> headingCells(
        m_grid.begin() + (m_firstRow - m_top) * width + leftShift,
        m_grid.begin() + (m_firstRow - m_top) * width + leftShift + columns);
    for (std::int32_t r = 0; r < table.rowCount; ++r) {
        const std::size_t from =
            static_cast<std::size_t>(m_firstRow + 1 + r - m_top) * width + leftShift;
        const std::size_t to = static_cast<std::size_t>(r) * columns;
        std::copy(m_grid.begin() + from, m_grid.begin() + from + columns, m_grid.begin() + to);
    }
    m_grid.resize(static_cast<std::size_t>(table.rowCount) * columns);
    // A grid grown far past the range gives its spare room back.
    if (m_grid.capacity() > m_grid.size() + m_grid.size() / 4) m_grid.shrink_to_fit();
    table.cells = std::move(m_grid);
    m_grid = {};
    m_cellCount = 0;
    m_width = m_height = 0;
    for (Cell& cell : table.cells) resolve(cell);
    for (Cell& cell : headingCells) resolve(cell);

    table.headings.resize(static_cast<std::size_t>(columns));
    table.fieldTypes.resize(static_cast<std::size_t>(columns));
    const CellTextFormat& format = CellTextFormat::current();
    for (std::int32_t column = 0; column < columns; ++column) {
        QString heading =
            format.render(headingCells[column], fieldTypeCode(FieldType::String), table);
        if (heading.isEmpty()) heading = QStringLiteral("F%1").arg(column + 1);
        table.headings[column] = heading;
        table.fieldTypes[column] = inferFieldType(table, column);
    }
    return table;
}
