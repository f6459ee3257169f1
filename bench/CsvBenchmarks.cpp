// Loading delimited text: the same kinds of values as the workbooks of the load benchmark, in a
// .csv file, from a file name to a loaded slot, beside pandas' read_csv (C parser) in the same
// run, once keeping every field a text and once finding the columns' types.
#include <QFile>
#include <cstdio>

#include "Benchmarks.h"

namespace {

// A heading row and rows-1 records of numbers, decimals, texts, ISO dates and TRUE/FALSE.
const char* const kCsvWriter = R"(
import sys, csv, datetime
rows, cols, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
start = datetime.date(1990, 1, 1)
kinds = [c % 5 for c in range(cols)]
with open(path, 'w', newline='', encoding='utf-8') as f:
    out = csv.writer(f)
    out.writerow(['Column %d' % c for c in range(cols)])
    for r in range(1, rows):
        out.writerow([repr(r * 1.25 + c) if k == 0 else repr(r * 7919 % 100003 + 0.5) if k == 1
                      else 'text %d/%d' % (r, c) if k == 2
                      else (start + datetime.timedelta(days=r % 20000)).isoformat() if k == 3
                      else ('TRUE' if r % 2 == 0 else 'FALSE') for c, k in enumerate(kinds)])
)";

// argv: path, runs, "str" (every field a text) or "types" (pandas finds the types).
const char* const kPandasReader = R"(
import sys, time, pandas
for run in range(int(sys.argv[2])):
    t = time.perf_counter()
    if sys.argv[3] == 'str':
        frame = pandas.read_csv(sys.argv[1], dtype=str, keep_default_na=False, engine='c')
    else:
        frame = pandas.read_csv(sys.argv[1], engine='c')
    print('%.4f %d' % (time.perf_counter() - t, frame.size))
)";

}  // namespace

void runCsvLoadBenchmarks(const QString& workDir) {
    std::printf(
        "csv: from a file name to a loaded slot, as for load; the peer in the same run is "
        "pandas.read_csv (C parser), with every field kept as text (dtype=str) and with the "
        "types it finds\n");
    const struct {
        const char* what;
        int rows, columns, runs;
    } sizes[] = {{".csv 65,535 x 20", 65535, 20, 5}, {".csv 1,000,000 x 10", 1000000, 10, 5}};
    for (const auto& size : sizes) {
        const QString path = workDir + QStringLiteral("/table.csv");
        bool ok = false;
        runPython(kCsvWriter, {QString::number(size.rows + 1), QString::number(size.columns), path},
                  ok);
        if (!ok) {
            std::printf("csv: cannot write the table with python3\n");
            return;
        }
        const double ours = printOurLoad(size.what, path, size.runs);
        if (ours >= 0) {
            printPeerLoad("pandas (dtype=str)", kPandasReader, path, size.runs, ours, {"str"});
            printPeerLoad("pandas (types)", kPandasReader, path, size.runs, ours, {"types"});
        }
        QFile::remove(path);
    }
}
