#pragma once

#include <QString>
#include <QStringList>

#include "data/FilePaths.h"
#include "data/FileSlots.h"
#include "data/ResultSaving.h"
#include "data/SlotLoading.h"
#include "processing/RunCommand.h"

struct clFile;

// The commands of the main window, each one routine that calls the core and then, in this one
// place, brings the window in line with the state the command left: the file fields, the command
// groups, Save (on exactly while the grid holds a result layout), the condition list. Messages the
// core returns are shown here through the message seam; quarix-cli calls the core routines
// underneath and prints them instead.

// What the commands ask of the main window. The main window installs itself; without it (in
// tests) nothing is shown, and the sheet chooser takes the first sheet.
class FileSlotView {
public:
    virtual ~FileSlotView() = default;
    virtual void clearFileField(FileSlot slot) = 0;  // fldFile1 or fldFile2
    virtual void DisableFileCommands(CommandGroup group) = 0;
    virtual void showFilePath(FileSlot, const QString&) {}
    virtual void EnableFileCommands(CommandGroup) {}
    virtual void setSaveEnabled(bool) {}  // the tool button "Save File" and the menu item "Save"
    // Shows the sheet chooser for `slot`'s Sheets modally; it sets the slot's SheetName and
    // SheetChosen as the user chooses.
    virtual void chooseSheet(FileSlot slot);
    // Shows the "Check Field Types" dialog for the slot modally.
    virtual void ShowFieldTypes(FileSlot) {}
};
void setFileSlotView(FileSlotView* view);  // not owned; nullptr removes it
// "Save" and "Save File" on or off, through the installed view (nothing without one).
void SetSaveCommandEnabled(bool enabled);

// Empties a slot: the file field, the sheet list, the names, the contents, the connection. A
// result drawn from the slot can no longer be saved as it was laid out.
void UnloadFile(clFile& slot);
// "Unload File 2".
void UnloadFile2();

// Whether the user chose a sheet of the slot's Sheets in the chooser (the first, without a window);
// the choice is the slot's SheetName.
bool ChooseSheet(FileSlot slot);

// Opens `path` as File 1 or File 2 through LoadSourceFile, with the sheet chooser and the field
// types of the window. Every failure leaves the slot free and tells the user; the main window's
// commands follow what the slots hold.
void OpenSourceFile(const QString& path, FileSlot slot, FileKind kind);
// The three ways to open a source: the open dialog for File 1 or File 2, and a path picked from
// a recent-file list. The caller keeps the main window disabled meanwhile.
void OpenFileFromDialog(FileSlot slot);
// A path named outside the open dialog (on the command line, handed over by a later start,
// dropped on the window) opens as File 1 or File 2 as the dialog's choice does; a path that is no
// file is told.
void OpenNamedFile(FileSlot slot, const QString& path);
void OpenRecentFile(FileSlot slot, const QString& path);
// The open dialog's file types: the workbook filter first.
QStringList SourceFileFilters();
// The folder the open dialog starts in: that of LastOpenedFile, else the user's home folder.
QString OpenDialogFolder();

// The Run command: the grid emptied (the condition list stays), RunFunction, then its messages.
RunOutcome RunCommand();

// Save: the save dialog and WriteResultFile (SaveResults), or a named file (SaveResultFile);
// `nativeError`, when given, receives the data access layer's code of a failure.
SaveOutcome SaveResults();
SaveOutcome SaveResultFile(const QString& path, ResultFileType type, int* nativeError = nullptr);

// "Clear All Fields": empties the result grid and the condition list and disables Save; the next
// Run shows the loaded data again until a configuration is accepted anew. The settings stay.
void ClearAllFields();

// After the Function Wizard closed: the condition list as it now stands.
void ConditionsChanged();
