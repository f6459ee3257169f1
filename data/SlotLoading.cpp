#include "data/SlotLoading.h"

#include "data/FilePaths.h"
#include "data/ProgressSink.h"
#include "data/SlotChecks.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"
#include "data/access/NativeError.h"
#include "data/seams/ProgressSeam.h"
#include "data/uGlobalData.h"

namespace {

constexpr char kLoadingCaption[] = "Loading..";
constexpr char kLoadingText[] =
    "Please wait! Loading data from selected file!\r\nIt may take some time";

SlotLoadResult failed(int code, const QString& cause = {}) {
    return {SlotLoad::Failed, code, cause, {}, false, true};
}

SlotLoadResult failed(const DbConnection& connection) {
    return failed(connection.nativeError(), connection.failureCause());
}

SlotLoadResult loaded() {
    return {SlotLoad::Loaded, 0, {}, {}, false, false};
}

SlotLoadResult cancelled() {
    return {SlotLoad::Cancelled, 0, {}, {}, false, false};
}

// The message for a failure of the data access layer, with the file and the cause when the layer
// gave one; nothing for codes without a message unless `alwaysTell`: then any other failure is
// still a file that could not be opened, never silence.
UserMessage openFailureMessage(const SlotLoadResult& result, const QString& path, bool alwaysTell) {
    int code = result.nativeError;
    if (alwaysTell && openErrorMessage(code, path).text.isEmpty()) code = NativeError::Unreadable;
    const OpenErrorMessage message = openErrorMessage(code, path, result.cause);
    if (message.text.isEmpty()) return {};
    return {message.caption, message.text, MessageStyle::Ok};
}

// A load that ends before the slot is kept: the slot is free again, and the user told `message`.
SlotLoadResult abandon(clFile& slot, SlotLoadResult result, const UserMessage& message) {
    ReleaseSlot(slot);
    if (result.status == SlotLoad::Loaded) result.status = SlotLoad::Failed;
    result.message = message;
    return result;
}

}  // namespace

std::optional<FileKind> SourceKindOf(const QString& path) {
    const QString extension = FileExtension(path);
    if (extension == QLatin1String("xls") || extension == QLatin1String("xlsx") ||
        extension == QLatin1String("xlsm") || extension == QLatin1String("ods")) {
        return FileKind::Workbook;
    }
    // A delimited text file is one table, read like a dBase table's: no sheet to choose.
    if (extension == QLatin1String("dbf") || extension == QLatin1String("csv") ||
        extension == QLatin1String("tsv") || extension == QLatin1String("txt")) {
        return FileKind::Dbase;
    }
    return std::nullopt;
}

UserMessage UnknownKindMessage(const QString& path) {
    return {QStringLiteral("Error"),
            QStringLiteral("Quarix cannot open files of this type: ") + FileNameOnly(path),
            MessageStyle::Warning};
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

SlotLoadResult OpenSlotFile(clFile& slot, const QString& path, bool readWrite,
                            const CellTextFormat& format) {
    return OpenSlotFile(slot, path, readWrite, format, SourceKindOf(path) == FileKind::Dbase);
}

SlotLoadResult OpenSlotFile(clFile& slot, const QString& path, bool readWrite,
                            const CellTextFormat& format, bool dbase) {
    if (slot.isInUse()) ReleaseSlot(slot);
    auto connection = std::make_unique<DbConnection>(format);
    connection->setConnectionString(dbase ? dbaseSourceConnectionString(path, readWrite)
                                          : excelSourceConnectionString(path, readWrite));
    slot.Connection = std::move(connection);
    if (!ReadSheetNames(slot)) {
        const SlotLoadResult result = failed(*slot.Connection);
        slot.Connection.reset();
        return result;
    }
    slot.FilePath = path;
    slot.FileName = FileNameOnly(path);
    return loaded();
}

SlotLoadResult LoadSlotSheet(clFile& slot, const QString& sheetName, ProgressSink* progress) {
    if (!slot.Connection) return failed(NativeError::NotConnected);
    slot.Contents.reset();
    slot.SheetName = sheetName;
    auto contents = std::make_unique<clResult>();
    contents->DataSet = std::make_unique<DbDataSet>(*slot.Connection);
    contents->DataSet->setQuery(QStringLiteral("SELECT * FROM \"") + sheetName + QLatin1Char('"'));
    if (!contents->DataSet->open()) return failed(*slot.Connection);
    if (!CopyRowsToContents(*contents->DataSet, *contents, progress)) return cancelled();
    slot.Contents = std::move(contents);
    return loaded();
}

SlotLoadResult LoadSlotFromFile(clFile& slot, const QString& path, const QString& sheetName,
                                bool readWrite, ProgressSink* progress,
                                const CellTextFormat& format) {
    const SlotLoadResult opened = OpenSlotFile(slot, path, readWrite, format);
    if (opened.status != SlotLoad::Loaded) return opened;
    if (slot.Sheets.empty() && sheetName.isEmpty()) {
        ReleaseSlot(slot);
        return failed(NativeError::TableNotFound);
    }
    const SlotLoadResult result =
        LoadSlotSheet(slot, sheetName.isEmpty() ? slot.Sheets.front().Value : sheetName, progress);
    if (result.status != SlotLoad::Loaded) ReleaseSlot(slot);
    return result;
}

SlotLoadResult LoadSheet(clFile& slot, ProgressSink* progress) {
    ShowWaitingWindow(QString::fromLatin1(kLoadingCaption), QString::fromLatin1(kLoadingText));
    const SlotLoadResult read = LoadSlotSheet(slot, slot.SheetName, progress);
    CloseWaitingWindow();
    return read;
}

UserMessage SourceRefusal(FileSlot slotNumber) {
    const clFile& slot = SlotOf(slotNumber);
    if (slot.Contents && RecordCount(*slot.Contents) == 0) {
        return UserMessage::warning(QStringLiteral("File is empty"));
    }
    if (slotNumber == FileSlot::File1) {
        if (File1.Contents && HasRefusedHeading(*File1.Contents)) {
            return UserMessage::warning(FieldNameMessage());
        }
        return {};
    }
    if (!File2.Contents) return {};
    const ColumnMismatch mismatch =
        File1.isLoaded() ? CompareColumns(*File1.Contents, *File2.Contents) : ColumnMismatch::Count;
    return mismatch == ColumnMismatch::None ? UserMessage{}
                                            : UserMessage::warning(ColumnMismatchMessage(mismatch));
}

SlotLoadResult LoadSourceFile(FileSlot slotNumber, const QString& path, FileKind kind,
                              const LoadQuestions& questions, ProgressSink* progress,
                              const CellTextFormat& format) {
    clFile& slot = SlotOf(slotNumber);
    const bool isFile1 = slotNumber == FileSlot::File1;

    // The kind decides the reader: a dBase table is one table named after the file.
    SlotLoadResult result = OpenSlotFile(slot, path, !isFile1, format, kind == FileKind::Dbase);
    if (result.status != SlotLoad::Loaded) {
        // A workbook File 1 is told only the failures with a message; a dBase source and File 2
        // are always told something.
        return abandon(slot, result,
                       openFailureMessage(result, path, kind == FileKind::Dbase || !isFile1));
    }
    if (slot.Sheets.empty()) {
        return abandon(slot, result,
                       UserMessage::warning(isFile1 ? QStringLiteral("File 1 is empty")
                                                    : QStringLiteral("File 2 is empty")));
    }
    if (kind == FileKind::Workbook && questions.chooseSheet) {
        if (!questions.chooseSheet(slotNumber)) return abandon(slot, cancelled(), {});
    } else {
        slot.SheetName = slot.Sheets.front().Value;
    }
    if (questions.sheetChosen) questions.sheetChosen(slotNumber);

    const SlotLoadResult read = LoadSheet(slot, progress);
    if (read.status != SlotLoad::Loaded) {
        return abandon(slot, read,
                       read.status == SlotLoad::Failed ? openFailureMessage(read, path, false)
                                                       : UserMessage{});
    }
    // An empty sheet is refused before its types are shown; the other checks come after.
    if (RecordCount(*slot.Contents) == 0) return abandon(slot, result, SourceRefusal(slotNumber));
    if (questions.showFieldTypes) questions.showFieldTypes(slotNumber);

    if (UserMessage refusal = SourceRefusal(slotNumber); !refusal.isEmpty()) {
        result.tellBeforeRelease = !isFile1;  // File 2 against File 1
        return abandon(slot, result, refusal);
    }
    // File 2 stays only while it still matches (File 1 reopened from the recent list).
    if (isFile1 && !SourceRefusal(FileSlot::File2).isEmpty()) {
        ReleaseSlot(File2);
        result.file2Released = true;
    }
    return result;
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
