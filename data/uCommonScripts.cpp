#include "data/uCommonScripts.h"

#include <QFileInfo>
#include <optional>

#include "conditions/ConditionList.h"
#include "data/ProgressSink.h"
#include "data/seams/FileDialogSeam.h"
#include "data/seams/MessageSeam.h"
#include "data/uGlobalData.h"
#include "processing/uGridProcessor.h"

namespace {

FileSlotView* g_fileSlotView = nullptr;

FileSlotView* view() {
    return g_fileSlotView;
}

void showConditionList() {
    if (ResultAreaView* area = resultAreaView()) area->conditionListChanged();
}

// File 1 lost: the commands that need it go off, the grid is emptied and Save with it.
void ForgetFile1Results() {
    if (view()) view()->DisableFileCommands(CommandGroup::NeedsFile1);
    ClearFlexGrid();
    showConditionList();
    SetSaveCommandEnabled(false);
}

// Without a window to ask, the first sheet is taken.
void chooseFirstSheet(FileSlot slot) {
    clFile& file = SlotOf(slot);
    file.SheetName = file.Sheets.empty() ? QString() : file.Sheets.front().Value;
    SheetChosen = !file.Sheets.empty();
}

}  // namespace

void FileSlotView::chooseSheet(FileSlot slot) {
    chooseFirstSheet(slot);
}

void setFileSlotView(FileSlotView* view) {
    g_fileSlotView = view;
}

void SetSaveCommandEnabled(bool enabled) {
    if (g_fileSlotView) g_fileSlotView->setSaveEnabled(enabled);
}

void UnloadFile(clFile& slot) {
    const bool isFile2 = &slot == &File2;
    // A result drawn from the slot can no longer be saved as it was laid out.
    if (slot.isInUse() && CurrentResultLayout.valid &&
        (!isFile2 || CurrentResultLayout.usesFile2)) {
        ForgetResultLayout();
        SetSaveCommandEnabled(false);
    }
    if (view()) {
        view()->clearFileField(isFile2 ? FileSlot::File2 : FileSlot::File1);
        if (isFile2) view()->DisableFileCommands(CommandGroup::NeedsFile2);
    }
    ReleaseSlot(slot);
}

void UnloadFile2() {
    // Save goes off only when File 2 went into the grid: a save writes from the layout recorded
    // at the run, so a result of File 1 alone stays savable.
    UnloadFile(File2);
}

// ---- Opening and loading a source file ----

bool ChooseSheet(FileSlot slot) {
    SheetChosen = false;
    if (view()) {
        view()->chooseSheet(slot);
    } else {
        chooseFirstSheet(slot);
    }
    return SheetChosen;
}

void OpenSourceFile(const QString& path, FileSlot slotNumber, FileKind kind) {
    const bool isFile1 = slotNumber == FileSlot::File1;
    if (!isFile1 && File2.isInUse()) UnloadFile(File2);
    if (view()) view()->showFilePath(slotNumber, path);

    ProgressDialogSink progress;
    LoadQuestions questions;
    questions.chooseSheet = ChooseSheet;
    // A sheet chosen for File 1 starts afresh: the grid goes, the loaded data is what Run shows.
    questions.sheetChosen = [](FileSlot slot) {
        if (slot == FileSlot::File1) {
            ClearFlexGrid();
            showConditionList();
            SetSaveCommandEnabled(false);
            ShowLoadedData = true;
            FileToProcess = 0;
        } else {
            TotalsItem = -1;
        }
    };
    // The copy is over: its progress dialog closes before the types are shown.
    questions.showFieldTypes = [&progress](FileSlot slot) {
        progress.close();
        if (view()) view()->ShowFieldTypes(slot);
    };
    const SlotLoadResult result = LoadSourceFile(slotNumber, path, kind, questions, &progress);
    progress.close();

    if (result.status != SlotLoad::Loaded) {
        if (result.tellBeforeRelease) ShowMessage(result.message);
        if (isFile1) ForgetFile1Results();
        UnloadFile(SlotOf(slotNumber));
        if (!result.tellBeforeRelease) ShowMessage(result.message);
        return;
    }
    if (isFile1) {
        if (result.file2Released) UnloadFile(File2);
        TotalsItem = -1;
        if (view()) view()->EnableFileCommands(CommandGroup::NeedsFile1);
    } else if (view()) {
        view()->EnableFileCommands(CommandGroup::NeedsFile2);
    }
}

// ---- The three ways to open ----

namespace {

bool isFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

// Shows the path, then reads it with the reader its extension asks for (`kind`, from
// SourceKindOf). A file of any other kind is refused: the slot is left free, as after a failed
// open, and the user is told.
void OpenByExtension(FileSlot slot, const QString& path, std::optional<FileKind> kind) {
    LastOpenedFile = path;
    if (!kind) {
        if (slot == FileSlot::File1) ForgetFile1Results();
        UnloadFile(SlotOf(slot));
        ShowMessage(UnknownKindMessage(path));
        return;
    }
    clFile& file = SlotOf(slot);
    file.FilePath = path;
    file.FileName = FileNameOnly(path);
    OpenSourceFile(path, slot, *kind);
}

bool refusedAsFile1(const QString& path) {
    if (path != File1.FilePath) return false;
    ShowWarningMessage(QStringLiteral("File ") + path + QStringLiteral(" is already open!"));
    return true;
}

// What the open dialog's choice of an existing file leads to: a new File 1 closes both files
// first, and empties both fields whatever they showed. Only a file of a kind Quarix reads joins
// the recent-file list.
void openChosenFile(FileSlot slot, const QString& path) {
    const std::optional<FileKind> kind = SourceKindOf(path);
    if (slot == FileSlot::File1) {
        UnloadFile(File1);
        UnloadFile(File2);
        if (kind) AddToHistory(File1History, path);
        ResetColumnChoices();
    } else {
        if (refusedAsFile1(path)) return;
        UnloadFile(File2);
        if (kind) AddToHistory(File2History, path);
    }
    OpenByExtension(slot, path, kind);
}

}  // namespace

QStringList SourceFileFilters() {
    return {QStringLiteral("Excel Files  (*.xls)"),
            QStringLiteral("dBase Tables (*.dbf)"),
            QStringLiteral("Excel Workbooks (*.xlsx *.xlsm)"),
            QStringLiteral("OpenDocument Spreadsheets (*.ods)"),
            QStringLiteral("CSV Files (*.csv *.tsv *.txt)"),
            QStringLiteral("All Files (*)")};
}

QString OpenDialogFolder() {
    return FolderOrHome(LastOpenedFile);
}

void OpenFileFromDialog(FileSlot slot) {
    const bool isFile1 = slot == FileSlot::File1;
    const QString path =
        ChooseFileToOpen(isFile1 ? QStringLiteral("Open File 1") : QStringLiteral("Open File 2"),
                         SourceFileFilters(), OpenDialogFolder())
            .path;
    if (path.isEmpty() || !isFile(path)) return;
    openChosenFile(slot, path);
}

void OpenNamedFile(FileSlot slot, const QString& path) {
    if (!isFile(path)) {
        ShowWarningMessage(QStringLiteral("File ") + path + QStringLiteral(" was not found."));
        return;
    }
    openChosenFile(slot, path);
}

void OpenRecentFile(FileSlot slot, const QString& path) {
    if (!isFile(path)) return;
    if (slot == FileSlot::File2) {
        if (refusedAsFile1(path)) return;
        if (File2.isInUse()) UnloadFile(File2);
    }
    OpenByExtension(slot, path, SourceKindOf(path));
}

// ---- Run, Save, Clear All Fields, Conditions ----

RunOutcome RunCommand() {
    // The grid is emptied: nothing to save until the run fills it again.
    SetSaveCommandEnabled(false);
    ResetResultGrid();
    const RunResult result = RunFunction();
    // A cancel empties the condition list with the grid, as the progress dialog's Cancel does.
    if (result.cancelled) {
        ClearFlexGrid();
        showConditionList();
    }
    // Save follows what the grid holds: on exactly while it holds a result layout.
    if (CurrentResultLayout.valid) SetSaveCommandEnabled(true);
    for (const UserMessage& message : result.messages) ShowMessage(message);
    return result.outcome;
}

namespace {

SaveOutcome afterSave(const SaveResult& result, int* nativeError) {
    if (nativeError) *nativeError = result.nativeError;
    if (result.resultDiscarded) {
        ClearFlexGrid();
        showConditionList();
        SetSaveCommandEnabled(false);
    }
    ShowMessage(result.message);
    return result.outcome;
}

}  // namespace

SaveOutcome SaveResults() {
    return afterSave(ChooseAndWriteResultFile(), nullptr);
}

SaveOutcome SaveResultFile(const QString& path, ResultFileType type, int* nativeError) {
    return afterSave(WriteResultFile(path, type), nativeError);
}

void ClearAllFields() {
    ClearFlexGrid();
    showConditionList();
    ShowLoadedData = true;
    SetSaveCommandEnabled(false);
}

void ConditionsChanged() {
    showConditionList();
}
