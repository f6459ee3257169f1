#include "data/uCommonScripts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <array>
#include <optional>

#include "app/FileDialogSeam.h"
#include "app/MessageSeam.h"
#include "app/ProgressSeam.h"
#include "conditions/ConditionPanels.h"
#include "conditions/FunctionWizard.h"
#include "data/ProgressSink.h"
#include "data/ResultSaving.h"
#include "data/SlotChecks.h"
#include "data/SlotLoading.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"
#include "data/access/NativeError.h"
#include "data/access/PathNames.h"
#include "data/uGlobalData.h"
#include "processing/uGridProcessor.h"

namespace {

FileSlotView* g_fileSlotView = nullptr;

}  // namespace

QString FileExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? path : path.mid(dot + 1)).toLower();
}

QString FileNameOnly(const QString& path) {
    return PathNames::fileName(path);
}

QString FolderOf(const QString& path) {
    return PathNames::folder(path);
}

QString TableNameOf(const QString& path) {
    return PathNames::tableName(path);
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
    if (slot.isInUse()) SlotUnloaded(isFile2);
    if (g_fileSlotView) {
        g_fileSlotView->clearFileField(isFile2 ? FileSlot::File2 : FileSlot::File1);
        if (isFile2) g_fileSlotView->DisableFileCommands(CommandGroup::NeedsFile2);
    }
    slot.Sheets.clear();
    slot.FileName.clear();
    slot.FilePath.clear();
    slot.Contents.reset();  // before the connection: the data set reads through it
    if (slot.Connection) slot.Connection->close();
    slot.Connection.reset();
}

bool CopyRowsToContents(DbDataSet& dataSet, clResult& contents, ProgressSink* progress) {
    SheetTable& table = dataSet.table();
    const std::int32_t fieldCount = dataSet.fieldCount();
    const std::int32_t recordCount = dataSet.recordCount();
    if (progress) progress->setMaximum(recordCount);
    for (std::int32_t row = 0; row < recordCount; ++row) {
        table.renderRow(row);
        if (progress && !progress->step()) return false;
    }

    std::vector<std::vector<std::uint32_t>> columns = table.takeColumns();
    auto texts = std::make_shared<SheetTexts>(table.takeTexts().takeTexts());

    contents.FieldCount = fieldCount;
    contents.Texts = texts;
    contents.Fields.clear();
    contents.Fields.reserve(static_cast<std::size_t>(fieldCount));
    for (std::int32_t column = 0; column < fieldCount; ++column) {
        clField field;
        field.Name = dataSet.fieldName(column);
        field.RecordCount = recordCount;
        field.DataType = dataSet.fieldType(column);
        std::vector<std::uint32_t> ids;
        if (static_cast<std::size_t>(column) < columns.size()) {
            ids = std::move(columns[static_cast<std::size_t>(column)]);
        }
        ids.resize(static_cast<std::size_t>(recordCount), 0);
        field.Values = ColumnValues(texts, std::move(ids));
        contents.Fields.push_back(std::move(field));
    }
    return true;
}

// ---- Opening and loading a source file ----

namespace {

constexpr char kLoadingCaption[] = "Loading..";
constexpr char kLoadingText[] =
    "Please wait! Loading data from selected file!\r\nIt may take some time";

FileSlotView* view() {
    return g_fileSlotView;
}

// The copy's progress on the progress dialog: the waiting window gives way to it once the
// sheet is read and its rows are counted.
// A failure while a source opens. Failures the data access layer names get their own message;
// any other is still a file that could not be opened, never silence.
void ReportOpenFailure(int nativeError, const QString& path, const QString& cause) {
    if (openErrorMessage(nativeError, path).text.isEmpty()) nativeError = NativeError::Unreadable;
    ReportOpenError(nativeError, path, cause);
}

// File 1 lost: the commands that need it go off, the grid is emptied and Save with it.
void ForgetFile1Results() {
    if (view()) view()->DisableFileCommands(CommandGroup::NeedsFile1);
    ClearFlexGrid();
    SetSaveCommandEnabled(false);
}

// A failed open or load: the slot is free again; for File 1 its commands go off too.
void AbandonSlot(FileSlot slot) {
    if (slot == FileSlot::File1) ForgetFile1Results();
    UnloadFile(SlotOf(slot));
}

}  // namespace

clFile& SlotOf(FileSlot slot) {
    return slot == FileSlot::File2 ? File2 : File1;
}

namespace {
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

void ReportOpenError(int nativeError, const QString& path, const QString& cause) {
    const OpenErrorMessage message = openErrorMessage(nativeError, path, cause);
    if (!message.text.isEmpty()) ShowMessageBox(message.caption, message.text, MessageStyle::Ok);
}

bool ReadSheetNames(clFile& slot) {
    slot.Sheets.clear();
    QStringList names;
    if (!slot.Connection || !slot.Connection->listTableNames(names) || !slot.Connection->open()) {
        return false;
    }
    for (const QString& name : names) slot.Sheets.push_back({name});
    return true;
}

bool ChooseSheet(FileSlot slot) {
    SheetChosen = false;
    if (view()) {
        view()->chooseSheet(slot);
    } else {
        chooseFirstSheet(slot);
    }
    return SheetChosen;
}

bool LoadSheet(clFile& slot, FileSlot slotNumber) {
    ShowWaitingWindow(QString::fromLatin1(kLoadingCaption), QString::fromLatin1(kLoadingText));
    SlotLoadResult loaded;
    {
        ProgressDialogSink progress;
        loaded = LoadSlotSheet(slot, slot.SheetName, &progress);
    }
    CloseWaitingWindow();
    switch (loaded.status) {
        case SlotLoad::Failed:
            if (slotNumber == FileSlot::File1) ForgetFile1Results();
            ReportOpenError(loaded.nativeError, slot.FilePath, loaded.cause);
            UnloadFile(slot);
            return false;
        case SlotLoad::Cancelled:
            AbandonSlot(slotNumber);
            return false;
        case SlotLoad::Loaded:
            break;
    }
    const clResult& contents = *slot.Contents;
    if (contents.Fields.empty() || contents.Fields.front().RecordCount == 0) {
        AbandonSlot(slotNumber);
        ShowWarningMessage(QStringLiteral("File is empty"));
        return false;
    }
    if (view()) view()->ShowFieldTypes(slotNumber);
    return true;
}

void OpenSourceFile(const QString& path, FileSlot slotNumber, FileKind kind) {
    clFile& slot = SlotOf(slotNumber);
    const bool isFile1 = slotNumber == FileSlot::File1;
    slot.Sheets.clear();
    if (!isFile1 && File2.isInUse()) UnloadFile(File2);

    // The extension decides the reader: a dBase table is one table named after the file.
    const SlotLoadResult opened =
        OpenSlotFile(slot, path, !isFile1, CellTextFormat::system(), kind == FileKind::Dbase);
    if (opened.status != SlotLoad::Loaded) {
        // A workbook File 1 is told only the failures with a message; a dBase source and File 2
        // are always told something.
        if (kind == FileKind::Dbase || !isFile1) {
            ReportOpenFailure(opened.nativeError, path, opened.cause);
        } else {
            ReportOpenError(opened.nativeError, path, opened.cause);
        }
        AbandonSlot(slotNumber);
        return;
    }
    if (view()) view()->showFilePath(slotNumber, path);

    if (slot.Sheets.empty()) {
        AbandonSlot(slotNumber);
        ShowWarningMessage(isFile1 ? QStringLiteral("File 1 is empty")
                                   : QStringLiteral("File 2 is empty"));
        return;
    }
    if (kind == FileKind::Workbook) {
        if (!ChooseSheet(slotNumber)) {
            AbandonSlot(slotNumber);
            return;
        }
    } else {
        slot.SheetName = slot.Sheets.front().Value;
    }

    if (isFile1) {
        ClearFlexGrid();
        SetSaveCommandEnabled(false);
        ShowLoadedData = true;
        FileToProcess = 0;
    } else {
        TotalsItem = -1;
    }
    if (!LoadSheet(slot, slotNumber)) return;

    if (isFile1) {
        if (HasRefusedHeading(*File1.Contents)) {
            AbandonSlot(FileSlot::File1);
            ShowWarningMessage(FieldNameMessage());
            return;
        }
        // File 2 stays only while it still matches (File 1 reopened from the recent list).
        if (File2.isLoaded() &&
            CompareColumns(*File1.Contents, *File2.Contents) != ColumnMismatch::None) {
            UnloadFile(File2);
        }
        if (view()) view()->EnableFileCommands(CommandGroup::NeedsFile1);
        TotalsItem = -1;
        return;
    }
    const ColumnMismatch mismatch =
        File1.isLoaded() ? CompareColumns(*File1.Contents, *File2.Contents) : ColumnMismatch::Count;
    if (mismatch != ColumnMismatch::None) {
        ShowWarningMessage(ColumnMismatchMessage(mismatch));
        UnloadFile(File2);
        return;
    }
    if (view()) view()->EnableFileCommands(CommandGroup::NeedsFile2);
}

// ---- The three ways to open ----

namespace {

bool isFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

// The reader a file's extension asks for; nothing for a file of any other kind.
std::optional<FileKind> SourceKindOf(const QString& path) {
    const QString extension = FileExtension(path);
    if (extension == QLatin1String("xls") || extension == QLatin1String("xlsx") ||
        extension == QLatin1String("xlsm") || extension == QLatin1String("ods")) {
        return FileKind::Workbook;
    }
    if (extension == QLatin1String("dbf")) return FileKind::Dbase;
    return std::nullopt;
}

// Shows the path, then reads it with the reader its extension asks for (`kind`, from
// SourceKindOf). A file of any other kind is refused: the slot is left free, as after a failed
// open, and the user is told.
void OpenByExtension(FileSlot slot, const QString& path, std::optional<FileKind> kind) {
    LastOpenedFile = path;
    if (!kind) {
        AbandonSlot(slot);
        ShowMessageBox(
            QStringLiteral("Error"),
            QStringLiteral("Quarix cannot open files of this type: ") + FileNameOnly(path),
            MessageStyle::Warning);
        return;
    }
    clFile& file = SlotOf(slot);
    file.FilePath = path;
    file.FileName = FileNameOnly(path);
    if (view()) view()->showFilePath(slot, path);
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
    return {QStringLiteral("Excel Files  (*.xls)"), QStringLiteral("dBase Tables (*.dbf)"),
            QStringLiteral("Excel Workbooks (*.xlsx *.xlsm)"),
            QStringLiteral("OpenDocument Spreadsheets (*.ods)"), QStringLiteral("All Files (*)")};
}

QString FolderOrHome(const QString& path) {
    if (!path.isEmpty()) {
        const QString folder = QFileInfo(path).absolutePath();
        if (QFileInfo(folder).isDir()) return folder;
    }
    return QDir::homePath();
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

void FillColumnLists() {
    ConditionPanels& p = Panels;
    const std::array<PanelList*, 6> lists{&p.fldColToProcess,       &p.fldColToProcessSelect,
                                          &p.fldCol1MultiSelect,    &p.fldCol2MultiSelect,
                                          &p.fldColToProcessTotals, &p.fldColToProcessDataModify};
    for (PanelList* list : lists) list->clear();
    p.fldCol2MultiSelect.items << QStringLiteral("None");
    if (!File1.Contents) return;
    for (const clField& field : File1.Contents->Fields) {
        for (PanelList* list : lists) list->items << field.Name;
    }
}

void RestorePanelSelections() {
    if (!File1.Connection || (FileToProcess == 1 && !File2.Contents)) return;
    ConditionPanels& p = Panels;
    // A column index at or past the end of its list would point past the sheet's columns.
    if (p.fldColToProcess.count() > 0 && ColumnToProcess >= p.fldColToProcess.count()) {
        ColumnToProcess = 0;
    }
    p.fldColToProcess.select(ColumnToProcess);
    p.fldColToProcessSelect.select(ColumnToProcess);

    if (p.fldCol1MultiSelect.count() > 0 && MultiColumn1 >= p.fldCol1MultiSelect.count()) {
        MultiColumn1 = 0;
    }
    if (p.fldCol2MultiSelect.count() > 0 && MultiColumn2 >= p.fldCol2MultiSelect.count()) {
        MultiColumn2 = 0;
    }
    p.fldCol1MultiSelect.select(MultiColumn1);
    p.fldCol2MultiSelect.select(MultiColumn2);
    p.fldSel1MultiSelect.select(MultiOperator1);
    p.fldSel2MultiSelect.select(MultiOperator2);

    p.fldColToProcessDataModify.select(ColumnToProcess);
    p.fldSelDataModify.select(ModifyOperation);

    p.fldColToProcessTotals.select(ColumnToProcess);
    p.fldDataTotals.select(TotalsItem);
    p.fldSelTotals.select(TotalsKind);
}

void RefreshFunctionPanel(int selectedFunction) {
    switch (WizardFunction(selectedFunction)) {
        case WizardFunction::MultiFilter:
            Panels.fldSel1MultiSelect.select(MultiOperator1);
            Panels.fldSel2MultiSelect.select(MultiOperator2);
            break;
        case WizardFunction::Totals:
            FillTotalsValueColumns();
            Panels.fldDataTotals.select(TotalsItem);
            break;
        default:
            break;
    }
}

void FillTotalsValueColumns() {
    Panels.fldDataTotals.clear();
    TotalsColumnMap.clear();
    if (!File1.Contents) return;
    const std::vector<clField>& fields = File1.Contents->Fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!isNumberType(fields[i].DataType)) continue;
        Panels.fldDataTotals.items << fields[i].Name;
        TotalsColumnMap.push_back(std::int32_t(i));
    }
}
