// Feeds arbitrary bytes to the dBase reader as a table and its memo file: open, read the table,
// and render the cells as the program would. The input is the table's bytes, and after the
// marker below those of its memo file, written both as NAME.dbt and NAME.fpt so that each
// version of the table finds it. Any crash, leak, hang, undefined behaviour or allocation out of
// proportion to the input (scripts/fuzz sets a malloc limit) is a finding.
#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdint>

#include "data/access/CellText.h"
#include "data/access/dbf/DbfReader.h"

namespace {

const QByteArray kMemoMarker = QByteArrayLiteral("\n--memo--\n");

bool writeFile(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CellTextFormat format{QLocale::c()};
    static QTemporaryDir folder;
    if (!folder.isValid()) return 0;
    const QString table = folder.filePath("t.dbf");

    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype marker = input.indexOf(kMemoMarker);
    const QByteArrayView tableBytes = marker < 0 ? input : input.first(marker);
    if (!writeFile(table, tableBytes)) return 0;
    for (const char* memo : {"t.dbt", "t.fpt"}) {
        if (marker < 0) {
            QFile::remove(folder.filePath(memo));
        } else if (!writeFile(folder.filePath(memo), input.sliced(marker + kMemoMarker.size()))) {
            return 0;
        }
    }

    DbfReader reader;
    if (reader.open(table) != 0) return 0;
    for (const QString& name : reader.tableNames()) {
        SheetTable out;
        if (reader.readTable(name, format, out) != 0) continue;
        out.takeColumns();  // renders every cell, as a load does
        out.takeTexts();
    }
    return 0;
}
