// Feeds arbitrary bytes to the delimited text reader as a .csv file: find the encoding and the
// delimiter, read the table, and render the cells as a load does. Any crash, leak, hang,
// undefined behaviour or allocation out of proportion to the input (scripts/fuzz sets a malloc
// limit) is a finding.
#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdint>

#include "data/access/CellText.h"
#include "data/access/csv/CsvReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CellTextFormat format{QLocale::c()};
    static QTemporaryDir folder;
    if (!folder.isValid()) return 0;
    // The first byte picks the name, since a .tsv file leans towards TAB.
    const QString path = folder.filePath(size > 0 && data[0] % 2 ? "t.tsv" : "t.csv");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        return 0;
    }
    file.close();

    CsvReader reader;
    if (reader.open(path) == 0) {
        for (const QString& name : reader.tableNames()) {
            SheetTable out;
            if (reader.readTable(name, format, out) != 0) continue;
            out.takeColumns();
            out.takeTexts();
        }
    }
    QFile::remove(path);
    return 0;
}
