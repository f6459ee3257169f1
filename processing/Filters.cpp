// Filter and Multi-Filter.
#include "processing/Filters.h"

#include <QLocale>
#include <optional>

#include "conditions/ConditionPanels.h"
#include "data/uGlobalData.h"
#include "processing/DecimalNumber.h"
#include "processing/NumberText.h"
#include "processing/ResultFunctions.h"
#include "processing/ResultRows.h"
#include "processing/uGridProcessor.h"

namespace {

enum Operator {
    EqualTo = 0,
    NotEqualTo,
    LessThan,
    LessOrEqual,
    GreaterThan,
    GreaterOrEqual,
    Contains
};

ConditionMatcher filterCondition(const clField& column, int which) {
    return which == 0 ? ConditionMatcher(SelectOperator1, Panels.fldData1Select, column.Name)
                      : ConditionMatcher(SelectOperator2 - 1, Panels.fldData2Select, column.Name);
}

ConditionMatcher multiFilterCondition(const clField& column, int which) {
    return which == 0 ? ConditionMatcher(MultiOperator1, Panels.fldData1MultiSelect, column.Name)
                      : ConditionMatcher(MultiOperator2, Panels.fldData2MultiSelect, column.Name);
}

// A column a setting names; the Run command's checks made sure it is one of the file's.
const clField& columnAt(const clResult& contents, std::int32_t index) {
    return contents.Fields[std::size_t(index)];
}

}  // namespace

ConditionMatcher::ConditionMatcher(int operatorCode, const QString& operand,
                                   const QString& columnName)
    : m_locale(QLocale::system()),
      m_separator(SystemDecimalSeparator()),
      m_operator(operatorCode),
      m_operand(operand),
      m_loweredOperand(m_locale.toLower(operand)),
      m_columnName(columnName) {}

ConditionMatcher::Number ConditionMatcher::number(const QString& text) const {
    Number number;
    if (!ReadDecimal(text, m_separator, number.value)) {
        throw RunError(QStringLiteral("The value \"%1\" in column \"%2\" cannot be compared as a "
                                      "number: it is not a number.")
                           .arg(text, m_columnName));
    }
    number.fixed = FixedPoint4Of(number.value, number.tenThousandths);
    return number;
}

bool ConditionMatcher::matches(const QString& cell) const {
    switch (m_operator) {
        case EqualTo:
            return m_locale.toLower(cell) == m_loweredOperand;
        case NotEqualTo:
            return m_locale.toLower(cell) != m_loweredOperand;
        case Contains:
            return !cell.isEmpty() && !m_operand.isEmpty() &&
                   m_locale.toLower(cell).contains(m_loweredOperand);
        case LessThan:
        case LessOrEqual:
        case GreaterThan:
        case GreaterOrEqual: {
            if (cell.isEmpty() || m_operand.isEmpty()) return false;
            if (!m_operandRead) {
                m_operandNumber = number(m_operand);
                m_operandRead = true;
            }
            const Number a = number(cell);
            const Number& b = m_operandNumber;
            // Four decimals where both fit in them; a card or account number of 16 digits does not,
            // and is compared by its value.
            const int order = a.fixed && b.fixed ? (a.tenThousandths > b.tenThousandths) -
                                                       (a.tenThousandths < b.tenThousandths)
                                                 : CompareDecimals(a.value, b.value);
            switch (m_operator) {
                case LessThan:
                    return order < 0;
                case LessOrEqual:
                    return order <= 0;
                case GreaterThan:
                    return order > 0;
                default:
                    return order >= 0;
            }
        }
        default:
            return false;
    }
}

ColumnMatcher::ColumnMatcher(const clResult& contents, const clField& column,
                             ConditionMatcher matcher)
    : m_contents(contents),
      m_column(column),
      m_matcher(std::move(matcher)),
      m_byId(contents.Texts->size(), -1) {}

bool ColumnMatcher::matches(std::int32_t row) {
    const std::uint32_t id = m_column.Values.idAt(std::size_t(row));
    signed char& known = m_byId[id];
    if (known < 0) known = m_matcher.matches(m_contents.Texts->borrowed(id)) ? 1 : 0;
    return known == 1;
}

bool MatchFilterCondition(const clField& column, std::int32_t row, int which) {
    return filterCondition(column, which).matches(column.Values[std::size_t(row)].Value);
}

bool MatchMultiFilterCondition(const clField& column, std::int32_t row, int which) {
    return multiFilterCondition(column, which).matches(column.Values[std::size_t(row)].Value);
}

void ProcessFindSelections() {
    const bool both = FileToProcess == 2;
    const std::size_t columnIndex = std::size_t(ColumnToProcess);
    const clResult& processed = ProcessedContents();
    std::int32_t rows = processed.Fields[columnIndex].RecordCount;
    if (both) {
        AddFileNumberColumn();
        rows = std::max(rows, OtherContents()->Fields[columnIndex].RecordCount);
    }
    ResultGrid.setRows(rows);
    // "None", or nothing picked, in the second operator list: one condition.
    const bool second = Panels.fldSel2Select.position > 0;

    RunProgress progress(processed.Fields[columnIndex].RecordCount - 1);
    int fileNumber = 0;
    for (const clResult* contents : {&processed, both ? OtherContents() : nullptr}) {
        ++fileNumber;
        if (!contents) continue;
        const clField& column = contents->Fields[columnIndex];
        ColumnMatcher first(*contents, column, filterCondition(column, 0));
        ColumnMatcher other(*contents, column, filterCondition(column, 1));
        for (std::int32_t r = 0; r < column.RecordCount; ++r) {
            if (ReserveResultRow()) {
                // Both conditions are tested, as a number that does not convert ends the run.
                const bool a = first.matches(r);
                const bool b = second && other.matches(r);
                const bool selected = !second ? a : (SelectAnd ? a && b : a || b);
                if (selected) WriteResultRow(*contents, r, both ? fileNumber : 0);
            }
            if (!progress.step()) return;
        }
    }
}

void ProcessFindMultiSelect() {
    const bool both = FileToProcess == 2;
    // "None", or nothing picked, in the second column list: one condition (the setting behind
    // the list outlives a "Clear").
    const bool second = Panels.fldCol2MultiSelect.position > 0 && MultiColumn2 >= 1;
    const clResult& processed = ProcessedContents();

    // A file's two column matchers; the second holds whenever there is no second condition.
    struct FileConditions {
        const clResult& contents;
        ColumnMatcher first;
        std::optional<ColumnMatcher> second;
        std::int32_t rows;
        bool selected(std::int32_t r) {
            return first.matches(r) && (!second || second->matches(r));
        }
    };
    const auto conditionsOf = [second](const clResult& contents) {
        const clField& firstColumn = columnAt(contents, MultiColumn1);
        FileConditions conditions{
            contents, ColumnMatcher(contents, firstColumn, multiFilterCondition(firstColumn, 0)),
            std::nullopt, firstColumn.RecordCount};
        if (second) {
            const clField& secondColumn = columnAt(contents, MultiColumn2 - 1);
            conditions.second.emplace(contents, secondColumn,
                                      multiFilterCondition(secondColumn, 1));
        }
        return conditions;
    };

    FileConditions file1 = conditionsOf(processed);
    if (!both) {
        RunProgress progress(file1.rows - 1);
        for (std::int32_t r = 0; r < file1.rows; ++r) {
            if (file1.selected(r)) WriteResultRow(processed, r);
            if (!progress.step()) return;
        }
        return;
    }

    // Both files, interleaved by row index: File 1's row r, then File 2's row r.
    FileConditions file2 = conditionsOf(*OtherContents());
    AddFileNumberColumn();
    const std::int32_t rows = std::max(file1.rows, file2.rows);
    ResultGrid.setRows(rows);
    RunProgress progress(file1.rows - 1);
    for (std::int32_t r = 0; r < rows; ++r) {
        if (r < file1.rows && ReserveResultRow() && file1.selected(r)) {
            WriteResultRow(file1.contents, r, 1);
        }
        if (r < file2.rows && ReserveResultRow() && file2.selected(r)) {
            WriteResultRow(file2.contents, r, 2);
        }
        if (!progress.step()) return;
    }
}
