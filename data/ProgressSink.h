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

// The progress dialog (the progress seam) as a sink: setMaximum shows it when there is anything
// to do, close() or the end of the sink's life closes it. Pending events (a repaint, a click on
// Cancel) run every few milliseconds rather than after every row: a 65,535-row loop would
// otherwise spend more time there than on its rows.
class ProgressDialogSink final : public ProgressSink {
public:
    ProgressDialogSink();
    ~ProgressDialogSink() override;
    void setMaximum(std::int32_t steps) override;
    bool step() override;
    void close();

private:
    bool m_shown = false;
    std::int64_t m_lastEvents = -1;  // milliseconds on a monotonic clock
    std::uint32_t m_steps = 0;
};
