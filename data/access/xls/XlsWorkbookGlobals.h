#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/access/TextList.h"
#include "data/access/xls/CompoundFile.h"

// One sheet of a workbook, in workbook order.
struct XlsSheetEntry {
    QString name;
    std::uint32_t offset = 0;  // of the sheet's BOF record in the workbook stream
    bool isWorksheet = false;  // chart, macro and module sheets hold no table
};

// What the workbook stream says before its sheets: the Excel version, the date system, the code
// page, the sheets, which cell formats show dates, and the shared texts.
struct XlsWorkbookGlobals {
    int biffVersion = 8;  // 2, 3, 4, 5 (also for Excel 7) or 8
    bool dates1904 = false;
    int codePage = 1252;
    std::vector<XlsSheetEntry> sheets;
    std::vector<bool> dateXf;  // by XF index: whether cells of that XF show dates
    bool dateFormat[64] = {};  // by format index, for Excel 2 cells that name their format
    std::shared_ptr<TextList> sharedStrings = std::make_shared<TextList>();

    bool isDateXf(std::uint32_t xf) const { return xf < dateXf.size() && dateXf[xf]; }
};

// Reads the globals of the stream. Returns 0, -5005 when the workbook is encrypted or
// obfuscated (a FILEPASS record), or -5015 when the stream is damaged or not a workbook.
int readWorkbookGlobals(const WorkbookStream& stream, XlsWorkbookGlobals& out);
