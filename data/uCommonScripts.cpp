#include "data/uCommonScripts.h"

#include "data/uGlobalData.h"

namespace {

FileSlotView* g_fileSlotView = nullptr;

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

}  // namespace

QString FileExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? path : path.mid(dot + 1)).toLower();
}

QString FileNameOnly(const QString& path) { return path.mid(lastSeparator(path) + 1); }

QString FolderOf(const QString& path) {
    const qsizetype separator = lastSeparator(path);
    return separator < 0 ? QString() : path.left(separator + 1);
}

QString TableNameOf(const QString& path) {
    const QString name = FileNameOnly(path).trimmed();
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

void setFileSlotView(FileSlotView* view) { g_fileSlotView = view; }

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

bool CopyRowsToContents(DbDataSet& dataSet, clResult& contents,
                        const std::function<bool()>& afterRow) {
    const std::int32_t fieldCount = dataSet.fieldCount();
    const std::int32_t recordCount = dataSet.recordCount();
    contents.FieldCount = fieldCount;
    contents.Fields.clear();
    contents.Fields.reserve(static_cast<std::size_t>(fieldCount));
    for (std::int32_t column = 0; column < fieldCount; ++column) {
        clField field;
        field.Name = dataSet.fieldName(column);
        field.RecordCount = recordCount;
        field.DataType = dataSet.fieldType(column);
        field.Values.reserve(static_cast<std::size_t>(recordCount));
        contents.Fields.push_back(std::move(field));
    }
    for (std::int32_t row = 0; row < recordCount; ++row) {
        for (std::int32_t column = 0; column < fieldCount; ++column) {
            contents.Fields[static_cast<std::size_t>(column)].Values.push_back(
                {dataSet.editText(column)});
        }
        dataSet.next();
        if (afterRow && !afterRow()) return false;
    }
    return true;
}
