#include "processing/ResultFunctions.h"

// Each finds nothing until it is written.
void ProcessFindUniqueValues() {}
void ProcessFindValueRepetitions() {}
void ProcessFindSelections() {}
void ProcessFindMultiSelect() {}
void ProcessFindTotals() {}
void ProcessDataModify() {}
void ProcessSort() {}

std::array<ResultFunction, 7> ResultFunctionTable = {
    ProcessFindUniqueValues, ProcessFindValueRepetitions, ProcessFindSelections,
    ProcessFindMultiSelect,  ProcessFindTotals,           ProcessDataModify,
    ProcessSort,
};
