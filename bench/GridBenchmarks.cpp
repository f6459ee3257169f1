// The result grid: Run with no function configured (the loaded-data view) and "Sort by
// ascending", on a loaded 65,535-row sheet, beside Python doing the same with the rows xlrd reads.
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "Benchmarks.h"
#include "data/SlotLoading.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"

namespace {

constexpr int kRuns = 5;

// Prints the seconds of: the rows as lists of values, then sorting them by column 0 (numbers)
// and by column 2 (texts) with Python's stable sort; each the median of the runs.
const char* const kPythonGrid = R"(
import sys, time, statistics, xlrd
sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
runs = int(sys.argv[2])
def timed(f):
    times = []
    for _ in range(runs):
        t = time.perf_counter(); f(); times.append(time.perf_counter() - t)
    return statistics.median(times)
rows = [sheet.row_values(r) for r in range(1, sheet.nrows)]
print('%.4f %.4f %.4f' % (
    timed(lambda: [sheet.row_values(r) for r in range(1, sheet.nrows)]),
    timed(lambda: sorted(rows, key=lambda row: row[0])),
    timed(lambda: sorted(rows, key=lambda row: row[2]))))
)";

// `step` timed, each run after `setUp` (untimed).
template <typename SetUp, typename Step>
double medianSeconds(SetUp setUp, Step step) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        setUp();
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(timer.nsecsElapsed() / 1e9);
    }
    return median(times);
}

// Run with no function configured: the loaded rows into the grid.
void showLoadedData() {
    ResetResultGrid();
    RunFunction();
}

void report(const char* what, const QString& path) {
    if (LoadSourceFile(FileSlot::File1, path, FileKind::Workbook, {}, nullptr).status !=
        SlotLoad::Loaded) {
        std::printf("grid: cannot load %s\n", qPrintable(path));
        return;
    }
    ShowLoadedData = true;
    const PeakMemory peak;
    showLoadedData();
    const double peakMb = peak.extraMb();
    const double view = medianSeconds([] {}, showLoadedData);
    // Each sort starts from the rows in file order.
    const auto sortBy = [](int column) {
        return medianSeconds(showLoadedData, [column] {
            ResultGrid.setCurrentCell(1, column);
            SortResultGrid(true);
        });
    };
    const double numbers = sortBy(1);
    const double texts = sortBy(3);
    const double dates = sortBy(4);
    std::printf("%s: %d x %d grid cells\n", what, ResultGrid.rows(), ResultGrid.columns());
    std::printf(
        "  quarix  view %.3f s (peak memory +%.1f MB)   sort numbers %.3f s   sort texts "
        "%.3f s   sort dates %.3f s\n",
        view, peakMb, numbers, texts, dates);

    bool ok = false;
    const QList<QByteArray> peer =
        runPython(kPythonGrid, {path, QString::number(kRuns)}, ok).trimmed().split(' ');
    if (ok && peer.size() == 3) {
        std::printf(
            "  python  rows %.3f s                          sort numbers %.3f s   sort "
            "texts %.3f s\n",
            peer[0].toDouble(), peer[1].toDouble(), peer[2].toDouble());
    } else {
        std::printf("  python3-xlrd did not run (scripts/install-deps installs it)\n");
    }
    ClearFlexGrid();
    ReleaseSlot(File1);
}

}  // namespace

void runGridBenchmarks(const QString& workDir) {
    std::printf(
        "grid: Run with no function configured, from the command to a filled grid (texts, row "
        "numbers, widths), and \"Sort by ascending\" on a number, a text and a date column, from "
        "the "
        "command to a renumbered grid; the sheet is loaded beforehand; median of %d runs. The "
        "peer in the same run: xlrd's rows as Python lists, and Python's stable sort of them by "
        "the same column\n",
        kRuns);
    for (const int columns : {20, 255}) {
        const QString path = workDir + QStringLiteral("/grid%1.xls").arg(columns);
        if (!writeWorkbook(path, columns)) {
            std::printf(
                "grid: cannot write the workbooks with python3-xlwt (scripts/install-deps)\n");
            return;
        }
        report(columns == 20 ? ".xls 65,535 x 20" : ".xls 65,535 x 255", path);
        QFile::remove(path);
    }
}
