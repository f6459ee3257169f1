#pragma once

#include "processing/GridStore.h"

class CellTextFormat;

// The grid's row sort, by the mode codes the grid has always taken.
enum class GridSortMode {
    GenericAscending = 1,  // numbers as numbers, dates as points in time, anything else as text
    GenericDescending = 2,
    NumericAscending = 3,  // numbers first, by value; other texts after them, as texts
    NumericDescending = 4,
    StringAscending = 7,  // by character codes, letter case counting
    StringDescending = 8,
};

// Where empty cells of a key column go: among the texts by the mode (an empty text is the least
// text), or after every other cell in both directions, as spreadsheets keep them.
enum class BlankCells { ByMode, Last };

// Sorts whole rows: the rows Row..RowSel of the selection, or every row below the heading when
// Row equals RowSel, by the columns Col..ColSel from left to right. Row 0 never moves; equal keys
// keep their order. Numbers and dates are read as `format` writes them.
void SortGrid(GridStore& grid, GridSortMode mode, const CellTextFormat& format,
              BlankCells blanks = BlankCells::ByMode);
