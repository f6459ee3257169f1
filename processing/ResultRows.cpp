#include "processing/ResultRows.h"

#include "data/uGlobalData.h"
#include "processing/uGridProcessor.h"

RunProgress::RunProgress(std::int32_t steps) {
    m_sink.setMaximum(steps);
}

bool RunProgress::step() {
    if (m_sink.step()) return true;
    ResetResultGrid();
    ResultFound = false;
    RunCancelled = true;
    return false;
}

const clResult& ProcessedContents() {
    return *ProcessedFile->Contents;
}

const clResult* OtherContents() {
    return OtherFile ? OtherFile->Contents.get() : nullptr;
}

void WriteResultRow(const clResult& contents, std::int32_t row, int fileNumber) {
    ++ResultRowCount;
    ResultGrid.setSheetRow(ResultRowCount, contents, std::size_t(row));
    ResultGrid.setRowNumber(ResultRowCount);
    if (fileNumber > 0) ResultGrid.setNumber(ResultRowCount, ResultGrid.columns() - 1, fileNumber);
    ResultFound = true;
}

void AddFileNumberColumn() {
    ResultGrid.setColumns(ResultGrid.columns() + 1);
    ResultGrid.setTextMatrix(0, ResultGrid.columns() - 1, QStringLiteral("File number"));
}

std::vector<char> UsedIds(const clResult& contents, const clField& column) {
    std::vector<char> used(contents.Texts ? contents.Texts->size() : 0, 0);
    for (std::uint32_t id : column.Values.ids()) used[id] = 1;
    return used;
}
