#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "data/uGlobalData.h"

// The result grid's cells as texts. Rows and columns count from 0 and include the fixed heading
// row (row 0) and the fixed row-number column (column 0), as the grid shows them. Widths are in
// twips (15 a pixel).
//
// A cell is a 32-bit id, row-major, so a 65,535 x 256 grid costs 4 bytes a cell: the top two bits
// name where the text lives (the grid's own texts, or the texts of up to three loaded sheets,
// shared and not copied), the rest its place there. Writing a text appends it to the grid's own
// texts; they are released by clear and reset.
class GridStore {
public:
    GridStore() { reset(); }

    std::int32_t rows() const { return m_rows; }
    std::int32_t columns() const { return m_columns; }
    // Growing keeps every cell; shrinking keeps the cells that remain.
    void setRows(std::int32_t rows);
    void setColumns(std::int32_t columns);

    // Outside the grid: the empty text (and writing does nothing).
    QString textMatrix(std::int32_t row, std::int32_t column) const;
    void setTextMatrix(std::int32_t row, std::int32_t column, QString text);
    // A text written into many cells: added once, then placed by its id.
    std::uint32_t addText(QString text);
    void setTextId(std::int32_t row, std::int32_t column, std::uint32_t ownId);
    // Column 0 of `row` := the row number; any cell := a whole number. Number texts are made
    // once and shared.
    void setRowNumber(std::int32_t row) { setNumber(row, 0, row); }
    void setNumber(std::int32_t row, std::int32_t column, std::int32_t number);

    // A cell of a loaded sheet, by its id in the sheet's texts: the grid keeps a share of the
    // sheet's texts (up to three sheets at a time) instead of a copy of the text; a fourth
    // sheet's texts are copied.
    void setSheetText(std::int32_t row, std::int32_t column,
                      const std::shared_ptr<const SheetTexts>& texts, std::uint32_t id);

    // Columns 1.. of `row` := every cell of row `sourceRow` of a loaded sheet, as setSheetText.
    void setSheetRow(std::int32_t row, const clResult& contents, std::size_t sourceRow);

    std::int32_t columnWidth(std::int32_t column) const;
    void setColumnWidth(std::int32_t column, std::int32_t twips);

    // Every text emptied, bold cells too; the size stays.
    void clear();
    // The empty grid: 2 rows, 2 columns, no text, the selection at row 1, column 1.
    void reset();

    // Moves whole rows: row first + i takes what row order[i] held (each of first ..
    // first + order.size() - 1 once).
    void permuteRows(std::int32_t first, const std::vector<std::int32_t>& order);

    // The selected range: rows Row..RowSel, columns Col..ColSel (either end may be the lower).
    std::int32_t Row = 1;
    std::int32_t RowSel = 1;
    std::int32_t Col = 1;
    std::int32_t ColSel = 1;
    // Makes one cell the current cell and the whole selection.
    void setCurrentCell(std::int32_t row, std::int32_t column) {
        Row = RowSel = row;
        Col = ColSel = column;
    }
    // The first scrollable row in view.
    std::int32_t TopRow = 1;

    // Bold font for one cell (the current one is Row, Col).
    void setCellFontBold(std::int32_t row, std::int32_t column, bool bold = true);
    bool cellFontBold(std::int32_t row, std::int32_t column) const;

private:
    static constexpr std::uint32_t kSourceShift = 30;
    static constexpr std::uint32_t kIdMask = (1u << kSourceShift) - 1;

    std::size_t index(std::int32_t row, std::int32_t column) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) +
               static_cast<std::size_t>(column);
    }
    bool contains(std::int32_t row, std::int32_t column) const {
        return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
    }
    void releaseTexts();
    // The source number for a sheet's texts, attaching them when there is room; 0 when not.
    std::uint32_t sourceOf(const std::shared_ptr<const SheetTexts>& texts);

    std::int32_t m_rows = 0;
    std::int32_t m_columns = 0;
    std::vector<std::uint32_t> m_cells;
    std::vector<QString> m_texts;            // the grid's own; [0] is the empty text
    std::vector<std::uint32_t> m_numberIds;  // the text of n at [n], 0 when not made yet
    std::array<std::shared_ptr<const SheetTexts>, 3> m_sources;
    std::vector<std::int32_t> m_widths;
    std::set<std::pair<std::int32_t, std::int32_t>> m_bold;
};
