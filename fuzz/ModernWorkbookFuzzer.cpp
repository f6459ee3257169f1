// Feeds arbitrary bytes to the .xlsx and the .ods reader: open, list the tables, read each, and
// render the cells as the program would. Any crash, leak, hang, undefined behaviour or
// allocation out of proportion to the input (scripts/fuzz sets a malloc limit) is a finding.
#include <QByteArray>
#include <QLocale>
#include <cstdint>

#include "data/access/CellText.h"
#include "data/access/ods/OdsReader.h"
#include "data/access/xlsx/XlsxReader.h"

namespace {

void readAll(WorkbookFileReader& reader, const QByteArray& bytes) {
    static const CellTextFormat format{QLocale::c()};
    if (reader.openBuffer(bytes) != 0) return;
    for (const QString& name : reader.tableNames()) {
        SheetTable table;
        if (reader.readTable(name, format, table) != 0) continue;
        table.takeColumns();  // renders every cell, as a load does
        table.takeTexts();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The readers keep no reference past their own lives, which end here.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    readAll(*createXlsxReader(), bytes);
    readAll(*createOdsReader(), bytes);
    return 0;
}
