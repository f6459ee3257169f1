#pragma once

#include <QString>

// Native error codes of the data access layer. The first four are the failures a user can meet
// while opening a source file; the program maps them to fixed messages. The others are the
// layer's own and are shown to the user only by quarix-cli.
namespace NativeError {
constexpr int None = 0;
constexpr int Unreadable = -5015;  // corrupt, truncated or not a readable file
constexpr int GeneralFailure = 0x80004005 - 0x100000000LL;  // treated like Unreadable
constexpr int PasswordProtected = -5005;
constexpr int TooManyOrDuplicatedFields = -1040;
constexpr int LockedByAnotherProgram = -1028;
constexpr int TableNotFound = -1305;
constexpr int UnsupportedStatement = -3500;
constexpr int StatementDoesNotFitTable = -3501;
constexpr int NotConnected = -3502;
constexpr int CannotCreateFile = -3503;
constexpr int WriteFailed = -3504;
constexpr int ValueDoesNotFit = -3505;
constexpr int TargetExists = -3506;
constexpr int NameNotUsable = -3507;
constexpr int TooManyRows = -3508;
constexpr int TooManyColumns = -3509;
}  // namespace NativeError

// What the program shows for a failure while a source file is opened: a plain message box with
// this caption and text. An empty text means the program shows nothing for that code.
struct OpenErrorMessage {
    QString caption;
    QString text;
};

// The message for `code`; `filePath` is inserted where the message names the file. With a
// `cause` (DbConnection::failureCause) a second line names the file and the cause:
// "FILE: CAUSE".
OpenErrorMessage openErrorMessage(int code, const QString& filePath, const QString& cause = {});

// A description for the save's messages and the command-line tool: the program's own message
// when it has one, otherwise the layer's description of the code; with a `cause`, a failure of
// the file system is told in short with a second line "FILE: CAUSE" instead of its possible
// reasons.
QString describeNativeError(int code, const QString& filePath, const QString& cause = {});
// The line a message about a file ends with: a line break, the file and the cause the system
// gave; nothing without a cause.
QString causeLine(const QString& filePath, const QString& cause);
