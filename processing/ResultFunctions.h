#pragma once

#include <QString>
#include <stdexcept>

// A value a function cannot handle (a number that does not convert, say). The run ends with the
// grid reset and one warning that holds message().
class RunError : public std::runtime_error {
public:
    explicit RunError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The seven functions. Each reads the condition settings, the panels and the run state, writes
// its rows into ResultGrid below the headings the run prepared, steps the progress dialog once a
// row, and sets ResultFound when it has something to show. A cancel leaves the grid reset,
// ResultFound false and RunCancelled set. A value it cannot handle ends it with a RunError; what
// else it has to tell the user goes into RunMessages.
void ProcessFindUniqueValues();
void ProcessFindValueRepetitions();
void ProcessFindSelections();
void ProcessFindMultiSelect();
void ProcessFindTotals();
void ProcessDataModify();
void ProcessSort();
