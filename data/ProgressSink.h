#pragma once

#include <cstdint>

// Where a long routine of the core reports its progress, one step a row, and learns that the
// user cancelled. The progress dialog stands behind it in the program; tests and the benchmark
// count steps or cancel at a chosen one.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setMaximum(std::int32_t steps) = 0;
    // One step is done. Returns false once the user has cancelled: the routine stops there.
    virtual bool step() = 0;
};
