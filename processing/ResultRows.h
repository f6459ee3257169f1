#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "data/ProgressSink.h"

struct clField;
struct clResult;

// What the seven functions share: the progress of their row loop and the writing of result rows.

// The progress dialog of one function, maximum `steps`. A step returns false once the user has
// cancelled; the grid is then reset, ResultFound is false and RunCancelled true, and the function
// returns at once.
class RunProgress {
public:
    explicit RunProgress(std::int32_t steps);
    bool step();

private:
    ProgressDialogSink m_sink;
};

// The loaded contents of the file the run processes, and of the other file (null when not
// loaded).
const clResult& ProcessedContents();
const clResult* OtherContents();

// Writes row `row` of `contents` as the next result row: ResultRowCount + 1, every column of the
// file, the row number, and the file number (1 or 2) in the last column when `fileNumber` is set.
void WriteResultRow(const clResult& contents, std::int32_t row, int fileNumber = 0);
// One more grid column, headed "File number".
void AddFileNumberColumn();

// For each id of `column`'s sheet texts: whether the id is used in `column` (1) or not (0).
std::vector<char> UsedIds(const clResult& contents, const clField& column);
