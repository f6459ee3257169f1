#pragma once

#include <QString>

#include "data/SlotLoading.h"

// How quarix-cli loads the sources of `convert` and `run`: through the program's own load
// routine, with every check the window applies, the sheet named on the command line (the first
// when none is named) taken without asking.
struct CliLoad {
    SlotLoadResult result;
    bool sheetMissing = false;  // the named sheet is not in the file
};
CliLoad LoadForCli(FileSlot slot, const QString& path, const QString& sheet);
// Takes the options for a delimited text FILE1 out of `arguments`, wherever they stand:
// --delimiter C (a character or "tab") and --encoding NAME override what the content says,
// --verbose tells on standard error what a text table was read as. False, with `error`, for a
// value that cannot be used.
bool TakeCsvOptions(QStringList& arguments, QString& error);
// After FILE1 loaded: with --verbose, tells how a text table at `path` was read.
void TellCsvSettings(const QString& path);

// The error line of a failure on standard error: "error CODE: TEXT" when the data access layer
// gave a code, "error: TEXT" otherwise. Returns the exit status for a failure.
int ReportFailure(int nativeError, const QString& text);
// The same for a load that did not end in Loaded: the code's description (with the file and the
// system's cause) or the check's message.
int ReportLoadFailure(const SlotLoadResult& result, const QString& path);
