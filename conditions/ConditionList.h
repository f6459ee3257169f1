#pragma once

#include <QString>
#include <vector>

// The main window's condition list (fldConditions): the accepted configuration in words. It holds
// at most one row; the main window shows what is here after each command.
struct ConditionRow {
    QString field;        // "Field": the column the condition is about
    QString description;  // "Selection properties"
    QString file;         // "File": which file is processed
};

extern std::vector<ConditionRow> ConditionRows;

// The "File" text for the current FileToProcess: "In File 1 (name)", "In File 2 (name)" or
// "Both Files".
QString ConditionFileText();

// Appends a row for the file FileToProcess names.
void AddConditionRow(const QString& field, const QString& description);
void ClearConditionList();
