#pragma once

#include <array>

// The seven functions. Each reads the condition settings, the panels and the run state, writes
// its rows into ResultGrid below the headings the run prepared, steps the progress dialog once a
// row, and sets ResultFound when it has something to show. A cancel leaves the grid reset
// (ClearFlexGrid) and ResultFound false. A value it cannot handle ends it with a RunError.
void ProcessFindUniqueValues();
void ProcessFindValueRepetitions();
void ProcessFindSelections();
void ProcessFindMultiSelect();
void ProcessFindTotals();
void ProcessDataModify();
void ProcessSort();

// The seven in FunctionIndex order: the Run command calls the configured one through this table
// (tests put stand-ins in it).
using ResultFunction = void (*)();
extern std::array<ResultFunction, 7> ResultFunctionTable;
