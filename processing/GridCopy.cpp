#include "processing/GridCopy.h"

#include <algorithm>

#include "processing/GridStore.h"

namespace {

// A cell that holds a tab or a line break, or starts with a quote, is quoted as spreadsheets
// quote it, its quotes doubled; any other goes as it is.
void appendTsvCell(QString& out, const QString& text) {
    const bool quoted = text.startsWith(QLatin1Char('"')) || text.contains(QLatin1Char('\t')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quoted) {
        out += text;
        return;
    }
    out += QLatin1Char('"');
    out += QString(text).replace(QLatin1Char('"'), QLatin1String("\"\""));
    out += QLatin1Char('"');
}

void appendHtmlCell(QString& out, const QString& text, bool heading) {
    out += heading ? QLatin1String("<th>") : QLatin1String("<td>");
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    escaped.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    escaped.replace(QLatin1Char('\r'), QLatin1String("<br>"));
    out += escaped;
    out += heading ? QLatin1String("</th>") : QLatin1String("</td>");
}

// Whether the ranges that hold `column` together cover every data row.
bool coversEveryRow(const std::vector<GridCellRange>& ranges, std::int32_t column,
                    std::int32_t lastRow) {
    std::vector<std::pair<std::int32_t, std::int32_t>> spans;
    for (const GridCellRange& range : ranges) {
        if (range.left <= column && column <= range.right)
            spans.emplace_back(range.top, range.bottom);
    }
    std::sort(spans.begin(), spans.end());
    std::int32_t next = 1;  // the first row not covered yet
    for (const auto& [top, bottom] : spans) {
        if (top > next) break;
        next = std::max(next, bottom + 1);
    }
    return next > lastRow;
}

}  // namespace

GridClipboardText CopyGridCells(const GridStore& grid, const std::vector<GridCellRange>& ranges) {
    const std::int32_t lastRow = grid.rows() - 1;
    const std::int32_t lastColumn = grid.columns() - 1;
    std::vector<GridCellRange> inside;
    for (GridCellRange range : ranges) {
        range.top = std::max(range.top, 1);
        range.left = std::max(range.left, 1);
        range.bottom = std::min(range.bottom, lastRow);
        range.right = std::min(range.right, lastColumn);
        if (range.top <= range.bottom && range.left <= range.right) inside.push_back(range);
    }
    if (inside.empty()) return {};

    std::vector<bool> rowSelected(std::size_t(lastRow) + 1, false);
    std::vector<bool> columnSelected(std::size_t(lastColumn) + 1, false);
    for (const GridCellRange& range : inside) {
        std::fill(rowSelected.begin() + range.top, rowSelected.begin() + range.bottom + 1, true);
        std::fill(columnSelected.begin() + range.left, columnSelected.begin() + range.right + 1,
                  true);
    }
    std::vector<std::int32_t> columns;
    for (std::int32_t column = 1; column <= lastColumn; ++column) {
        if (columnSelected[std::size_t(column)]) columns.push_back(column);
    }
    const bool withHeadings = std::all_of(columns.begin(), columns.end(), [&](std::int32_t column) {
        return coversEveryRow(inside, column, lastRow);
    });
    const auto selected = [&](std::int32_t row, std::int32_t column) {
        if (inside.size() == 1) return true;  // the block is the one range
        return std::any_of(inside.begin(), inside.end(), [&](const GridCellRange& range) {
            return range.top <= row && row <= range.bottom && range.left <= column &&
                   column <= range.right;
        });
    };

    GridClipboardText clip;
    clip.html = QStringLiteral(
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body><table>\n");
    bool firstLine = true;
    const auto addRow = [&](std::int32_t row) {
        if (!firstLine) clip.tsv += QLatin1Char('\n');
        firstLine = false;
        clip.html += QLatin1String("<tr>");
        bool firstCell = true;
        for (const std::int32_t column : columns) {
            if (!firstCell) clip.tsv += QLatin1Char('\t');
            firstCell = false;
            const bool copied = row == 0 || selected(row, column);
            const QString text = copied ? grid.textMatrix(row, column) : QString();
            appendTsvCell(clip.tsv, text);
            appendHtmlCell(clip.html, text, row == 0);
        }
        clip.html += QLatin1String("</tr>\n");
    };
    if (withHeadings) addRow(0);
    for (std::int32_t row = 1; row <= lastRow; ++row) {
        if (rowSelected[std::size_t(row)]) addRow(row);
    }
    clip.html += QLatin1String("</table></body></html>\n");
    return clip;
}
