#include "data/access/SourceReaders.h"

#include <QFile>

#include "data/access/NativeError.h"
#include "data/access/ZipPackage.h"
#include "data/access/csv/CsvReader.h"
#include "data/access/dbf/DbfReader.h"
#include "data/access/ods/OdsReader.h"
#include "data/access/xls/CompoundFile.h"
#include "data/access/xlsx/XlsxReader.h"

namespace {

bool isOpenDocumentSpreadsheet(const ZipPackage& package) {
    QByteArray mimetype;
    if (package.readSmallPart(QStringLiteral("mimetype"), 256, mimetype)) {
        return mimetype.trimmed().startsWith("application/vnd.oasis.opendocument.spreadsheet");
    }
    return package.hasPart(QStringLiteral("content.xml"));
}

}  // namespace

std::unique_ptr<TableFileReader> createSourceReader(const QString& path, bool workbook) {
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.peek(8) : QByteArray();
    file.close();
    if (ZipPackage::hasSignature(head)) {
        ZipPackage package;
        if (package.openFile(path) == NativeError::None && isOpenDocumentSpreadsheet(package)) {
            return createOdsReader();
        }
        // An unreadable zip is refused by the reader that expects the most common kind.
        return createXlsxReader();
    }
    if (workbook || CompoundFile::hasSignature(head)) return createWorkbookReader();
    if (isCsvPath(path)) return std::make_unique<CsvReader>();
    return std::make_unique<DbfReader>();
}
