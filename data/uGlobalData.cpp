#include "data/uGlobalData.h"

#include "data/access/TextPool.h"

clFile File1;
clFile File2;
std::vector<clValues> File1History;
std::vector<clValues> File2History;
QString LastOpenedFile;
bool SheetChosen = false;
bool ShowLoadedData = true;

std::int32_t FunctionIndex = -1;
std::int32_t FileToProcess = 0;
std::int32_t ColumnToProcess = 0;
std::int32_t SelectOperator1 = 0;
std::int32_t SelectOperator2 = 0;
QString SelectValue1;
QString SelectValue2;
bool SelectAnd = false;
std::int32_t MultiColumn1 = 0;
std::int32_t MultiColumn2 = 0;
std::int32_t MultiOperator1 = 0;
std::int32_t MultiOperator2 = 0;
std::int32_t TotalsKind = 0;
std::int32_t TotalsColumn = 0;
std::int32_t TotalsItem = -1;
std::int32_t ModifyOperation = 0;
QString ModifyText;

clFile& SlotOf(FileSlot slot) {
    return slot == FileSlot::File2 ? File2 : File1;
}

void ReleaseSlot(clFile& slot) {
    slot.Sheets.clear();
    slot.FileName.clear();
    slot.FilePath.clear();
    slot.Contents.reset();  // before the connection: the data set reads through it
    if (slot.Connection) slot.Connection->close();
    slot.Connection.reset();
}

std::int32_t RecordCount(const clResult& contents) {
    return contents.Fields.empty() ? 0 : contents.Fields.front().RecordCount;
}

void ResetConditionSettings() {
    FunctionIndex = -1;
    FileToProcess = 0;
    ColumnToProcess = 0;
    SelectOperator1 = 0;
    SelectOperator2 = 0;
    SelectValue1.clear();
    SelectValue2.clear();
    SelectAnd = false;
    MultiColumn1 = 0;
    MultiColumn2 = 0;
    MultiOperator1 = 0;
    MultiOperator2 = 0;
    TotalsKind = 0;
    TotalsColumn = 0;
    TotalsItem = -1;
    ModifyOperation = 0;
    ModifyText.clear();
}

void ResetColumnChoices() {
    ColumnToProcess = 0;
    MultiColumn1 = 0;
    MultiColumn2 = 0;
    TotalsColumn = 0;
}

void AddToHistory(std::vector<clValues>& history, const QString& path) {
    for (const clValues& entry : history) {
        if (entry.Value == path) return;
    }
    history.push_back({path});
}

clResult ContentsFromTexts(const std::vector<QString>& names, const std::vector<FieldType>& types,
                           std::int32_t rows,
                           const std::function<QString(std::int32_t, std::int32_t)>& cell) {
    TextPool pool;
    std::vector<std::vector<std::uint32_t>> columns(names.size());
    for (std::size_t c = 0; c < names.size(); ++c) {
        columns[c].reserve(static_cast<std::size_t>(rows));
        for (std::int32_t r = 0; r < rows; ++r) {
            columns[c].push_back(pool.intern(cell(r, static_cast<std::int32_t>(c))));
        }
    }
    auto texts = std::make_shared<SheetTexts>(pool.takeTexts());
    clResult contents;
    contents.FieldCount = static_cast<std::int32_t>(names.size());
    contents.Texts = texts;
    for (std::size_t c = 0; c < names.size(); ++c) {
        contents.Fields.push_back({names[c], rows, c < types.size() ? types[c] : FieldType::String,
                                   ColumnValues(texts, std::move(columns[c]))});
    }
    return contents;
}
