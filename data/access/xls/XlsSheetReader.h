#pragma once

#include "data/access/SheetTableBuilder.h"
#include "data/access/xls/CompoundFile.h"
#include "data/access/xls/XlsWorkbookGlobals.h"

// Reads the cells of the sheet whose substream starts at `sheet.offset` into `builder`: values,
// texts (shared, inline, and formula results), dates where the cell's format shows one,
// booleans and errors. Blank cells are left out. Returns 0, or -5015 when the substream is
// damaged or a cell names a shared text that does not exist. The builder is given the
// workbook's shared texts (globals.sharedStrings) when it is made.
int readSheetCells(const WorkbookStream& stream, const XlsWorkbookGlobals& globals,
                   const XlsSheetEntry& sheet, SheetTableBuilder& builder);

// The text Excel shows for an error value.
QString errorText(std::uint8_t code);
