#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// The result grid's cells as texts, held in one row-major block: no object per cell beyond its
// text. Rows and columns count from 0 and include the fixed heading row (row 0) and the fixed
// row-number column (column 0), as the grid shows them. Widths are in twips (15 a pixel).
class GridStore {
public:
    GridStore() { reset(); }

    std::int32_t rows() const { return m_rows; }
    std::int32_t columns() const { return m_columns; }
    // Growing keeps every cell; shrinking keeps the cells that remain.
    void setRows(std::int32_t rows);
    void setColumns(std::int32_t columns);

    const QString& textMatrix(std::int32_t row, std::int32_t column) const;
    void setTextMatrix(std::int32_t row, std::int32_t column, QString text);

    std::int32_t columnWidth(std::int32_t column) const;
    void setColumnWidth(std::int32_t column, std::int32_t twips);

    // Every text emptied; the size stays.
    void clear();
    // The empty grid: 2 rows, 2 columns, no text.
    void reset();

private:
    std::size_t index(std::int32_t row, std::int32_t column) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) +
               static_cast<std::size_t>(column);
    }
    bool contains(std::int32_t row, std::int32_t column) const {
        return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
    }

    std::int32_t m_rows = 0;
    std::int32_t m_columns = 0;
    std::vector<QString> m_cells;
    std::vector<std::int32_t> m_widths;
};
