#pragma once

#include <QString>

// How a long loop (loading a sheet, saving, the loaded-data view, the functions) reports its
// progress and learns that the user cancelled it. The progress dialog implements ProgressView;
// tests install a scripted view that cancels at a chosen step. Without a view nothing is shown
// and no loop is ever cancelled.
//
// A loop goes like this (the caller has disabled the main window first):
//
//     ShowProgress();                 // progress 0, the cancel flag cleared
//     SetProgressMax(rowCount);
//     for (each row) {
//         ...work on the row...
//         if (!StepProgress()) { undo the partial result; break; }
//     }
//     CloseProgress();                // also fine when the dialog has closed already
//
// A cancel is seen only when the loop reads it (StepProgress or ProgressCancelled); nothing
// interrupts the loop in between.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    // Shows the dialog without waiting; progress becomes 0 and the cancel flag false.
    virtual void showProgress() = 0;
    virtual void setProgressMax(int steps) = 0;
    // Raises the progress by one (kept within the maximum).
    virtual void advanceProgress() = 0;
    // Lets pending window events run: this is where a click on Cancel is handled.
    virtual void processPendingEvents() = 0;
    // The user confirmed Cancel since the dialog was last shown.
    virtual bool cancelled() const = 0;
    // Progress 0, maximum 10, dialog hidden.
    virtual void closeProgress() = 0;
};

// The window shown while a sheet is read, which cannot report progress: a caption and a text
// (lines separated by "\r\n" or "\n") and no button.
class WaitingView {
public:
    virtual ~WaitingView() = default;
    // Shows the window without waiting and lets pending events run once so that it is painted.
    virtual void showWaiting(const QString& caption, const QString& text) = 0;
    virtual void closeWaiting() = 0;
};

// Install a view (not owned; nullptr removes it); each returns the view it replaces.
ProgressView* setProgressView(ProgressView* view);
ProgressView* progressView();
WaitingView* setWaitingView(WaitingView* view);
WaitingView* waitingView();

void ShowProgress();
void SetProgressMax(int steps);
// One step: progress + 1, pending events run, then the cancel flag is read. Returns true while
// the loop may go on, false once the user has cancelled.
bool StepProgress();
// The two halves of a step for loops that read the flag before letting events run.
void AdvanceProgress();
void ProcessPendingEvents();
bool ProgressCancelled();
void CloseProgress();

void ShowWaitingWindow(const QString& caption, const QString& text);
void CloseWaitingWindow();
