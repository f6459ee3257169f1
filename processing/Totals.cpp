// Totals: one row per distinct value of the grouping column, in the order the values first
// occur, with the sum, minimum or maximum of the value column, the number of rows, and each other
// column's value when all rows of the group share it ("-" otherwise). One pass over the rows.
#include "processing/Totals.h"

#include <charconv>

#include "data/access/CellText.h"
#include "processing/DecimalNumber.h"
#include "processing/NumberText.h"
#include "processing/ResultFunctions.h"
#include "processing/ResultRows.h"
#include "processing/uGridProcessor.h"

std::vector<std::int32_t> TotalsResultColumns;
std::vector<clValues> TotalsDifferMarks;

namespace {

enum Kind { Sum = 0, Min = 1, Max = 2 };

QString kindSuffix(int kind) {
    switch (kind) {
        case Min:
            return QStringLiteral(",Min");
        case Max:
            return QStringLiteral(",Max");
        default:
            return QStringLiteral(",Sum");
    }
}

// One group while it is built. Its cells (the ids of its first row's texts, and whether a later
// row differed) are kept by the builder, one block of columns a group.
struct Group {
    std::int32_t count = 0;
    bool hasValue = false;     // some value cell was not empty
    std::int64_t whole = 0;    // Sum of an integer column
    DecimalSum fraction;       // Sum of a float column
    int maxDecimals = 0;       // the most decimals of its values
    double best = 0;           // Min or Max so far
    std::uint32_t bestId = 0;  // and the cell that holds it
};

class GroupBuilder {
public:
    GroupBuilder(const clResult& contents, std::size_t groupColumn, std::size_t valueColumn)
        : m_contents(contents),
          m_groupColumn(contents.Fields[groupColumn]),
          m_valueColumn(contents.Fields[valueColumn]),
          m_integer(m_valueColumn.DataType == FieldType::Integer),
          m_groupOf(contents.Texts->size(), -1),
          m_separator(SystemDecimalSeparator()) {}

    std::int32_t rows() const { return m_groupColumn.RecordCount; }
    const std::vector<Group>& groups() const { return m_groups; }

    // Adds row r to its group; returns whether it started a new one.
    bool add(std::int32_t r) {
        const std::size_t row = std::size_t(r);
        std::int32_t& index = m_groupOf[m_groupColumn.Values.idAt(row)];
        const bool isNew = index < 0;
        const std::size_t columns = m_contents.Fields.size();
        if (isNew) {
            index = std::int32_t(m_groups.size());
            m_groups.emplace_back();
            for (const clField& field : m_contents.Fields)
                m_values.push_back(field.Values.idAt(row));
            m_differs.resize(m_differs.size() + columns, 0);
        } else {
            const std::uint32_t* values = &m_values[std::size_t(index) * columns];
            char* differs = &m_differs[std::size_t(index) * columns];
            for (std::size_t c = 0; c < columns; ++c) {
                if (m_contents.Fields[c].Values.idAt(row) != values[c]) differs[c] = 1;
            }
        }
        Group& group = m_groups[std::size_t(index)];
        ++group.count;
        const std::uint32_t valueId = m_valueColumn.Values.idAt(row);
        const QString value = m_contents.Texts->borrowed(valueId);  // read, never kept
        if (!value.isEmpty()) addValue(group, value, valueId);
        return isNew;
    }

    QString totalText(const Group& group, const CellTextFormat& format) const {
        if (!group.hasValue) return {};
        if (TotalsKind != Sum) return (*m_contents.Texts)[group.bestId].Value;
        if (m_integer) return QString::number(group.whole);
        const QString sum = group.fraction.text(format);
        // The sum of numbers of at most n decimals has at most n: rounding is for the rare text
        // the general format writes with more.
        const qsizetype point = sum.indexOf(m_separator);
        if (point < 0 || sum.size() - point - 1 <= group.maxDecimals) return sum;
        return RoundNumberText(group.maxDecimals, sum, m_separator);
    }

    // Group k's cell in the grid: the shared text of its rows, or "-" (`dashId`).
    bool differs(std::size_t k, std::size_t column) const {
        return m_differs[k * m_contents.Fields.size() + column] != 0;
    }
    std::uint32_t valueId(std::size_t k, std::size_t column) const {
        return m_values[k * m_contents.Fields.size() + column];
    }
    void writeCell(std::size_t k, std::size_t column, std::int32_t row, std::int32_t gridColumn,
                   std::uint32_t dashId) const {
        if (differs(k, column)) {
            ResultGrid.setTextId(row, gridColumn, dashId);
        } else {
            ResultGrid.setSheetText(row, gridColumn, m_contents.Texts, valueId(k, column));
        }
    }
    QString cellText(std::size_t k, std::size_t column) const {
        static const QString dash = QStringLiteral("-");
        return differs(k, column) ? dash : (*m_contents.Texts)[valueId(k, column)].Value;
    }

private:
    [[noreturn]] void notANumber(const QString& value) const {
        throw RunError(QStringLiteral("The value \"%1\" in column \"%2\" is not a number, so "
                                      "the totals cannot be computed.")
                           .arg(value, m_valueColumn.Name));
    }

    void addValue(Group& group, const QString& value, std::uint32_t id) {
        if (TotalsKind == Sum && m_integer) {
            std::int64_t whole = 0;
            if (!readWhole(value, whole) ||
                __builtin_add_overflow(group.whole, whole, &group.whole)) {
                notANumber(value);
            }
        } else if (TotalsKind == Sum) {
            DecimalText decimal;
            if (!ReadDecimal(value, m_separator, decimal)) notANumber(value);
            group.fraction.add(decimal);
            group.maxDecimals =
                std::max(group.maxDecimals, decimal.exponent < 0 ? -decimal.exponent : 0);
        } else {
            // The cells are written with at most 15 significant digits, which doubles tell
            // apart and order exactly. The first value starts the race.
            double number = 0;
            if (!ReadNumberText(value, m_separator, number)) notANumber(value);
            const bool better =
                !group.hasValue || (TotalsKind == Min ? number < group.best : number > group.best);
            if (better) {
                group.best = number;
                group.bestId = id;
            }
        }
        group.hasValue = true;
        ResultFound = true;
    }

    // A whole number as an integer column holds it.
    static bool readWhole(const QString& text, std::int64_t& value) {
        char buffer[24];
        std::size_t length = 0;
        for (QChar c : text) {
            if (c == QLatin1Char(' ') || (length == 0 && c == QLatin1Char('+'))) continue;
            if (length == sizeof buffer || c.unicode() > 127) return false;
            buffer[length++] = char(c.unicode());
        }
        const auto result = std::from_chars(buffer, buffer + length, value);
        return result.ec == std::errc() && result.ptr == buffer + length;
    }

    const clResult& m_contents;
    const clField& m_groupColumn;
    const clField& m_valueColumn;
    bool m_integer;
    std::vector<std::int32_t> m_groupOf;  // by id of the grouping column's text
    std::vector<Group> m_groups;
    std::vector<std::uint32_t> m_values;  // groups x columns
    std::vector<char> m_differs;          // groups x columns
    QChar m_separator;
};

}  // namespace

void ProcessFindTotals() {
    TotalsResultColumns.clear();
    TotalsDifferMarks.clear();
    TotalsGridColumns.clear();

    const bool both = FileToProcess == 2;
    const clResult& processed = ProcessedContents();
    // The Run command's checks made sure the value column is another, numeric column.
    const std::size_t groupColumn = std::size_t(ColumnToProcess);
    const std::size_t valueColumn = std::size_t(TotalsColumn);

    std::vector<GroupBuilder> builders;
    builders.emplace_back(processed, groupColumn, valueColumn);
    if (both) builders.emplace_back(*OtherContents(), groupColumn, valueColumn);
    ResultGrid.setColumns(ResultGrid.columns() + 1);
    if (both) AddFileNumberColumn();

    // The files are read index by index in one loop, a progress step each.
    std::int32_t rows = 0;
    for (const GroupBuilder& builder : builders) rows = std::max(rows, builder.rows());
    RunProgress progress(builders.front().rows() - 1);
    for (std::int32_t r = 0; r < rows; ++r) {
        for (GroupBuilder& builder : builders) {
            if (r < builder.rows() && builder.add(r)) ++ResultRowCount;
        }
        if (!progress.step()) return;
    }
    if (!ResultFound) return;

    // The result rows: File 1's group k, then File 2's group k, while each has one.
    const CellTextFormat format = CellTextFormat::system();
    const std::int32_t fieldCount = std::int32_t(processed.Fields.size());
    ResultGrid.setRows(ResultRowCount + 1);
    ResultGrid.setTextMatrix(0, 1, processed.Fields[groupColumn].Name);
    ResultGrid.setTextMatrix(0, 2, processed.Fields[valueColumn].Name + kindSuffix(TotalsKind));
    ResultGrid.setTextMatrix(0, 3, QStringLiteral("Records"));
    TotalsResultColumns = {std::int32_t(groupColumn), std::int32_t(valueColumn)};
    TotalsGridColumns << QString::number(groupColumn) << QString::number(valueColumn)
                      << QString::number(valueColumn);
    // The other columns stand at grid columns 4, 5, ...; the grid sort needs their sources once.
    std::vector<std::size_t> others;
    for (std::int32_t c = 0; c < fieldCount; ++c) {
        if (std::size_t(c) == groupColumn || std::size_t(c) == valueColumn) continue;
        others.push_back(std::size_t(c));
        ResultGrid.setTextMatrix(0, 3 + std::int32_t(others.size()),
                                 processed.Fields[std::size_t(c)].Name);
        TotalsGridColumns << QString::number(c);
    }
    // Each mark: "-" once a group shows "-" in the column, else the last group's text.
    std::vector<char> dashSeen(others.size(), 0);
    const GroupBuilder* lastBuilder = nullptr;  // the last group written, whose texts are kept
    std::size_t lastGroup = 0;

    const std::uint32_t dashId = ResultGrid.addText(QStringLiteral("-"));
    std::int32_t gridRow = 0;
    std::size_t groupCount = 0;
    for (const GroupBuilder& builder : builders)
        groupCount = std::max(groupCount, builder.groups().size());
    for (std::size_t k = 0; k < groupCount; ++k) {
        for (std::size_t file = 0; file < builders.size(); ++file) {
            const GroupBuilder& builder = builders[file];
            if (k >= builder.groups().size()) continue;
            const Group& group = builder.groups()[k];
            ++gridRow;
            ResultGrid.setRowNumber(gridRow);
            builder.writeCell(k, groupColumn, gridRow, 1, dashId);
            ResultGrid.setTextMatrix(gridRow, 2, builder.totalText(group, format));
            ResultGrid.setNumber(gridRow, 3, group.count);
            for (std::size_t i = 0; i < others.size(); ++i) {
                builder.writeCell(k, others[i], gridRow, 4 + std::int32_t(i), dashId);
                if (builder.differs(k, others[i])) dashSeen[i] = 1;
            }
            lastBuilder = &builder;
            lastGroup = k;
            if (both) ResultGrid.setNumber(gridRow, ResultGrid.columns() - 1, int(file) + 1);
        }
    }
    TotalsDifferMarks.resize(others.size());
    for (std::size_t i = 0; i < others.size(); ++i) {
        TotalsDifferMarks[i].Value = dashSeen[i]   ? QStringLiteral("-")
                                     : lastBuilder ? lastBuilder->cellText(lastGroup, others[i])
                                                   : QString();
    }
}
