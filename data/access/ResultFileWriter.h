#pragma once

#include <QString>

// The writing side of a connection: creates a result file and applies statements to it.
class ResultFileWriter {
public:
    virtual ~ResultFileWriter() = default;
    // Creates the new, empty file. Returns 0 or a native error code.
    virtual int create() = 0;
    // Applies one statement. Returns 0 or a native error code.
    virtual int execute(const QString& statement) = 0;
    // Finishes the file: after this it is complete at its target name.
    virtual int close() = 0;
};
