#include "data/SlotLoading.h"

#include "data/ProgressSink.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"
#include "data/access/NativeError.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"

namespace {

SlotLoadResult failed(int code, const QString& cause = {}) {
    return {SlotLoad::Failed, code, cause};
}

SlotLoadResult failed(const DbConnection& connection) {
    return failed(connection.nativeError(), connection.failureCause());
}

}  // namespace

SlotLoadResult OpenSlotFile(clFile& slot, const QString& path, bool readWrite,
                            const CellTextFormat& format) {
    return OpenSlotFile(slot, path, readWrite, format, FileExtension(path) == QLatin1String("dbf"));
}

SlotLoadResult OpenSlotFile(clFile& slot, const QString& path, bool readWrite,
                            const CellTextFormat& format, bool dbase) {
    if (slot.isInUse()) UnloadFile(slot);
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
    return {SlotLoad::Loaded, 0, {}};
}

SlotLoadResult LoadSlotSheet(clFile& slot, const QString& sheetName, ProgressSink* progress) {
    if (!slot.Connection) return failed(NativeError::NotConnected);
    slot.Contents.reset();
    slot.SheetName = sheetName;
    auto contents = std::make_unique<clResult>();
    contents->DataSet = std::make_unique<DbDataSet>(*slot.Connection);
    contents->DataSet->setQuery(QStringLiteral("SELECT * FROM \"") + sheetName + QLatin1Char('"'));
    if (!contents->DataSet->open()) return failed(*slot.Connection);
    if (!CopyRowsToContents(*contents->DataSet, *contents, progress)) {
        return {SlotLoad::Cancelled, 0, {}};
    }
    slot.Contents = std::move(contents);
    return {SlotLoad::Loaded, 0, {}};
}

SlotLoadResult LoadSlotFromFile(clFile& slot, const QString& path, const QString& sheetName,
                                bool readWrite, ProgressSink* progress,
                                const CellTextFormat& format) {
    const SlotLoadResult opened = OpenSlotFile(slot, path, readWrite, format);
    if (opened.status != SlotLoad::Loaded) return opened;
    if (slot.Sheets.empty() && sheetName.isEmpty()) {
        UnloadFile(slot);
        return failed(NativeError::TableNotFound);
    }
    const SlotLoadResult loaded =
        LoadSlotSheet(slot, sheetName.isEmpty() ? slot.Sheets.front().Value : sheetName, progress);
    if (loaded.status != SlotLoad::Loaded) UnloadFile(slot);
    return loaded;
}
