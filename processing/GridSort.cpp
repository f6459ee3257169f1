#include "processing/GridSort.h"

#include <QHash>
#include <algorithm>

#include "data/access/CellText.h"
#include "processing/NumberText.h"

namespace {

enum class KeyKind : std::uint8_t { Number, Date, Text };

struct Key {
    KeyKind kind;
    double value;  // the number, or the date's seconds
    QString text;  // a share of the grid's own text, or a copy of a sheet's
};

int compareTexts(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseSensitive);
}

template <typename T>
int compareValues(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Two cells of one key column under a mode, ascending.
int compareKeys(const Key& a, const Key& b, GridSortMode mode) {
    switch (mode) {
        case GridSortMode::NumericAscending:
        case GridSortMode::NumericDescending: {
            const bool aNumber = a.kind == KeyKind::Number;
            const bool bNumber = b.kind == KeyKind::Number;
            if (aNumber && bNumber) return compareValues(a.value, b.value);
            if (aNumber != bNumber) return aNumber ? -1 : 1;
            return compareTexts(a.text, b.text);
        }
        case GridSortMode::GenericAscending:
        case GridSortMode::GenericDescending:
            // Two numbers or two dates compare by value; any other pair as texts.
            if (a.kind == b.kind && a.kind != KeyKind::Text) return compareValues(a.value, b.value);
            return compareTexts(a.text, b.text);
        default:
            return compareTexts(a.text, b.text);
    }
}

bool descending(GridSortMode mode) {
    return mode == GridSortMode::GenericDescending || mode == GridSortMode::NumericDescending ||
           mode == GridSortMode::StringDescending;
}

}  // namespace

void SortGrid(GridStore& grid, GridSortMode mode, const CellTextFormat& format, BlankCells blanks) {
    std::int32_t first = std::min(grid.Row, grid.RowSel);
    std::int32_t last = std::max(grid.Row, grid.RowSel);
    if (first == last) {
        first = 1;
        last = grid.rows() - 1;
    }
    first = std::max(first, 1);
    last = std::min(last, grid.rows() - 1);
    const std::int32_t firstColumn = std::max(std::min(grid.Col, grid.ColSel), 0);
    const std::int32_t lastColumn = std::min(std::max(grid.Col, grid.ColSel), grid.columns() - 1);
    if (last <= first || lastColumn < firstColumn) return;

    const std::size_t count = std::size_t(last - first + 1);
    const bool readNumbers =
        mode != GridSortMode::StringAscending && mode != GridSortMode::StringDescending;
    const bool readDates =
        mode == GridSortMode::GenericAscending || mode == GridSortMode::GenericDescending;
    const QChar separator = format.decimalSeparator();
    QHash<QString, qint64> dates;  // each distinct text read as a date once
    const auto keyOf = [&](std::int32_t row, std::int32_t column) {
        Key key{KeyKind::Text, 0, grid.textMatrix(row, column)};
        const QString& text = key.text;
        if (readNumbers && ReadNumberText(text, separator, key.value)) {
            key.kind = KeyKind::Number;
        } else if (readDates && !text.isEmpty()) {
            auto found = dates.constFind(text);
            if (found == dates.constEnd()) {
                qint64 seconds = 0;
                found = dates.insert(text, format.readDateTime(text, seconds) ? seconds : -1);
            }
            if (*found >= 0) {
                key.kind = KeyKind::Date;
                key.value = double(*found);
            }
        }
        return key;
    };

    // By the first key column, then each run of equal keys by the next column, and so on: only
    // rows that tie so far have their next key read, one column's keys at a time.
    std::vector<std::int32_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = std::int32_t(i);
    std::vector<Key> keys(count);  // by row offset
    std::vector<std::pair<std::size_t, std::size_t>> ties{{0, count}};
    const bool reverse = descending(mode);
    const bool blanksLast = blanks == BlankCells::Last;
    for (std::int32_t column = firstColumn; column <= lastColumn && !ties.empty(); ++column) {
        std::vector<std::pair<std::size_t, std::size_t>> nextTies;
        for (const auto& [begin, end] : ties) {
            for (std::size_t i = begin; i < end; ++i) {
                keys[std::size_t(order[i])] = keyOf(first + order[i], column);
            }
            // A descending sort is the reverse order of keys; equal keys keep their order.
            const auto less = [&](std::int32_t a, std::int32_t b) {
                const Key& x = keys[std::size_t(a)];
                const Key& y = keys[std::size_t(b)];
                if (blanksLast) {
                    const bool xBlank = x.text.isEmpty();
                    const bool yBlank = y.text.isEmpty();
                    if (xBlank || yBlank) return yBlank && !xBlank;
                }
                return (reverse ? compareKeys(y, x, mode) : compareKeys(x, y, mode)) < 0;
            };
            std::stable_sort(order.begin() + std::ptrdiff_t(begin),
                             order.begin() + std::ptrdiff_t(end), less);
            for (std::size_t i = begin; i < end;) {
                std::size_t j = i + 1;
                while (j < end && !less(order[i], order[j])) ++j;
                if (j - i > 1) nextTies.emplace_back(i, j);
                i = j;
            }
        }
        ties = std::move(nextTies);
    }
    for (std::int32_t& row : order) row += first;
    grid.permuteRows(first, order);
}
