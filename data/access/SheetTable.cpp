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
    bool any = false, allWholeInt = true, allNumbers = true, allDates = true, allDateOrDateTime = true,
         allBooleans = true;
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

void SheetTableBuilder::add(std::int32_t row, std::int32_t column, Cell cell, bool ownText) {
    if (row < 0 || column < 0) return;
    m_cells.push_back({row, column, cell, ownText});
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
    add(row, column, {0, poolIndex, CellKind::Text});
}

SheetTable SheetTableBuilder::finish(std::vector<QString> sharedTexts) {
    SheetTable table;
    if (m_cells.empty()) return table;

    std::int32_t firstRow = std::numeric_limits<std::int32_t>::max(), lastRow = -1;
    std::int32_t firstColumn = std::numeric_limits<std::int32_t>::max(), lastColumn = -1;
    for (const Placed& placed : m_cells) {
        firstRow = std::min(firstRow, placed.row);
        lastRow = std::max(lastRow, placed.row);
        firstColumn = std::min(firstColumn, placed.column);
        lastColumn = std::max(lastColumn, placed.column);
    }
    const std::int32_t columns = lastColumn - firstColumn + 1;
    if (columns > kMaxColumns) {
        // Too wide to load: keep only the width, so that the data set can refuse the table
        // without the cells ever being laid out.
        table.headings.resize(static_cast<std::size_t>(columns));
        table.fieldTypes.resize(static_cast<std::size_t>(columns));
        m_cells.clear();
        m_texts.clear();
        return table;
    }
    table.rowCount = lastRow - firstRow;  // the first row holds the headings

    const auto sharedCount = static_cast<std::uint32_t>(sharedTexts.size());
    table.texts = std::move(sharedTexts);
    table.texts.reserve(table.texts.size() + m_texts.size());
    for (QString& text : m_texts) table.texts.push_back(std::move(text));

    std::vector<Cell> headingCells(static_cast<std::size_t>(columns));
    table.cells.assign(static_cast<std::size_t>(table.rowCount) * columns, Cell{});
    for (const Placed& placed : m_cells) {
        Cell cell = placed.cell;
        if (cell.kind == CellKind::Text || cell.kind == CellKind::Error) {
            if (placed.ownText) {
                cell.text += sharedCount;
            } else if (cell.text >= sharedCount) {
                cell = Cell{};  // an index outside the pool: the reader reports such damage
            }
        }
        const std::size_t column = static_cast<std::size_t>(placed.column - firstColumn);
        if (placed.row == firstRow) {
            headingCells[column] = cell;
        } else {
            const std::size_t row = static_cast<std::size_t>(placed.row - firstRow - 1);
            table.cells[row * columns + column] = cell;
        }
    }
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_texts.clear();

    table.headings.resize(static_cast<std::size_t>(columns));
    table.fieldTypes.resize(static_cast<std::size_t>(columns));
    const CellTextFormat& format = CellTextFormat::current();
    for (std::int32_t column = 0; column < columns; ++column) {
        QString heading = format.render(headingCells[column], fieldTypeCode(FieldType::String), table);
        if (heading.isEmpty()) heading = QStringLiteral("F%1").arg(column + 1);
        table.headings[column] = heading;
        table.fieldTypes[column] = inferFieldType(table, column);
    }
    return table;
}
