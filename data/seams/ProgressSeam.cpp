#include "data/seams/ProgressSeam.h"

namespace {

ProgressView* g_progress = nullptr;
WaitingView* g_waiting = nullptr;

}  // namespace

ProgressView* setProgressView(ProgressView* view) {
    ProgressView* previous = g_progress;
    g_progress = view;
    return previous;
}

ProgressView* progressView() {
    return g_progress;
}

WaitingView* setWaitingView(WaitingView* view) {
    WaitingView* previous = g_waiting;
    g_waiting = view;
    return previous;
}

WaitingView* waitingView() {
    return g_waiting;
}

void ShowProgress() {
    if (g_progress) g_progress->showProgress();
}

void SetProgressMax(int steps) {
    if (g_progress) g_progress->setProgressMax(steps);
}

bool StepProgress() {
    if (!g_progress) return true;
    g_progress->advanceProgress();
    g_progress->processPendingEvents();
    return !g_progress->cancelled();
}

void AdvanceProgress() {
    if (g_progress) g_progress->advanceProgress();
}

void ProcessPendingEvents() {
    if (g_progress) g_progress->processPendingEvents();
}

bool ProgressCancelled() {
    return g_progress && g_progress->cancelled();
}

void CloseProgress() {
    if (g_progress) g_progress->closeProgress();
}

void ShowWaitingWindow(const QString& caption, const QString& text) {
    if (g_waiting) g_waiting->showWaiting(caption, text);
}

void CloseWaitingWindow() {
    if (g_waiting) g_waiting->closeWaiting();
}
