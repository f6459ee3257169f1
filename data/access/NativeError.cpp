#include "data/access/NativeError.h"

namespace {

struct ErrorRow {
    int code;
    const char* caption;        // empty: the program shows no message box for this code
    const char* programText;    // %1 stands for the file path
    const char* description;    // for codes the program does not show
    const char* headline = "";  // the description in short, for when the cause is known
};

// One table for every code: what the program shows and what the command-line tool prints.
constexpr ErrorRow kErrors[] = {
    {NativeError::Unreadable, "Error", "Error opening file!", ""},
    {NativeError::GeneralFailure, "Error", "Error opening file!", ""},
    {NativeError::PasswordProtected, "Message",
     "File is password protected. Please unlock the file and try again.", ""},
    {NativeError::TooManyOrDuplicatedFields, "Error",
     "Cannot open %1. Too many fields (more than 255) or duplicated names.", ""},
    {NativeError::LockedByAnotherProgram, "Error",
     "Cannot open %1. It is being used by another person or program. Close any programs that "
     "might be using the file and try again.",
     ""},
    {NativeError::TableNotFound, "", "", "The table named in the query does not exist."},
    {NativeError::UnsupportedStatement, "", "",
     "The statement is not one this layer executes (CREATE TABLE with the types TEXT, INTEGER "
     "and REAL, or INSERT INTO with quoted values)."},
    {NativeError::StatementDoesNotFitTable, "", "",
     "The statement does not fit the table: a column it names is not in the table or is named "
     "twice, or the file already holds its table."},
    {NativeError::NotConnected, "", "", "The connection is not open."},
    {NativeError::CannotCreateFile, "", "",
     "The file cannot be created: its folder does not exist or cannot be written to, or the "
     "name is that of a folder.",
     "The file cannot be created."},
    {NativeError::WriteFailed, "", "",
     "Writing the file failed (is the disk full?); the file is as it was before.",
     "Writing the file failed; the file is as it was before."},
    {NativeError::ValueDoesNotFit, "", "",
     "A value is longer than the file format holds (a dBase field holds 254 bytes, a workbook "
     "cell 65,535 characters)."},
    {NativeError::TargetExists, "", "", "A file of that name already exists."},
    {NativeError::NameNotUsable, "", "",
     "A table or column name cannot be held by the file format (a dBase field name needs a "
     "letter, digit or underscore; a sheet name holds at most 31 characters and none of "
     ": \\ / ? * [ ])."},
    {NativeError::TooManyRows, "", "",
     "The table already holds the most rows the file format allows (65,535 below the headings "
     "of a workbook)."},
    {NativeError::TooManyColumns, "", "",
     "The table has more columns than the file format allows (256 in a workbook, 255 in a "
     "dBase table)."},
};

const ErrorRow* findRow(int code) {
    for (const ErrorRow& row : kErrors) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

}  // namespace

QString causeLine(const QString& filePath, const QString& cause) {
    return cause.isEmpty() ? QString()
                           : QLatin1Char('\n') + filePath + QStringLiteral(": ") + cause;
}

OpenErrorMessage openErrorMessage(int code, const QString& filePath, const QString& cause) {
    const ErrorRow* row = findRow(code);
    if (!row || row->caption[0] == '\0') return {};
    return {QString::fromUtf8(row->caption),
            QString::fromUtf8(row->programText).replace(QLatin1String("%1"), filePath) +
                causeLine(filePath, cause)};
}

QString describeNativeError(int code, const QString& filePath, const QString& cause) {
    const OpenErrorMessage shown = openErrorMessage(code, filePath, cause);
    if (!shown.text.isEmpty()) return shown.text;
    const ErrorRow* row = findRow(code);
    if (!row) return QStringLiteral("Unknown error %1.").arg(code) + causeLine(filePath, cause);
    const bool inShort = !cause.isEmpty() && row->headline[0] != '\0';
    return QString::fromUtf8(inShort ? row->headline : row->description) +
           causeLine(filePath, cause);
}
