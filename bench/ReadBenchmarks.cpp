// Loading a large .xls workbook into the data model, beside python3-xlrd reading the same file.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

#include "Benchmarks.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"

namespace {

constexpr int kRows = 65535;
constexpr int kColumns = 20;

// Writes a workbook of a heading row and kRows records of numbers, texts, dates and booleans.
const char* const kWriter = R"(
import sys, datetime, xlwt
rows, cols, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
book = xlwt.Workbook()
sheet = book.add_sheet('Data')
date = xlwt.easyxf(num_format_str='yyyy-mm-dd')
for c in range(cols):
    sheet.write(0, c, 'Column %d' % c)
start = datetime.date(1990, 1, 1)
for r in range(1, rows):
    row = sheet.row(r)
    for c in range(cols):
        kind = c % 5
        if kind == 0: row.set_cell_number(c, r * 1.25 + c)
        elif kind == 1: row.set_cell_number(c, r * 7919 % 100003 + 0.5)
        elif kind == 2: row.write(c, 'text %d/%d' % (r, c))
        elif kind == 3: row.write(c, start + datetime.timedelta(days=r % 20000), date)
        else: row.set_cell_boolean(c, r % 2 == 0)
    if r % 1000 == 0: sheet.flush_row_data()
book.save(path)
)";

const char* const kReader = R"(
import sys, time, xlrd
t = time.perf_counter()
book = xlrd.open_workbook(sys.argv[1])
n = 0
for sheet in book.sheets():
    for r in range(sheet.nrows):
        for value in sheet.row_values(r):
            n += 1
print('%.3f %d' % (time.perf_counter() - t, n))
)";

long statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Lowers the high-water mark to the current size, so that the next peak is the load's own.
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

QByteArray runPython(const char* script, const QStringList& arguments, bool& ok) {
    QProcess process;
    process.start(QStringLiteral(QUARIX_SYSTEM_PYTHON),
                  QStringList{QStringLiteral("-c"), QString::fromLatin1(script)} + arguments);
    ok = process.waitForFinished(600000) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
    if (!ok) std::fprintf(stderr, "%s\n", process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

}  // namespace

void runReadBenchmarks(const QString& workDir) {
    const QString path = workDir + QStringLiteral("/large.xls");
    bool ok = false;
    runPython(kWriter, {QString::number(kRows + 1), QString::number(kColumns), path}, ok);
    if (!ok) {
        std::printf(
            "xls read: cannot write the workbook with python3-xlwt (scripts/install-deps)\n");
        return;
    }
    const qint64 fileSize = QFileInfo(path).size();

    const long before = statusKb("VmRSS:");
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    DbConnection connection;
    connection.setConnectionString(excelSourceConnectionString(path, false));
    QStringList names;
    DbDataSet dataSet(connection);
    bool loaded = connection.listTableNames(names) && connection.open() && !names.isEmpty();
    if (loaded) {
        dataSet.setQuery(QStringLiteral("SELECT * FROM \"") + names.first() + QLatin1Char('"'));
        loaded = dataSet.open();
    }
    const double ours = timer.nsecsElapsed() / 1e9;
    const long peak = statusKb("VmHWM:");
    if (!loaded) {
        std::printf("xls read: loading failed with %d\n", connection.nativeError());
        return;
    }
    const double peakMb = (peak - before) / 1024.0;
    const double fileMb = fileSize / 1048576.0;
    std::printf("xls read: %d x %d cells, file %.1f MB\n", dataSet.recordCount() + 1,
                dataSet.fieldCount(), fileMb);
    std::printf("xls read: quarix  %.3f s, peak memory +%.1f MB (%.1f x the file)\n", ours, peakMb,
                peakMb / fileMb);

    const QByteArray xlrd = runPython(kReader, {path}, ok);
    if (!ok) {
        std::printf("xls read: python3-xlrd did not run\n");
        return;
    }
    const double theirs = xlrd.split(' ').first().toDouble();
    std::printf("xls read: xlrd    %.3f s (%s cells)\n", theirs,
                xlrd.split(' ').value(1).trimmed().constData());
    std::printf("xls read: quarix is %.1f x as fast as xlrd\n", theirs / ours);
}
