#pragma once

#include <QString>
#include <stdexcept>

// A value a function cannot handle (a number that does not convert, say). The run ends with the
// grid reset, Save off and one warning that holds `what()`.
class RunError : public std::runtime_error {
public:
    explicit RunError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// How a run ended.
enum class RunOutcome {
    LoadedData,  // no function configured: the loaded rows (or nothing, without File 1 or after a
                 // cancel)
    Refused,     // a check of the configuration failed; its warning was shown
    Result,      // the function's rows are in the grid
    NoResult,    // nothing found, or cancelled: "No data matching your query found!"
    Failed,      // the function stopped on a value it cannot handle; its warning was shown
};

// The Run command: the grid reset (the condition list stays), then RunFunction. The caller keeps
// the main window disabled meanwhile.
RunOutcome RunCommand();
// The loaded data when no function is configured; otherwise the configured function on the file
// the wizard chose, with the result trimmed, sized and reported, and Save on only when the grid
// holds something.
RunOutcome RunFunction();
// Whether the configuration still fits the loaded files; sets ProcessedFile, OtherFile,
// ProcessedColumn and, where the function uses it, OtherColumn. On false it has told the user.
bool ValidateRun();
// The grid reset, the progress closed, and "No data matching your query found!".
void ReportNoResult();
