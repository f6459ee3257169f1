#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

#include "data/FileSlots.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"
#include "data/access/TextPool.h"

// The in-memory picture of the two source files. A loaded sheet is held column by column, every
// cell as text. Rows and columns count from 0 here. Records own what they hold (by value or
// unique_ptr).
//
// A loaded sheet keeps each distinct text once, in its own pool; a column holds a 32-bit id
// per row into that pool. Within one sheet equal ids are equal texts; between File 1 and File 2
// (a pool each) texts must be compared as texts.

// clValues, one text value (a cell, a sheet name, a path of a recent-file list, a cell of a
// Totals group), is the record the data access layer's text pools hold: see TextPool.h.

// The distinct texts of one loaded sheet, by id; id 0 is the empty text.
using SheetTexts = PooledTexts;

// The cells of one column: Values[r] is the cell of row r, as a record of the sheet's pool.
class ColumnValues {
public:
    ColumnValues() = default;
    ColumnValues(std::shared_ptr<const SheetTexts> texts, std::vector<std::uint32_t> ids)
        : m_texts(std::move(texts)), m_ids(std::move(ids)) {}

    std::size_t size() const { return m_ids.size(); }
    bool empty() const { return m_ids.empty(); }
    clValues operator[](std::size_t row) const { return (*m_texts)[m_ids[row]]; }
    QStringView viewAt(std::size_t row) const { return m_texts->view(m_ids[row]); }
    // The text's id in the sheet's pool: within one sheet, equal ids are equal texts.
    std::uint32_t idAt(std::size_t row) const { return m_ids[row]; }
    const std::vector<std::uint32_t>& ids() const { return m_ids; }

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = clValues;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = clValues;
        const_iterator(const SheetTexts* texts, const std::uint32_t* id)
            : m_texts(texts), m_id(id) {}
        reference operator*() const { return (*m_texts)[*m_id]; }
        const_iterator& operator++() {
            ++m_id;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return m_id == other.m_id; }

    private:
        const SheetTexts* m_texts;
        const std::uint32_t* m_id;
    };
    const_iterator begin() const { return {m_texts.get(), m_ids.data()}; }
    const_iterator end() const { return {m_texts.get(), m_ids.data() + m_ids.size()}; }

private:
    std::shared_ptr<const SheetTexts> m_texts;
    std::vector<std::uint32_t> m_ids;
};

// One column of a loaded sheet.
struct clField {
    QString Name;
    std::int32_t RecordCount = 0;
    FieldType DataType = FieldType::String;  // a code FieldType may not name is carried as it is
    ColumnValues Values;
};

// The loaded contents of one sheet. The data set stays open while the slot is loaded; the rows
// themselves live here only, in `Texts` and the columns' ids.
struct clResult {
    std::unique_ptr<DbDataSet> DataSet;
    std::int32_t FieldCount = 0;
    std::vector<clField> Fields;
    std::shared_ptr<const SheetTexts> Texts;
};

// One group produced by the Totals function.
struct clTotal {
    std::int32_t KeyRow = 0;
    QString Total;
    QString Key;
    std::int32_t Count = 0;
    std::vector<clValues> Values;
};

// One source-file slot: free (no connection), open (connection and sheet names) or loaded.
struct clFile {
    QString FileName;
    QString FilePath;
    std::vector<clValues> Sheets;
    std::unique_ptr<DbConnection> Connection;
    QString SheetName;  // kept on unload; overwritten by the next choice
    std::unique_ptr<clResult> Contents;

    bool isInUse() const { return Connection != nullptr; }
    bool isLoaded() const { return Contents != nullptr; }
};

extern clFile File1;
extern clFile File2;
clFile& SlotOf(FileSlot slot);
// Empties a slot in the model: its names, sheet list, contents and connection. (UnloadFile, the
// command, also brings the main window and a saved result's layout in line.)
void ReleaseSlot(clFile& slot);
extern std::vector<clValues> File1History;  // oldest first, no duplicates (case-sensitive)
extern std::vector<clValues> File2History;
// The file last opened during this run, whichever way (the open dialog starts in its folder);
// empty until one is.
extern QString LastOpenedFile;
extern bool SheetChosen;
extern bool ShowLoadedData;

// The condition settings: what the user chose in the Function Wizard. Column indexes count from
// 0 in File 1's fields; operator codes are 0 "Equal To" .. 6 "Contains".
extern std::int32_t FunctionIndex;    // a WizardFunction; -1 none chosen yet
extern std::int32_t FileToProcess;    // 0 File 1, 1 File 2, 2 Both Files
extern std::int32_t ColumnToProcess;  // -1: no column chosen
extern std::int32_t SelectOperator1;  // Filter: operator code
extern std::int32_t SelectOperator2;  // Filter: 0 none, k = operator code k - 1
extern QString SelectValue1;
extern QString SelectValue2;
extern bool SelectAnd;             // Filter joins its conditions with And (else Or)
extern std::int32_t MultiColumn1;  // Multi-Filter: column index
extern std::int32_t MultiColumn2;  // Multi-Filter: 0 none, k = column index k - 1
extern std::int32_t MultiOperator1;
extern std::int32_t MultiOperator2;
extern std::int32_t TotalsKind;       // 0 Sum, 1 Min, 2 Max
extern std::int32_t TotalsColumn;     // column index of the value column
extern std::int32_t TotalsItem;       // position in the value-column list; -1 none
extern std::int32_t ModifyOperation;  // 0 cut from the beginning, 1 cut in the end, 2 add
                                      // forward, 3 add backwards
extern QString ModifyText;

// The seven functions in the order of the wizard's function list; FunctionIndex holds the value.
enum class WizardFunction {
    UniqueValues = 0,
    Duplicates = 1,
    Filter = 2,
    MultiFilter = 3,
    Totals = 4,
    DataModify = 5,
    Sorting = 6,
};

// Every condition setting back to its start value, as at start-up.
void ResetConditionSettings();

// Opening File 1 through the open dialog points every column choice at the first column.
void ResetColumnChoices();

// The number of rows of a loaded sheet (0 without columns).
std::int32_t RecordCount(const clResult& contents);

// Contents that come from no file (tests, the benchmark): `cell(row, column)` gives each text.
clResult ContentsFromTexts(const std::vector<QString>& names, const std::vector<FieldType>& types,
                           std::int32_t rows,
                           const std::function<QString(std::int32_t, std::int32_t)>& cell);

// Appends `path` to a recent-file list unless an entry has exactly this path.
void AddToHistory(std::vector<clValues>& history, const QString& path);
