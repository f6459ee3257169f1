#pragma once

#include <QStringList>
#include <cstdint>
#include <vector>

#include "data/uGlobalData.h"

// What a Totals result leaves for Save and the grid sort, released at the start of every Totals
// run and built when it has a result.
// The grouping column's index, then the value column's.
extern std::vector<std::int32_t> TotalsResultColumns;
// One mark per other column, in result order: "-" when the groups differ in it, otherwise its
// text in the last group written.
extern std::vector<clValues> TotalsDifferMarks;
// TotalsGridColumns (the source column of each result column from 1 on) lives with the grid.
