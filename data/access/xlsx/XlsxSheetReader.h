#pragma once

#include <QString>
#include <cstddef>
#include <memory>
#include <vector>

#include "data/access/SheetTableBuilder.h"
#include "data/access/ZipPackage.h"

// What a worksheet's cells refer to outside the sheet.
struct XlsxSheetContext {
    const std::vector<bool>& dateStyles;  // by cell format: shows dates
    std::size_t sharedTextCount = 0;
    bool dates1904 = false;
};

// Reads the cells of one worksheet part into a new `builder`. Unreadable for broken XML, a
// cell outside the sheet's 1,048,576 rows and 16,384 columns, a value its type cannot hold
// and a shared text that is not there.
int readXlsxSheet(const ZipPackage& package, const QString& partName, qint64& budget,
                  const XlsxSheetContext& context, std::shared_ptr<const TextList> sharedTexts,
                  std::unique_ptr<SheetTableBuilder>& builder);
