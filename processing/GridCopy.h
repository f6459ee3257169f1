#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class GridStore;

// A rectangle of selected cells in grid coordinates (data rows and columns count from 1).
struct GridCellRange {
    std::int32_t top = 1;
    std::int32_t left = 1;
    std::int32_t bottom = 1;
    std::int32_t right = 1;
};

// The selected cells as a spreadsheet pastes them: the same block as tab-separated text and as
// an HTML table.
struct GridClipboardText {
    QString tsv;
    QString html;
};

// The block made of every row and every column that holds a selected cell, in grid order; a cell
// of it that no range selects stays empty. When the ranges select every data row of each of
// their columns (a heading click, Ctrl+A), the heading row comes first. The row-number column is
// never copied. Nothing selected: both texts empty.
GridClipboardText CopyGridCells(const GridStore& grid, const std::vector<GridCellRange>& ranges);
