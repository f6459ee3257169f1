// quarix-cli dump as a user runs it: the whole process, from starting it to its exit, with the
// rows written to /dev/null, beside xlrd opening the same workbook and reading every value.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>

#include "Benchmarks.h"

namespace {

constexpr int kRuns = 5;

// The seconds of one dump of `path`, or -1 when it failed.
double timeDump(const QString& path) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(QUARIX_CLI_PATH), {QStringLiteral("dump"), path});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::printf("  dump FAILED: %s\n", process.readAllStandardError().constData());
        return -1;
    }
    return timer.nsecsElapsed() / 1e9;
}

}  // namespace

void runDumpBenchmarks(const QString& workDir) {
    std::printf(
        "dump: quarix-cli dump FILE > /dev/null as a whole process, median of %d runs; the peer "
        "in the same run opens the file and reads every value of every row\n",
        kRuns);
    const QString path = workDir + QStringLiteral("/dump.xls");
    if (!writeWorkbook(path, 20)) {
        std::printf("dump: cannot write the workbook with python3-xlwt (scripts/install-deps)\n");
        return;
    }
    settle(path);
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const double seconds = timeDump(path);
        if (seconds < 0) return;
        times.push_back(seconds);
    }
    const double ours = median(times);
    std::printf("quarix-cli dump of .xls 65,536 x 20:\n  quarix  %7.3f s\n", ours);
    printPeerLoad("xlrd", kXlrdReader, path, kRuns, ours);
    QFile::remove(path);
}
