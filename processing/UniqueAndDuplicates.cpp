// Unique values and Duplicates. Values are equal when their texts are identical; within one
// sheet that is when their ids are, so each distinct value is looked up once.
#include <QSet>

#include "data/uGlobalData.h"
#include "processing/ResultFunctions.h"
#include "processing/ResultRows.h"
#include "processing/uGridProcessor.h"

namespace {

// For each id of `column`'s texts that the column uses: whether its text occurs in `other`.
std::vector<char> foundIn(const clResult& contents, const clField& column,
                          const clResult& otherContents, const clField& other) {
    QSet<QString> otherTexts;  // borrowed texts: both sheets outlive the set
    const std::vector<char> otherUsed = UsedIds(otherContents, other);
    for (std::size_t id = 0; id < otherUsed.size(); ++id) {
        if (otherUsed[id]) otherTexts.insert(otherContents.Texts->borrowed(id));
    }
    std::vector<char> found = UsedIds(contents, column);
    for (std::size_t id = 0; id < found.size(); ++id) {
        if (found[id]) found[id] = otherTexts.contains(contents.Texts->borrowed(id));
    }
    return found;
}

}  // namespace

void ProcessFindUniqueValues() {
    // File 2 may have been unloaded since the function was configured.
    if (!File2.Contents) {
        RunMessages.push_back(UserMessage::warning(QStringLiteral("Please select file 2")));
        return;
    }
    const std::size_t column = std::size_t(ColumnToProcess);
    const clResult& processed = ProcessedContents();
    const clResult& other = *OtherContents();
    const clField& processedColumn = processed.Fields[column];
    const clField& otherColumn = other.Fields[column];
    const std::vector<char> found = foundIn(processed, processedColumn, other, otherColumn);

    if (FileToProcess != 2) {
        RunProgress progress(processedColumn.RecordCount - 1);
        for (std::int32_t r = 0; r < processedColumn.RecordCount; ++r) {
            if (!found[processedColumn.Values.idAt(std::size_t(r))]) WriteResultRow(processed, r);
            if (!progress.step()) return;
        }
        return;
    }

    // Both files: File 1's rows missing from File 2, then File 2's missing from File 1.
    const std::vector<char> foundBack = foundIn(other, otherColumn, processed, processedColumn);
    RunProgress progress(2 * (processedColumn.RecordCount - 1));
    AddFileNumberColumn();
    const struct {
        const clResult& contents;
        const clField& column;
        const std::vector<char>& found;
        int fileNumber;
    } passes[] = {{processed, processedColumn, found, 1}, {other, otherColumn, foundBack, 2}};
    for (const auto& pass : passes) {
        for (std::int32_t r = 0; r < pass.column.RecordCount; ++r) {
            if (!pass.found[pass.column.Values.idAt(std::size_t(r))] && ReserveResultRow()) {
                WriteResultRow(pass.contents, r, pass.fileNumber);
            }
            if (!progress.step()) return;
        }
    }
}

void ProcessFindValueRepetitions() {
    const clResult& processed = ProcessedContents();
    const clField& column = processed.Fields[std::size_t(ColumnToProcess)];
    const std::int32_t rows = column.RecordCount;

    ResultGrid.clear();
    for (std::size_t i = 0; i < processed.Fields.size(); ++i) {
        ResultGrid.setTextMatrix(0, std::int32_t(i) + 1, processed.Fields[i].Name);
    }
    // The rows of each value in file order: a count and a chain from each row to the next row
    // with the same value.
    const std::size_t idCount = processed.Texts->size();
    std::vector<std::int32_t> occurrences(idCount, 0);
    std::vector<std::int32_t> nextSame(std::size_t(rows), -1);
    std::vector<std::int32_t> lastRow(idCount, -1);
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::uint32_t id = column.Values.idAt(std::size_t(r));
        ++occurrences[id];
        if (lastRow[id] >= 0) nextSame[std::size_t(lastRow[id])] = r;
        lastRow[id] = r;
    }

    std::vector<char> seen(idCount, 0);  // the values already grouped
    RunProgress progress(rows - 1);
    for (std::int32_t r = 0; r < rows; ++r) {
        if (!progress.step()) return;
        const std::uint32_t id = column.Values.idAt(std::size_t(r));
        if (processed.Texts->view(id).isEmpty() || seen[id]) continue;
        seen[id] = 1;
        // Row r is the value's first row: the group is it and then the others in file order.
        if (occurrences[id] < 2) continue;
        for (std::int32_t j = r; j >= 0; j = nextSame[std::size_t(j)]) {
            WriteResultRow(processed, j);
        }
    }
    for (std::int32_t row = 1; row <= ResultRowCount; ++row) ResultGrid.setRowNumber(row);
}
