#pragma once

#include <QByteArray>

// Wraps one stream in a compound file (the container format of .xls workbooks), in memory,
// through libgsf. Returns an empty array when libgsf fails.
QByteArray compoundFileWithStream(const char* streamName, const QByteArray& stream);
