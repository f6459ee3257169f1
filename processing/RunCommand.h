#pragma once

#include <array>
#include <vector>

#include "data/UserMessage.h"

// How a run ended.
enum class RunOutcome {
    LoadedData,  // no function configured: the loaded rows (or nothing, without File 1 or after a
                 // cancel)
    Refused,     // a check of the configuration failed
    Result,      // the function's rows are in the grid
    NoResult,    // nothing found, or cancelled: "No data matching your query found!"
    Failed,      // the function stopped on a value it cannot handle
};

// What a run did and what the user is to be told of it, in order.
struct RunResult {
    RunOutcome outcome = RunOutcome::Refused;
    std::vector<UserMessage> messages;
    bool cancelled = false;  // the user cancelled it: the grid and the condition list go
};

// The seven functions in FunctionIndex order: the run calls the configured one through this table
// (tests put stand-ins in it).
using ResultFunction = void (*)();
extern std::array<ResultFunction, 7> ResultFunctionTable;

// The loaded data when no function is configured; otherwise the configured function on the file
// the wizard chose, with the result trimmed, sized and recorded for Save (CurrentResultLayout).
// The caller empties the grid first and shows the messages after.
RunResult RunFunction();
// Whether the configuration still fits the loaded files; sets ProcessedFile, OtherFile,
// ProcessedColumn and, where the function uses it, OtherColumn. Otherwise the warning that says
// why.
UserMessage ValidateRun();
