#pragma once

#include <QLocale>
#include <memory>

#include "data/access/AtomicFile.h"
#include "data/access/ConnectionString.h"
#include "data/access/ResultFileWriter.h"

// The writer for a file-creating connection (ExcelCreate, for .xls, .xlsx and .csv files, or
// DbaseCreate); nullptr for others.
// Values of number columns are read as numbers the way `locale` writes them.
std::unique_ptr<ResultFileWriter> createResultFileWriter(const ConnectionTarget& target,
                                                         const QLocale& locale,
                                                         const WriteDeviceFilter& filter = {});
