#include "data/uCommonScripts.h"

#include "data/ProgressSink.h"
#include "data/access/DbDataSet.h"
#include "data/access/PathNames.h"
#include "data/uGlobalData.h"

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

void UnloadFile(clFile& slot) {
    const bool isFile2 = &slot == &File2;
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
