// The seven functions on two loaded 65,535 x 20 sheets, from Run to a filled grid store, beside
// python3-pandas doing the same job on the same rows already in data frames.
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "Benchmarks.h"
#include "conditions/ConditionPanels.h"
#include "data/SlotLoading.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"

namespace {

constexpr int kRuns = 5;
constexpr int kRows = 65535;

// Columns: Code (text, about 50,000 distinct), Group (text, 100 distinct), Amount (decimals),
// Qty (whole numbers), then texts and numbers up to 20. `offset` shifts the codes of File 2, so
// that about 20,000 of each file's codes are missing from the other.
const char* const kWriter = R"(
import sys, xlwt
rows, offset, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
book = xlwt.Workbook()
sheet = book.add_sheet('Data')
names = ['Code', 'Group', 'Amount', 'Qty'] + ['Extra %d' % c for c in range(4, 20)]
for c, name in enumerate(names):
    sheet.write(0, c, name)
for r in range(1, rows + 1):
    row = sheet.row(r)
    row.write(0, 'c%d' % ((r * 7) % 50000 + offset))
    row.write(1, 'group %d' % (r % 100))
    row.set_cell_number(2, (r * 7919 % 100003) / 100.0)
    row.set_cell_number(3, r % 1000)
    for c in range(4, 20):
        if c % 2: row.write(c, 'text %d' % ((r + c) % 5000))
        else: row.set_cell_number(c, (r * c) % 10007)
    if r % 1000 == 0: sheet.flush_row_data()
book.save(path)
)";

// The same jobs with pandas; prints one median per job, in the order of kJobs.
const char* const kPandas = R"(
import sys, time, statistics, xlrd, pandas as pd
def frame(path):
    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    return pd.DataFrame([sheet.row_values(r) for r in range(1, sheet.nrows)],
                        columns=sheet.row_values(0))
a, b = frame(sys.argv[1]), frame(sys.argv[2])
runs = int(sys.argv[3])
jobs = [
    lambda: a[~a['Code'].isin(b['Code'])],
    lambda: a[~a['Group'].isin(b['Group'])],
    lambda: a[a.duplicated('Code', keep=False)].sort_values('Code', kind='stable'),
    lambda: a[a.duplicated('Group', keep=False)].sort_values('Group', kind='stable'),
    lambda: a[(a['Amount'] > 100) & (a['Amount'] <= 500)],
    lambda: a[a['Code'].str.lower().str.contains('c1') & (a['Qty'] > 500)],
    lambda: a.groupby('Code', sort=False).agg(total=('Amount', 'sum'), records=('Amount', 'size')),
    lambda: a.groupby('Group', sort=False).agg(total=('Amount', 'sum'), records=('Amount', 'size')),
    lambda: a.assign(Code='X-' + a['Code']),
    lambda: a.iloc[::-1].copy(),
]
for job in jobs:
    times = []
    for _ in range(runs):
        t = time.perf_counter(); job(); times.append(time.perf_counter() - t)
    print('%.4f' % statistics.median(times))
)";

struct Job {
    const char* name;
    int function;
    int column;  // 0 Code, 1 Group, 2 Amount, 3 Qty
    void (*setUp)();
};

void filterSetUp() {
    SelectOperator1 = 4;  // Greater Than
    Panels.fldData1Select = QStringLiteral("100");
    SelectOperator2 = 4;  // Less Than Or Equal To
    Panels.fldSel2Select.position = 4;
    Panels.fldData2Select = QStringLiteral("500");
    SelectAnd = true;
}

void multiFilterSetUp() {
    MultiColumn1 = 0;
    MultiOperator1 = 6;  // Contains
    Panels.fldData1MultiSelect = QStringLiteral("c1");
    MultiColumn2 = 4;  // Qty, picked in the second column list
    Panels.fldCol2MultiSelect.position = 4;
    MultiOperator2 = 4;
    Panels.fldData2MultiSelect = QStringLiteral("500");
}

void totalsSetUp() {
    TotalsKind = 0;
    TotalsColumn = 2;
}

void modifySetUp() {
    ModifyOperation = 2;  // Add forward
    ModifyText = QStringLiteral("X-");
}

void nothing() {}

const Job kJobs[] = {
    {"Unique values, many keys", 0, 0, nothing},
    {"Unique values, 100 keys", 0, 1, nothing},
    {"Duplicates, many keys", 1, 0, nothing},
    {"Duplicates, 100 keys", 1, 1, nothing},
    {"Filter, two conditions", 2, 2, filterSetUp},
    {"Multi-Filter", 3, 0, multiFilterSetUp},
    {"Totals, many groups", 4, 0, totalsSetUp},
    {"Totals, 100 groups", 4, 1, totalsSetUp},
    {"Data modify", 5, 0, modifySetUp},
    {"Sorting", 6, 0, nothing},
};

}  // namespace

void runFunctionBenchmarks(const QString& workDir) {
    std::printf(
        "functions: each of the seven on a loaded 65,535 x 20 sheet (File 2 alike), from Run to a "
        "filled grid store (checks, layout, the function, trimming, widths, the Duplicates sort); "
        "median of %d runs. The peer in the same run: python3-pandas on the same rows already in "
        "data frames (anti-join, duplicated + stable sort, boolean masks, groupby, string "
        "concatenation, reversal)\n",
        kRuns);
    const QString path1 = workDir + QStringLiteral("/functions1.xls");
    const QString path2 = workDir + QStringLiteral("/functions2.xls");
    bool ok = false;
    runPython(kWriter, {QString::number(kRows), QStringLiteral("0"), path1}, ok);
    if (ok) runPython(kWriter, {QString::number(kRows), QStringLiteral("20000"), path2}, ok);
    if (!ok ||
        LoadSourceFile(FileSlot::File1, path1, FileKind::Workbook, {}, nullptr).status !=
            SlotLoad::Loaded ||
        LoadSourceFile(FileSlot::File2, path2, FileKind::Workbook, {}, nullptr).status !=
            SlotLoad::Loaded) {
        std::printf(
            "functions: cannot write or load the sheets (python3-xlwt: scripts/install-deps)\n");
        return;
    }
    FillColumnLists();

    std::vector<double> ours;
    for (const Job& job : kJobs) {
        ResetConditionSettings();
        FunctionIndex = job.function;
        ColumnToProcess = job.column;
        ShowLoadedData = false;
        job.setUp();
        const PeakMemory peak;
        std::vector<double> times;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer timer;
            timer.start();
            ResetResultGrid();
            RunFunction();
            times.push_back(timer.nsecsElapsed() / 1e9);
        }
        const double peakMb = peak.extraMb();
        ours.push_back(median(times));
        std::printf("  %-26s quarix %7.4f s  +%6.1f MB  %6d result rows\n", job.name, ours.back(),
                    peakMb, ResultRowCount);
    }

    const QList<QByteArray> peer =
        runPython(kPandas, {path1, path2, QString::number(kRuns)}, ok).trimmed().split('\n');
    if (!ok || peer.size() != qsizetype(std::size(kJobs))) {
        std::printf("  python3-pandas did not run (scripts/install-deps installs it)\n");
    } else {
        for (std::size_t i = 0; i < std::size(kJobs); ++i) {
            const double seconds = peer[qsizetype(i)].toDouble();
            std::printf("  %-26s pandas %7.4f s  quarix takes %.2f x pandas' time\n", kJobs[i].name,
                        seconds, ours[i] / seconds);
        }
    }
    ClearFlexGrid();
    ReleaseSlot(File1);
    ReleaseSlot(File2);
    QFile::remove(path1);
    QFile::remove(path2);
}
