#pragma once

#include <QString>

// The writing side of a connection: creates a result file and applies statements to it. Every
// function returns NativeError::None (0) or a native error code.
class ResultFileWriter {
public:
    virtual ~ResultFileWriter() = default;
    // Called when the connection opens: a workbook is created as a new, empty file; for a dBase
    // table, whose file is named only by CREATE TABLE, the folder is checked.
    virtual int create() = 0;
    // Applies one statement. A refused statement changes nothing.
    virtual int execute(const QString& statement) = 0;
    // Finishes the file: it is complete at its name, or, on failure, as it was before.
    virtual int close() = 0;
    // Gives the file up: nothing more is written, and the new, empty workbook that create()
    // made is removed again.
    virtual void abandon() = 0;
};
