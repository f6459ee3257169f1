#include "data/ProgressSink.h"

#include <QDeadlineTimer>

#include "data/seams/ProgressSeam.h"

namespace {
constexpr std::int64_t kEventInterval = 15;  // milliseconds

std::int64_t now() {
    return QDeadlineTimer::current().deadline();
}
}  // namespace

ProgressDialogSink::ProgressDialogSink() = default;

ProgressDialogSink::~ProgressDialogSink() {
    close();
}

void ProgressDialogSink::setMaximum(std::int32_t steps) {
    CloseWaitingWindow();
    if (steps <= 0) return;
    ShowProgress();
    SetProgressMax(steps);
    m_shown = true;
}

bool ProgressDialogSink::step() {
    AdvanceProgress();
    // The clock is read every few steps only: reading it costs more than a short row.
    if ((++m_steps & 15) == 1) {
        const std::int64_t at = now();
        if (m_lastEvents < 0 || at - m_lastEvents >= kEventInterval) {
            ProcessPendingEvents();
            m_lastEvents = at;
        }
    }
    return !ProgressCancelled();
}

void ProgressDialogSink::close() {
    if (!m_shown) return;
    m_shown = false;
    CloseProgress();
}
