// Feeds arbitrary bytes to the .xls reader: open, list the tables, read each, and render the
// cells as the program would. Any crash, leak, hang, undefined behaviour or allocation out of
// proportion to the input (scripts/fuzz sets a malloc limit) is a finding.
#include <QByteArray>
#include <QLocale>
#include <algorithm>
#include <cstdint>

#include "data/access/CellText.h"
#include "data/access/TableFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CellTextFormat format{QLocale::c()};

    // The reader keeps no reference past its own life, which ends here.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    auto reader = createWorkbookReader();
    if (reader->openBuffer(bytes) != 0) return 0;
    for (const QString& name : reader->tableNames()) {
        SheetTable table;
        if (reader->readTable(name, format, table) != 0) continue;
        table.takeColumns();  // renders every cell, as a load does
        table.takeTexts();
    }
    return 0;
}
