// Data modify and Sorting: every row of the file into the grid, changed or reordered on the way.
#include <QLocale>
#include <optional>

#include "data/uGlobalData.h"
#include "processing/ResultFunctions.h"
#include "processing/ResultRows.h"
#include "processing/uGridProcessor.h"

namespace {

enum Operation { CutFromBeginning = 0, CutInTheEnd = 1, AddForward = 2, AddBackwards = 3 };

// The new text of a cell, or nothing when the operation does not change it. An empty sequence
// changes nothing.
std::optional<QString> modified(const QString& cell, const QString& sequence,
                                const QString& loweredSequence, const QLocale& locale) {
    if (sequence.isEmpty()) return std::nullopt;
    const qsizetype length = sequence.size();
    switch (ModifyOperation) {
    case CutFromBeginning:
        if (cell.size() < length || locale.toLower(cell.left(length)) != loweredSequence) {
            return std::nullopt;
        }
        return cell.mid(length);
    case CutInTheEnd:
        if (cell.size() < length || locale.toLower(cell.right(length)) != loweredSequence) {
            return std::nullopt;
        }
        return cell.left(cell.size() - length);
    case AddForward: return sequence + cell;
    case AddBackwards: return cell + sequence;
    default: return std::nullopt;
    }
}

}  // namespace

void ProcessDataModify() {
    const clResult& processed = ProcessedContents();
    const std::size_t column = std::size_t(ColumnToProcess);
    const clField& modifiedColumn = processed.Fields[column];
    const std::int32_t rows = modifiedColumn.RecordCount;
    const QLocale locale = QLocale::system();
    const QString loweredSequence = locale.toLower(ModifyText);
    // Each distinct text is changed once: -1 not yet looked at, 0 unchanged, else 1 + the id of
    // its new text in the grid.
    std::vector<std::int64_t> newTextId(processed.Texts->size(), -1);

    ResultFound = true;
    RunProgress progress(rows - 1);
    for (std::int32_t r = 0; r < rows; ++r) {
        WriteResultRow(processed, r);
        const std::uint32_t id = modifiedColumn.Values.idAt(std::size_t(r));
        std::int64_t& known = newTextId[id];
        if (known < 0) {
            const std::optional<QString> text =
                modified((*processed.Texts)[id].Value, ModifyText, loweredSequence, locale);
            known = text ? std::int64_t(ResultGrid.addText(*text)) + 1 : 0;
        }
        if (known > 0) {
            ResultGrid.setTextId(ResultRowCount, std::int32_t(column) + 1, std::uint32_t(known - 1));
            ++ChangedCount;
        }
        if (!progress.step()) return;
    }
}

void ProcessSort() {
    const clResult& processed = ProcessedContents();
    const std::int32_t rows = processed.Fields[std::size_t(ColumnToProcess)].RecordCount;
    ResultFound = true;
    RunProgress progress(rows - 1);
    for (std::int32_t i = 0; i < rows; ++i) {
        const std::int32_t source = rows - 1 - i;
        WriteResultRow(processed, source);
        // The file's first row ends the loop without a step.
        if (source > 0 && !progress.step()) return;
    }
}
