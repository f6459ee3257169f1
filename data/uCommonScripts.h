#pragma once

#include <QString>

#include "data/FileSlots.h"

struct clFile;

// Path helpers. Paths are split at "/" and at "\", so paths written either way work.
QString FileExtension(const QString& path);  // after the last ".", lower case
QString FileNameOnly(const QString& path);   // after the last separator
QString FolderOf(const QString& path);       // up to and including the last separator
QString TableNameOf(const QString& path);    // file name, trimmed, without its last 4 characters

// What opening, loading and emptying a slot ask of the main window. The main window installs
// itself; without it (in tests, in the command-line tool) nothing is shown, and the sheet
// chooser takes the first sheet.
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

// Empties a slot: the file field, the sheet list, the names, the contents, the connection.
void UnloadFile(clFile& slot);

clFile& SlotOf(FileSlot slot);

// How a source is read: a workbook with sheets to choose from, or a dBase table.
enum class FileKind { Workbook = 0, Dbase = 1 };

// Opens `path` as File 1 or File 2: connects, lists the sheets, lets the user choose one (a
// workbook's), loads it and checks it. Every failure leaves the slot free and tells the user as
// the message texts say; the main window's commands follow what File 1 holds.
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
// `path`'s folder while it exists, else the user's home folder.
QString FolderOrHome(const QString& path);

// Lists the sheets (tables) of the slot's connection into its Sheets, in the file's order, and
// opens the connection. False when the data access layer refuses: its native error tells why.
bool ReadSheetNames(clFile& slot);
// Whether the user chose a sheet in the chooser.
bool ChooseSheet(FileSlot slot);
// The plain message box for a failure of the data access layer while a source is opened, with
// the file and the cause when the layer gave one; nothing for codes without a message.
void ReportOpenError(int nativeError, const QString& path, const QString& cause = {});
// Reads the chosen sheet of an open slot into its contents, with the waiting window while the
// sheet is read and the progress dialog while it is copied. False when the slot is free again.
bool LoadSheet(clFile& slot, FileSlot slotNumber);

struct clResult;
class DbDataSet;
class ProgressSink;

// Copies every row of an open data set into `contents`, column by column, as text: the data
// set's rows are rendered one at a time, a progress step each, and then taken over, so the sheet
// is held once. Returns false when the user cancelled (the copy is then incomplete and the
// caller discards it).
bool CopyRowsToContents(DbDataSet& dataSet, clResult& contents, ProgressSink* progress = nullptr);

// The wizard's parameter panels (Panels). Every column list shows File 1's columns, whatever file
// is processed: File 2 stays loaded only while its columns equal File 1's.
// Refills the six column lists from File 1, headings as they are ("None" first in the second
// Multi-Filter column list).
void FillColumnLists();
// Selects the condition settings in the panels' lists. A column choice at or past the end of its
// list (a sheet with fewer columns) goes back to the first column.
void RestorePanelSelections();
// Refreshes the panel of `selectedFunction`.
void RefreshFunctionPanel(int selectedFunction);
// Refills the Totals value-column list with File 1's numeric columns, and TotalsColumnMap with
// their indexes; nothing is selected afterwards.
void FillTotalsValueColumns();
