// Loading: the whole path a user waits for, from a file name to a loaded slot (connection,
// sheet names, the chosen sheet's data set, the copy into the slot's contents with a progress
// step a row), beside python3-xlrd and python3-dbfread reading the same files in the same run.
#include <malloc.h>
#include <shapefil.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "Benchmarks.h"
#include "data/ProgressSink.h"
#include "data/SlotLoading.h"
#include "data/uGlobalData.h"

namespace {

constexpr int kRows = 65535;
constexpr int kRuns = 5;

// A heading row and rows-1 records of numbers, decimals, texts, dates and booleans.
const char* const kXlsWriter = R"(
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

// The same kinds of values in a .xlsx workbook, written by openpyxl in its streaming mode;
// prints the unzipped size of the sheet's XML.
const char* const kXlsxWriter = R"(
import sys, datetime, zipfile, openpyxl
rows, cols, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
book = openpyxl.Workbook(write_only=True)
sheet = book.create_sheet('Data')
sheet.append(['Column %d' % c for c in range(cols)])
start = datetime.date(1990, 1, 1)
kinds = [c % 5 for c in range(cols)]
for r in range(1, rows):
    sheet.append([r * 1.25 + c if k == 0 else r * 7919 % 100003 + 0.5 if k == 1 else
                  'text %d/%d' % (r, c) if k == 2 else start + datetime.timedelta(days=r % 20000)
                  if k == 3 else r % 2 == 0 for c, k in enumerate(kinds)])
book.save(path)
with zipfile.ZipFile(path) as z:
    print(sum(i.file_size for i in z.infolist() if i.filename.startswith('xl/worksheets/')))
)";

// Each peer reads the file `runs` times and prints the seconds of each run and the cells read.
const char* const kOpenpyxlReader = R"(
import sys, time, openpyxl
for run in range(int(sys.argv[2])):
    t = time.perf_counter()
    book = openpyxl.load_workbook(sys.argv[1], read_only=True)
    n = 0
    for sheet in book.worksheets:
        for row in sheet.iter_rows(values_only=True):
            n += len(row)
    print('%.4f %d' % (time.perf_counter() - t, n))
)";

const char* const kDbfreadReader = R"(
import sys, time, dbfread
for run in range(int(sys.argv[2])):
    t = time.perf_counter()
    n = 0
    for record in dbfread.DBF(sys.argv[1]):
        n += len(record)
    print('%.4f %d' % (time.perf_counter() - t, n))
)";

}  // namespace

const char* const kXlrdReader = R"(
import sys, time, xlrd
for run in range(int(sys.argv[2])):
    t = time.perf_counter()
    book = xlrd.open_workbook(sys.argv[1])
    n = 0
    for sheet in book.sheets():
        for r in range(sheet.nrows):
            n += len(sheet.row_values(r))
    print('%.4f %d' % (time.perf_counter() - t, n))
)";

QByteArray runPython(const char* script, const QStringList& arguments, bool& ok) {
    QProcess process;
    process.start(QStringLiteral(QUARIX_SYSTEM_PYTHON),
                  QStringList{QStringLiteral("-c"), QString::fromLatin1(script)} + arguments);
    ok = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
    if (!ok) std::fprintf(stderr, "%s\n", process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

double median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

namespace {

// A field of /proc/self/status in kB.
long statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

}  // namespace

PeakMemory::PeakMemory() {
    malloc_trim(0);
    m_before = statusKb("VmRSS:");
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");  // resets the high-water mark
}

double PeakMemory::extraMb() const {
    return (statusKb("VmHWM:") - m_before) / 1024.0;
}

bool writeWorkbook(const QString& path, int columns) {
    bool ok = false;
    runPython(kXlsWriter, {QString::number(kRows + 1), QString::number(columns), path}, ok);
    return ok;
}

namespace {

// Counts the steps and never cancels, as a progress dialog nobody touches.
class CountingSink final : public ProgressSink {
public:
    void setMaximum(std::int32_t steps) override { maximum = steps; }
    bool step() override {
        ++steps;
        return true;
    }
    std::int32_t maximum = 0;
    std::int32_t steps = 0;
};

struct LoadFigure {
    double seconds = -1;  // median
    double peakMb = -1;   // the first run's peak increase
    std::int64_t cells = 0;
};

// The peak memory is the first run's, measured from the bottom: what the previous files left
// in the allocator goes back first. The later runs reuse the allocator's memory, as the peer's
// later runs in one interpreter do.
LoadFigure loadOurs(const QString& path, int runs) {
    LoadFigure figure;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        CountingSink progress;
        std::optional<PeakMemory> peak;
        if (run == 0) peak.emplace();
        QElapsedTimer timer;
        timer.start();
        const SlotLoadResult result = LoadSourceFile(
            FileSlot::File1, path, SourceKindOf(path).value_or(FileKind::Workbook), {}, &progress);
        times.push_back(timer.nsecsElapsed() / 1e9);
        if (peak) figure.peakMb = peak->extraMb();
        if (result.status != SlotLoad::Loaded) {
            std::printf("  loading FAILED with %d: %s\n", result.nativeError,
                        qPrintable(result.message.text));
            return {};
        }
        const clResult& contents = *File1.Contents;
        figure.cells = std::int64_t(contents.FieldCount) *
                       (contents.Fields.empty() ? 0 : contents.Fields.front().RecordCount + 1);
        ReleaseSlot(File1);
    }
    figure.seconds = median(times);
    return figure;
}

// A progress dialog whose Cancel is pressed half-way through its steps (the rows being
// rendered: while the file is read the program shows its waiting window, which has no Cancel).
class CancellingSink final : public ProgressSink {
public:
    void setMaximum(std::int32_t steps) override { m_maximum = steps; }
    bool step() override {
        if (++m_steps < m_maximum / 2) return true;
        if (!m_pressed.isValid()) m_pressed.start();
        return false;
    }
    // Seconds from the press to now; -1 when the load never got that far.
    double sincePressed() const {
        return m_pressed.isValid() ? m_pressed.nsecsElapsed() / 1e9 : -1;
    }

private:
    std::int32_t m_maximum = 0, m_steps = 0;
    QElapsedTimer m_pressed;
};

void printCancelDelay(const QString& path) {
    CancellingSink progress;
    const SlotLoadResult result = LoadSourceFile(
        FileSlot::File1, path, SourceKindOf(path).value_or(FileKind::Workbook), {}, &progress);
    const double delay = progress.sincePressed();
    if (File1.isInUse()) ReleaseSlot(File1);
    if (delay >= 0 && result.status == SlotLoad::Cancelled) {
        std::printf("  cancel  pressed half-way through the progress: stopped %.4f s later\n",
                    delay);
    }
}

}  // namespace

// A file just written is still being written back to the disk for a while, which slows the
// first reads of it down: both readers start once it is on the disk.
void settle(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) ::fsync(file.handle());
}

double printOurLoad(const char* what, const QString& path, int runs, double xmlMb) {
    settle(path);
    const double fileMb = QFileInfo(path).size() / 1048576.0;
    std::printf("%s, %.1f MB:\n", what, fileMb);
    const LoadFigure ours = loadOurs(path, runs);
    if (ours.seconds < 0) return -1;
    std::printf("  quarix  %7.3f s  peak memory +%.1f MB (%.1f x the %s), %lld cells\n",
                ours.seconds, ours.peakMb, ours.peakMb / (xmlMb > 0 ? xmlMb : fileMb),
                xmlMb > 0 ? "sheet XML" : "file", static_cast<long long>(ours.cells));
    printCancelDelay(path);
    return ours.seconds;
}

void printPeerLoad(const char* peerName, const char* peerScript, const QString& path, int runs,
                   double ourSeconds, const QStringList& extraArguments) {
    bool ok = false;
    const QByteArray out =
        runPython(peerScript, QStringList{path, QString::number(runs)} + extraArguments, ok);
    if (!ok) {
        std::printf("  %s did not run (scripts/install-deps installs it)\n", peerName);
        return;
    }
    std::vector<double> times;
    QByteArray cells;
    for (const QByteArray& line : out.trimmed().split('\n')) {
        times.push_back(line.split(' ').value(0).toDouble());
        cells = line.split(' ').value(1);
    }
    const double peer = median(times);
    std::printf("  %-7s %7.3f s  (%s values)\n", peerName, peer, cells.constData());
    std::printf("  quarix is %.1f x as fast as %s\n", peer / ourSeconds, peerName);
}

namespace {

// `xmlMb`: for a .xlsx workbook, the unzipped size of its sheet XML, which its memory is
// measured against.
void report(const char* what, const QString& path, const char* peerName, const char* peerScript,
            int runs = kRuns, double xmlMb = 0) {
    const double ours = printOurLoad(what, path, runs, xmlMb);
    if (ours >= 0) printPeerLoad(peerName, peerScript, path, runs, ours);
}

// A dBase table of kRows records and kDbaseColumns fields: texts, integers, decimals, dates and
// logicals in turn.
constexpr int kDbaseColumns = 20;

bool writeDbaseTable(const QString& path) {
    DBFHandle dbf = DBFCreate(QFile::encodeName(path).constData());
    if (!dbf) return false;
    for (int c = 0; c < kDbaseColumns; ++c) {
        const QByteArray name = "FIELD" + QByteArray::number(c);
        switch (c % 5) {
            case 0:
                DBFAddField(dbf, name.constData(), FTString, 24, 0);
                break;
            case 1:
                DBFAddField(dbf, name.constData(), FTInteger, 9, 0);
                break;
            case 2:
                DBFAddField(dbf, name.constData(), FTDouble, 12, 2);
                break;
            case 3:
                DBFAddNativeFieldType(dbf, name.constData(), 'D', 8, 0);
                break;
            default:
                DBFAddNativeFieldType(dbf, name.constData(), 'L', 1, 0);
                break;
        }
    }
    bool ok = true;
    for (int r = 0; r < kRows && ok; ++r) {
        for (int c = 0; c < kDbaseColumns && ok; ++c) {
            switch (c % 5) {
                case 0: {
                    const QByteArray text =
                        "text " + QByteArray::number(r) + '/' + QByteArray::number(c);
                    ok = DBFWriteStringAttribute(dbf, r, c, text.constData());
                    break;
                }
                case 1:
                    ok = DBFWriteIntegerAttribute(dbf, r, c, (r * 37 + c) % 100000);
                    break;
                case 2:
                    ok = DBFWriteDoubleAttribute(dbf, r, c, (r * 7919 % 1000003) / 100.0);
                    break;
                case 3: {
                    const QByteArray date =
                        QByteArray::number(19900101 + (r % 28) + (r % 12) * 100);
                    ok = DBFWriteStringAttribute(dbf, r, c, date.constData());
                    break;
                }
                default:
                    ok = DBFWriteLogicalAttribute(dbf, r, c, r % 2 ? 'T' : 'F');
                    break;
            }
        }
    }
    DBFClose(dbf);
    return ok;
}

}  // namespace

void runLoadBenchmarks(const QString& workDir) {
    std::printf(
        "load: from a file name to a loaded slot (open, sheet names, query, copy into the "
        "contents with a progress step a row); median of %d runs; the peer in the same "
        "run opens the file and reads every value of every row\n",
        kRuns);
    const QString narrow = workDir + QStringLiteral("/narrow.xls");
    const QString wide = workDir + QStringLiteral("/wide.xls");
    const QString table = workDir + QStringLiteral("/table.dbf");
    if (writeWorkbook(narrow, 20)) {
        report(".xls 65,536 x 20", narrow, "xlrd", kXlrdReader);
    } else {
        std::printf("load: cannot write the workbooks with python3-xlwt (scripts/install-deps)\n");
    }
    if (writeWorkbook(wide, 255)) report(".xls 65,536 x 255", wide, "xlrd", kXlrdReader);
    QFile::remove(narrow);
    QFile::remove(wide);
    if (writeDbaseTable(table)) {
        report(".dbf 65,535 records x 20", table, "dbfread", kDbfreadReader);
    } else {
        std::printf("load: cannot write the dBase table\n");
    }
}

void runModernLoadBenchmarks(const QString& workDir) {
    std::printf(
        "xlsx: from a file name to a loaded slot, as for load; the peer in the same run is "
        "openpyxl in read-only mode reading every value of every row\n");
    const struct {
        const char* what;
        int rows, columns, runs;
    } sizes[] = {{".xlsx 65,535 x 20", kRows, 20, 3}, {".xlsx 1,000,000 x 10", 1000000, 10, 1}};
    for (const auto& size : sizes) {
        const QString path = workDir + QStringLiteral("/modern.xlsx");
        bool ok = false;
        const QByteArray xmlBytes = runPython(
            kXlsxWriter, {QString::number(size.rows + 1), QString::number(size.columns), path}, ok);
        if (!ok) {
            std::printf(
                "xlsx: cannot write the workbook with python3-openpyxl (scripts/install-deps)\n");
            return;
        }
        report(size.what, path, "openpyxl", kOpenpyxlReader, size.runs,
               xmlBytes.trimmed().toDouble() / 1048576.0);
        QFile::remove(path);
    }
}
