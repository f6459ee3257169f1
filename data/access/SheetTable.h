#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/access/CellText.h"
#include "data/access/FieldType.h"
#include "data/access/TextList.h"
#include "data/access/TextPool.h"

// The widest table the program loads.
constexpr std::int32_t kMaxColumns = 255;

// The name a column without a heading gets: "F" + its 1-based number.
QString emptyHeadingName(std::int32_t column);

// How the texts of a table's values are written while its rows are rendered: blocks of
// `blockRows` rows, each block's new texts on `threads` threads once there are `parallelFrom` of
// them. The results never depend on it; tests compare one thread with two.
struct RenderSettings {
    int threads = 2;
    std::size_t parallelFrom = 2048;
    std::int32_t blockRows = 4096;
};
void setRenderSettings(const RenderSettings& settings);

// What a cell of a table holds while it is read: a 32-bit id whose top two bits tell its kind.
// Texts are ids into the table's pool from the start; numbers, dates and booleans become texts
// only when their row is rendered, since their text depends on their column's type.
namespace CellId {
constexpr std::uint32_t kIndexMask = 0x3FFFFFFFu;
constexpr std::uint32_t kText = 0u << 30;        // an id of the table's pool (0: empty)
constexpr std::uint32_t kSharedText = 1u << 30;  // an index into the workbook's shared texts
constexpr std::uint32_t kValue = 2u << 30;       // an index into the table's values
constexpr std::uint32_t kEmptyText = 3u << 30;   // a text cell holding "": empty, yet a text
}  // namespace CellId

enum class ValueKind : std::uint8_t { Number, Date, Boolean };

// The numbers, dates and booleans of a table, each distinct value once. A date is days since
// dayZero(), the fraction being the time of day (readers convert their own date systems).
struct CellValues {
    std::vector<double> numbers;
    std::vector<ValueKind> kinds;
};

// One table of a source file, held compactly: each column a vector of 32-bit cell ids, the
// texts once each in a pool. A reader's SheetTableBuilder makes it; rows are then rendered to
// texts one at a time (the progress of a load), after which every id is a pool id and what
// rendering needed is released.
class SheetTable {
public:
    std::vector<QString> headings;
    std::vector<FieldType> fieldTypes;  // one per column
    std::int32_t rowCount = 0;          // records, heading row excluded
    // A table too wide to hold may keep fewer headings than its file has columns: how many.
    std::int64_t columnsInFile = 0;

    SheetTable();
    ~SheetTable();
    SheetTable(SheetTable&&) noexcept;
    SheetTable& operator=(SheetTable&&) noexcept;

    // A table wider than kMaxColumns carries its headings' count only: no cells.
    bool isTooWide() const { return columnCount() > kMaxColumns; }
    std::int32_t columnCount() const { return static_cast<std::int32_t>(headings.size()); }

    // The pool id of a cell's text, rendering the cell first when it is not text yet.
    std::uint32_t textId(std::int32_t row, std::int32_t column);
    QString text(std::int32_t row, std::int32_t column) {
        return m_texts.text(textId(row, column));
    }
    // Renders every cell of a row.
    void renderRow(std::int32_t row);
    // Renders what is left, releases what rendering needed and hands over the columns (pool
    // ids, columns[c][r]) and then the texts. The table keeps its headings and types, and
    // holds no rows afterwards.
    std::vector<std::vector<std::uint32_t>> takeColumns();
    TextPool takeTexts();

private:
    friend class SheetTableBuilder;

    // What rendering needs: the format, the values, the workbook's shared texts, and the pool id
    // each value or shared text got, so that each is written once.
    struct Renderer {
        CellTextFormat format;
        CellValues values;
        std::shared_ptr<const TextList> sharedTexts;
        std::vector<std::uint32_t> sharedIds;
        std::array<std::vector<std::uint32_t>, 6> valueIds;  // by RenderKey

        // A cell of the row being rendered whose text is not in the pool yet.
        struct PendingCell {
            std::uint32_t* cell;
            std::uint32_t* rendered;  // the cache entry that remembers its pool id
            bool isShared;
            QStringView shared;  // a shared text, or
            QString text;        // a value's text
            std::uint32_t hash;
        };
        std::vector<PendingCell> pending;
        std::uint32_t emptyText = 0;  // the pool id of cells that show nothing

        // Texts of values written ahead, on both cores, for the rows up to `preparedRows`; a
        // cache entry names one of them until the text is in the pool.
        struct PreparedValue {
            std::uint32_t index;
            int key;
            FieldType columnType;
        };
        std::vector<PreparedValue> prepared;
        std::vector<QString> preparedTexts;  // by the position in `prepared`
        std::int32_t preparedRows = 0;

        std::uint32_t render(std::uint32_t cell, FieldType columnType, TextPool& pool);
        // The cache entry of a value cell, in the key its column gives it.
        std::uint32_t* valueEntry(std::uint32_t index, FieldType columnType, int& key);
        QString valueText(const CellTextFormat& format, std::uint32_t index, int key,
                          FieldType columnType) const;
        // Where a cell's pool id is remembered (null for a cell that is text already); when it
        // is not known yet, its text is made into `pendingCell`.
        std::uint32_t* cacheOf(std::uint32_t cell, FieldType columnType, PendingCell& pendingCell);
    };

    // Writes the texts of the values first seen in rows [first, last) on two threads.
    void prepareRows(std::int32_t first, std::int32_t last);

    std::vector<std::vector<std::uint32_t>> m_columns;
    TextPool m_texts;
    std::unique_ptr<Renderer> m_renderer;  // null once nothing is left to render
};
