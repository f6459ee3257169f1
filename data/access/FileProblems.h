#pragma once

#include <QString>

// What the system says about a file that cannot be used, in the words it has for it, so that a
// message can name the cause beside the file.

// The system's text for an errno value, e.g. "Permission denied"; empty for 0.
QString SystemErrorText(int errnum);

// Why `path` cannot be read as a source: the system's text when it cannot be opened for reading
// ("No such file or directory", "Permission denied"), "Is a directory" for a folder, "Not a
// regular file" for a device or pipe, "The file is empty" for an empty file. Empty when it is a
// readable file with content.
QString SourceFileProblem(const QString& path);
