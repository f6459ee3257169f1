#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/access/SheetTable.h"

// Collects the cells of one table in any order and makes the SheetTable of its used range.
//
// A worksheet's table is its used range: from the first row and column holding a cell to the
// last ones; the first row gives the headings, the rows below are the records (empty rows inside
// the range included), and the column types are inferred from the records. A table that names
// and types its own columns (a dBase table) declares them instead, and every row is a record.
//
// Each cell of the range costs one 32-bit id: texts go into the table's pool at once, other
// values into a list of distinct values. A range wider than kMaxColumns keeps no cells at all.
class SheetTableBuilder {
public:
    // `sharedTexts`: the workbook's shared texts that addSharedText() refers to.
    explicit SheetTableBuilder(std::shared_ptr<const TextList> sharedTexts = {});
    ~SheetTableBuilder();

    void addNumber(std::int32_t row, std::int32_t column, double value);
    void addDate(std::int32_t row, std::int32_t column, double daysSinceDayZero);
    void addBoolean(std::int32_t row, std::int32_t column, bool value);
    // An error value (#N/A ...) reads as its text.
    void addError(std::int32_t row, std::int32_t column, const QString& displayText) {
        addText(row, column, displayText);
    }
    void addText(std::int32_t row, std::int32_t column, QString text);
    void addSharedText(std::int32_t row, std::int32_t column, std::uint32_t sharedIndex);

    // Optional: the rows and columns the cells will occupy, when the reader knows them, so that
    // the columns are made once at their final size instead of growing. Cells outside still fit.
    void expectRange(std::int32_t firstRow, std::int32_t lastRow, std::int32_t firstColumn,
                     std::int32_t lastColumn);

    // For tables that name and type their own columns: rows count from 0 as records, columns
    // from 0 up to the declared count. Types may be declared last, once the cells are known.
    void declareColumns(std::vector<QString> headings);
    void declareFieldTypes(std::vector<FieldType> codes);
    void declareRowCount(std::int32_t rows);

    std::size_t cellCount() const { return m_cellCount + m_queued; }

    // Makes the table; its texts will follow `format`. Headings of a worksheet are written as
    // cells of a text column; an empty heading is named emptyHeadingName().
    SheetTable finish(const CellTextFormat& format);

private:
    // Cells wait in a short queue before they are placed, so that the look-up of a value's or a
    // text's slot in its index can be prefetched while the cells before it are placed.
    enum class Queued : std::uint8_t { Placed, Value, Text };
    struct QueuedCell {
        std::int32_t row = 0, column = 0;
        std::uint32_t cell = 0;  // for a value or a text: its hash; the id comes when placed
        Queued what = Queued::Placed;
        ValueKind kind = ValueKind::Number;
        std::uint64_t bits = 0;
        QString text;
    };
    static constexpr std::size_t kQueueLength = 16;
    void queue(QueuedCell cell);
    void placeOldest();
    void placeAll();

    void add(std::int32_t row, std::int32_t column, std::uint32_t cell);
    void addValue(std::int32_t row, std::int32_t column, ValueKind kind, double value);
    std::uint32_t valueCell(ValueKind kind, std::uint64_t bits, std::size_t hash);
    void growValueIndex();
    FieldType inferFieldType(const std::vector<std::uint32_t>& cells) const;

    std::shared_ptr<const TextList> m_sharedTexts;
    TextPool m_texts;
    CellValues m_values;
    // Open addressing over m_values, filled up to three quarters; a slot holds the value's
    // 32-bit hash and, in `entry`, its kind (top two bits) and its index + 1 (0: a free slot),
    // so that a probe reads the value itself only when the hashes agree. Eight bytes a slot: a
    // large sheet's index is its largest temporary.
    struct ValueSlot {
        std::uint32_t hash = 0;
        std::uint32_t entry = 0;
    };
    static_assert(sizeof(ValueSlot) == 8);
    std::vector<ValueSlot> m_valueSlots;
    QueuedCell m_queue[kQueueLength];
    std::size_t m_queueHead = 0, m_queued = 0;

    // m_columns[c][r] holds the cell of column m_left + c, row m_top + r; a column is only as
    // long as its last cell.
    std::vector<std::vector<std::uint32_t>> m_columns;
    std::int32_t m_top = 0, m_left = 0;
    std::size_t m_expectedHeight = 0;
    // The used range: the rows and columns that hold a cell.
    std::int32_t m_firstRow = 0, m_lastRow = -1, m_firstColumn = 0, m_lastColumn = -1;
    bool m_tooWide = false;
    std::size_t m_cellCount = 0;

    bool m_declared = false;
    std::vector<QString> m_declaredHeadings;
    std::vector<FieldType> m_declaredTypes;
    std::int32_t m_declaredRows = -1;
};
