#pragma once

#include <QIODevice>

#include "data/access/xls/BiffRecord.h"

// Writes a compound file (the container format of .xls workbooks) holding one stream, through
// libgsf, into `device`; `writeStream` writes the stream's bytes to the sink it is given. libgsf
// puts the stream's sectors into the device as they come, so the container costs no copy of the
// stream in memory. Returns false when libgsf, the device or `writeStream` failed.
bool writeCompoundFile(QIODevice& device, const char* streamName,
                       const std::function<bool(const Biff::Sink& sink)>& writeStream);
