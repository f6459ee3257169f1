#pragma once

#include <memory>

#include "data/access/TableFileReader.h"

// The .ods workbook reader (OpenDocument spreadsheet). It also reads from memory.
std::unique_ptr<WorkbookFileReader> createOdsReader();
