#pragma once

#include <memory>

#include "app/PlatformSeams.h"

class HelpWindow;
class TFrmAbout;
class TfrmFileList;
class TfrmMain;
class TfrmMessage;
class TfrmProcessing;

// Every window of the program, each created once for the whole run in the order the program
// needs them: the main window first (its FormCreate runs before any other window exists), then
// the dialogs. Dialogs are shown and hidden, never rebuilt. The desktop's message boxes, file
// dialogs and opener, the progress dialog and the waiting window are installed as the core's
// seams; a seam that was replaced meanwhile (by a test) is left alone on destruction.
class ApplicationWindows {
public:
    ApplicationWindows();
    ~ApplicationWindows();
    ApplicationWindows(const ApplicationWindows&) = delete;
    ApplicationWindows& operator=(const ApplicationWindows&) = delete;

    TfrmMain* frmMain() const { return m_main.get(); }
    TfrmProcessing* frmProcessing() const { return m_processing.get(); }
    TfrmFileList* frmFileList() const { return m_fileList; }
    TfrmMessage* frmMessage() const { return m_message.get(); }
    TFrmAbout* FrmAbout() const { return m_about; }
    HelpWindow* helpWindow() const { return m_help; }

private:
    QtMessageBoxes m_messageBoxes;
    QtFileDialogs m_fileDialogs;
    DesktopShell m_shell;
    std::unique_ptr<TfrmMain> m_main;
    // The progress dialog and the waiting window are windows of their own (the main window is
    // disabled while they are up); they go before the main window.
    std::unique_ptr<TfrmProcessing> m_processing;
    std::unique_ptr<TfrmMessage> m_message;
    TfrmFileList* m_fileList = nullptr;  // owned by the main window
    TFrmAbout* m_about = nullptr;        // owned by the main window
    HelpWindow* m_help = nullptr;        // owned by the main window
};
