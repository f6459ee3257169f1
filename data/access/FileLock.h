#pragma once

#include <QString>

// Whether another program holds `path` open for writing: an office suite keeps a lock file
// ".~lock.NAME#" beside a document it has open, and other programs take an advisory lock.
bool isLockedByAnotherProgram(const QString& path);
