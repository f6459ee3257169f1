#include "data/access/ResultFileWriters.h"

#include "data/access/csv/CsvResultWriter.h"
#include "data/access/dbf/DbfResultWriter.h"
#include "data/access/xls/XlsResultWriter.h"
#include "data/access/xlsx/XlsxResultWriter.h"

std::unique_ptr<ResultFileWriter> createResultFileWriter(const ConnectionTarget& target,
                                                         const QLocale& locale,
                                                         const WriteDeviceFilter& filter) {
    switch (target.kind) {
        case ConnectionKind::ExcelCreate:
            // The workbook format follows the file name, as the save dialog settles it; a .csv
            // file is created like a workbook, as one file named by the connection.
            if (target.path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
                return std::make_unique<XlsxResultWriter>(target.path, locale);
            if (target.path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
                return std::make_unique<CsvResultWriter>(target.path, locale, filter);
            return std::make_unique<XlsResultWriter>(target.path, locale, filter);
        case ConnectionKind::DbaseCreate:
            return std::make_unique<DbfResultWriter>(target.path, locale, filter);
        default:
            return nullptr;
    }
}
