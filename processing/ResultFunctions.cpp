#include "processing/ResultFunctions.h"


std::array<ResultFunction, 7> ResultFunctionTable = {
    ProcessFindUniqueValues, ProcessFindValueRepetitions, ProcessFindSelections,
    ProcessFindMultiSelect,  ProcessFindTotals,           ProcessDataModify,
    ProcessSort,
};
