// Feeds arbitrary bytes to the .xls reader: open, list the tables, read each, and render the
// cells as the program would. Any crash, leak, hang or undefined behaviour is a finding.
#include <QByteArray>
#include <QLocale>
#include <algorithm>
#include <cstdint>

#include "data/access/CellText.h"
#include "data/access/TableFileReader.h"

namespace {
constexpr std::int32_t kRenderedCells = 4096;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool localeSet = [] {
        CellTextFormat::setCurrentLocale(QLocale::c());
        return true;
    }();
    (void)localeSet;

    // The reader keeps no reference past its own life, which ends here.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    auto reader = createWorkbookReader();
    if (reader->openBuffer(bytes) != 0) return 0;
    for (const QString& name : reader->tableNames()) {
        SheetTable table;
        if (reader->readTable(name, table) != 0) continue;
        const CellTextFormat& format = CellTextFormat::current();
        std::int32_t rendered = 0;
        for (std::int32_t row = 0; row < table.rowCount && rendered < kRenderedCells; ++row) {
            for (std::int32_t column = 0; column < table.columnCount(); ++column, ++rendered) {
                format.render(table.at(row, column), table.fieldTypes[column], table);
            }
        }
    }
    return 0;
}
