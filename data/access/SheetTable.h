#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "data/access/FieldType.h"

// The widest table the program loads.
constexpr std::int32_t kMaxColumns = 255;

// One cell of a table as a reader found it, before it is turned into text.
enum class CellKind : std::uint8_t { Empty, Number, Date, Boolean, Error, Text };

struct Cell {
    // Number: the value. Date: days since 1899-12-30 in the Gregorian calendar, the fraction
    // being the time of day (readers convert their own date systems to this). Boolean: 0 or 1.
    double number = 0;
    // Text and Error: index into SheetTable::texts.
    std::uint32_t text = 0;
    CellKind kind = CellKind::Empty;
};

// A table held compactly: typed cells in one row-major block, texts once each. Readers fill it;
// the data set turns cells into edit texts one at a time, so no text exists twice for long.
struct SheetTable {
    std::vector<QString> headings;
    std::vector<std::uint8_t> fieldTypes;  // one code per column
    std::int32_t rowCount = 0;             // records, heading row excluded
    std::vector<Cell> cells;               // rowCount * columnCount()
    std::vector<QString> texts;

    // A table wider than kMaxColumns carries its headings' count only: no cells.
    bool isTooWide() const { return columnCount() > kMaxColumns; }
    std::int32_t columnCount() const { return static_cast<std::int32_t>(headings.size()); }
    const Cell& at(std::int32_t row, std::int32_t column) const {
        return cells[static_cast<std::size_t>(row) * headings.size() +
                     static_cast<std::size_t>(column)];
    }
};

// The code a workbook column gets from the cells below its heading (empty cells ignored).
std::uint8_t inferFieldType(const SheetTable& table, std::int32_t column);

// Whether a date cell holds a time of day, and whether it holds only a time (no date part).
bool dateHasTime(double days);
bool dateIsTimeOnly(double days);

// Collects the cells of a worksheet in any order and lays out its used range: from the first
// row and column holding a cell to the last ones. The first row gives the headings; the rows
// below are the records, empty rows inside the range included.
//
// Cells go straight into a row-major grid that becomes the table's own, so a large sheet is
// held once while it is read, not once as a list of placed cells and again as the table.
class SheetTableBuilder {
public:
    void addNumber(std::int32_t row, std::int32_t column, double value);
    void addDate(std::int32_t row, std::int32_t column, double daysSince18991230);
    void addBoolean(std::int32_t row, std::int32_t column, bool value);
    void addError(std::int32_t row, std::int32_t column, const QString& displayText);
    void addText(std::int32_t row, std::int32_t column, const QString& text);
    // A text from a shared pool: `poolIndex` indexes the list given to finish().
    void addSharedText(std::int32_t row, std::int32_t column, std::uint32_t poolIndex);

    // Optional: the rows and columns the cells will occupy, when the reader knows them, so that
    // the grid is made once at its final size instead of growing. Cells outside still fit.
    void expectRange(std::int32_t firstRow, std::int32_t lastRow, std::int32_t firstColumn,
                     std::int32_t lastColumn);

    std::size_t cellCount() const { return m_cellCount; }

    // Builds the table. Texts of heading cells are rendered as in a text column. Empty headings
    // are named "F" + the 1-based column number. Column types are inferred from the cells.
    // `sharedTexts` is moved into the table.
    SheetTable finish(std::vector<QString> sharedTexts = {});

private:
    void add(std::int32_t row, std::int32_t column, Cell cell, bool ownText = false);
    void reshape(std::int32_t top, std::int32_t height, std::int32_t left, std::int32_t width);

    // The grid covers rows m_top .. m_top + m_height - 1 and columns m_left .. m_left +
    // m_width - 1; it may be larger than the used range, which finish() cuts it down to.
    std::vector<Cell> m_grid;
    std::int32_t m_top = 0, m_height = 0, m_left = 0, m_width = 0;
    // The used range: the rows and columns that hold a cell.
    std::int32_t m_firstRow = 0, m_lastRow = -1, m_firstColumn = 0, m_lastColumn = -1;
    bool m_tooWide = false;  // wider than kMaxColumns: only the range is kept
    std::size_t m_cellCount = 0;
    std::vector<QString> m_texts;
};
