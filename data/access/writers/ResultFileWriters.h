#pragma once

#include <memory>

#include "data/access/ConnectionString.h"
#include "data/access/ResultFileWriter.h"
#include "data/access/writers/AtomicFile.h"

// The writer for a file-creating connection (ExcelCreate or DbaseCreate); nullptr for others.
std::unique_ptr<ResultFileWriter> createResultFileWriter(const ConnectionTarget& target,
                                                         const WriteDeviceFilter& filter = {});
