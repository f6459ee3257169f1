#include "processing/GridStore.h"

#include <algorithm>

namespace {
constexpr std::int32_t kDefaultWidth = 960;  // twips: 64 pixels
}

void GridStore::setRows(std::int32_t rows) {
    m_rows = std::max(rows, 0);
    m_cells.resize(static_cast<std::size_t>(m_rows) * static_cast<std::size_t>(m_columns));
}

void GridStore::setColumns(std::int32_t columns) {
    columns = std::max(columns, 0);
    if (columns == m_columns) return;
    std::vector<QString> cells(static_cast<std::size_t>(m_rows) *
                               static_cast<std::size_t>(columns));
    const std::int32_t kept = std::min(columns, m_columns);
    for (std::int32_t row = 0; row < m_rows; ++row) {
        for (std::int32_t column = 0; column < kept; ++column) {
            cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                  static_cast<std::size_t>(column)] = std::move(m_cells[index(row, column)]);
        }
    }
    m_cells = std::move(cells);
    m_columns = columns;
    m_widths.resize(static_cast<std::size_t>(columns), kDefaultWidth);
}

const QString& GridStore::textMatrix(std::int32_t row, std::int32_t column) const {
    static const QString none;
    return contains(row, column) ? m_cells[index(row, column)] : none;
}

void GridStore::setTextMatrix(std::int32_t row, std::int32_t column, QString text) {
    if (contains(row, column)) m_cells[index(row, column)] = std::move(text);
}

std::int32_t GridStore::columnWidth(std::int32_t column) const {
    return column >= 0 && column < m_columns ? m_widths[static_cast<std::size_t>(column)] : 0;
}

void GridStore::setColumnWidth(std::int32_t column, std::int32_t twips) {
    if (column >= 0 && column < m_columns) m_widths[static_cast<std::size_t>(column)] = twips;
}

void GridStore::clear() {
    for (QString& cell : m_cells) cell.clear();
}

void GridStore::reset() {
    m_rows = 2;
    m_columns = 2;
    m_cells.assign(4, QString());
    m_widths.assign(2, kDefaultWidth);
}
