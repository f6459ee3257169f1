#pragma once

#include <memory>

#include "data/access/TableFileReader.h"

// The .xlsx and .xlsm workbook reader (Office Open XML). It also reads from memory.
std::unique_ptr<WorkbookFileReader> createXlsxReader();
