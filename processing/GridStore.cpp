#include "processing/GridStore.h"

#include <algorithm>

namespace {
constexpr std::int32_t kDefaultWidth = 960;  // twips: 64 pixels
}

void GridStore::setRows(std::int32_t rows) {
    m_rows = std::max(rows, 0);
    m_cells.resize(static_cast<std::size_t>(m_rows) * static_cast<std::size_t>(m_columns), 0);
}

void GridStore::setColumns(std::int32_t columns) {
    columns = std::max(columns, 0);
    if (columns == m_columns) return;
    std::vector<std::uint32_t> cells(static_cast<std::size_t>(m_rows) *
                                     static_cast<std::size_t>(columns));
    const std::int32_t kept = std::min(columns, m_columns);
    for (std::int32_t row = 0; row < m_rows; ++row) {
        std::copy_n(m_cells.begin() + std::ptrdiff_t(index(row, 0)), kept,
                    cells.begin() + std::ptrdiff_t(std::size_t(row) * std::size_t(columns)));
    }
    m_cells = std::move(cells);
    m_columns = columns;
    m_widths.resize(static_cast<std::size_t>(columns), kDefaultWidth);
}

QString GridStore::textMatrix(std::int32_t row, std::int32_t column) const {
    static const QString none;
    if (!contains(row, column)) return none;
    const std::uint32_t cell = m_cells[index(row, column)];
    const std::uint32_t source = cell >> kSourceShift;
    const std::uint32_t id = cell & kIdMask;
    if (source == 0) return m_texts[id];
    return (*m_sources[source - 1])[id].Value;
}

void GridStore::setTextMatrix(std::int32_t row, std::int32_t column, QString text) {
    if (!contains(row, column)) return;
    std::uint32_t id = 0;
    if (!text.isEmpty()) {
        id = std::uint32_t(m_texts.size());
        m_texts.push_back(std::move(text));
    }
    m_cells[index(row, column)] = id;
}

std::uint32_t GridStore::addText(QString text) {
    if (text.isEmpty()) return 0;
    m_texts.push_back(std::move(text));
    return std::uint32_t(m_texts.size() - 1);
}

void GridStore::setTextId(std::int32_t row, std::int32_t column, std::uint32_t ownId) {
    if (contains(row, column) && ownId < m_texts.size()) m_cells[index(row, column)] = ownId;
}

void GridStore::setNumber(std::int32_t row, std::int32_t column, std::int32_t number) {
    if (!contains(row, column)) return;
    if (number < 0) {
        setTextMatrix(row, column, QString::number(number));
        return;
    }
    if (m_numberIds.size() <= std::size_t(number)) m_numberIds.resize(std::size_t(number) + 1, 0);
    std::uint32_t& id = m_numberIds[std::size_t(number)];
    if (id == 0) {
        id = std::uint32_t(m_texts.size());
        m_texts.push_back(QString::number(number));
    }
    m_cells[index(row, column)] = id;
}

std::uint32_t GridStore::sourceOf(const std::shared_ptr<const SheetTexts>& texts) {
    for (std::size_t i = 0; i < m_sources.size(); ++i) {
        if (!m_sources[i]) m_sources[i] = texts;
        if (m_sources[i] == texts) return std::uint32_t(i + 1);
    }
    return 0;
}

void GridStore::setSheetText(std::int32_t row, std::int32_t column,
                             const std::shared_ptr<const SheetTexts>& texts, std::uint32_t id) {
    if (!contains(row, column) || !texts || id >= texts->size()) return;
    const std::uint32_t source = id <= kIdMask ? sourceOf(texts) : 0;
    if (source == 0) {
        setTextMatrix(row, column, (*texts)[id].Value);
        return;
    }
    m_cells[index(row, column)] = (source << kSourceShift) | id;
}

void GridStore::setSheetRow(std::int32_t row, const clResult& contents, std::size_t sourceRow) {
    const std::int32_t count = std::min(std::int32_t(contents.Fields.size()), m_columns - 1);
    if (!contains(row, 0) || !contents.Texts || count <= 0) return;
    const std::uint32_t source = sourceOf(contents.Texts);
    if (source == 0) {
        for (std::int32_t c = 0; c < count; ++c) {
            setSheetText(row, c + 1, contents.Texts,
                         contents.Fields[std::size_t(c)].Values.idAt(sourceRow));
        }
        return;
    }
    std::uint32_t* cells = &m_cells[index(row, 1)];
    const std::uint32_t tag = source << kSourceShift;
    for (std::int32_t c = 0; c < count; ++c) {
        cells[c] = tag | (contents.Fields[std::size_t(c)].Values.idAt(sourceRow) & kIdMask);
    }
}

std::int32_t GridStore::columnWidth(std::int32_t column) const {
    return column >= 0 && column < m_columns ? m_widths[static_cast<std::size_t>(column)] : 0;
}

void GridStore::setColumnWidth(std::int32_t column, std::int32_t twips) {
    if (column >= 0 && column < m_columns) m_widths[static_cast<std::size_t>(column)] = twips;
}

void GridStore::releaseTexts() {
    m_texts.assign(1, QString());
    m_texts.shrink_to_fit();
    m_numberIds.clear();
    m_numberIds.shrink_to_fit();
    for (auto& source : m_sources) source.reset();
    m_bold.clear();
}

void GridStore::clear() {
    std::fill(m_cells.begin(), m_cells.end(), 0);
    releaseTexts();
}

void GridStore::reset() {
    m_rows = 2;
    m_columns = 2;
    m_cells.assign(4, 0);
    m_cells.shrink_to_fit();
    m_widths.assign(2, kDefaultWidth);
    releaseTexts();
    Row = RowSel = Col = ColSel = TopRow = 1;
}

void GridStore::permuteRows(std::int32_t first, const std::vector<std::int32_t>& order) {
    const std::size_t width = std::size_t(m_columns);
    std::vector<std::uint32_t> moved(order.size() * width);
    for (std::size_t i = 0; i < order.size(); ++i) {
        std::copy_n(m_cells.begin() + std::ptrdiff_t(index(order[i], 0)), width,
                    moved.begin() + std::ptrdiff_t(i * width));
    }
    std::copy(moved.begin(), moved.end(), m_cells.begin() + std::ptrdiff_t(index(first, 0)));
}

void GridStore::setCellFontBold(std::int32_t row, std::int32_t column, bool bold) {
    if (bold) {
        m_bold.insert({row, column});
    } else {
        m_bold.erase({row, column});
    }
}

bool GridStore::cellFontBold(std::int32_t row, std::int32_t column) const {
    return m_bold.count({row, column}) != 0;
}
