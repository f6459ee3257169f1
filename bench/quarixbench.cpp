// Measures loading, the functions and saving on large tables. Not a test: run it by hand,
// from a release build (scripts/build --release): build/bench/quarix-bench
// [load|xlsx|csv|grid|functions|dump|write], or build/bench/quarix-bench profile FILE (one load of
// FILE, to run under a profiler).
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "Benchmarks.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure shows as soon as it is measured
    QTemporaryDir workDir;
    if (!workDir.isValid()) {
        std::fprintf(stderr, "quarix-bench: cannot create a temporary folder\n");
        return 1;
    }
    const QStringList groups = app.arguments().mid(1);
    if (groups.value(0) == QStringLiteral("profile") && groups.size() == 2) {
        // One load of the named file and nothing else, for perf or callgrind.
        return printOurLoad("profile", groups[1], 1) < 0 ? 1 : 0;
    }
    if (groups.isEmpty() || groups.contains(QStringLiteral("load"))) {
        runLoadBenchmarks(workDir.path());
    }
    if (groups.isEmpty() || groups.contains(QStringLiteral("xlsx"))) {
        runModernLoadBenchmarks(workDir.path());
    }
    if (groups.isEmpty() || groups.contains(QStringLiteral("csv"))) {
        runCsvLoadBenchmarks(workDir.path());
    }
    if (groups.isEmpty() || groups.contains(QStringLiteral("grid"))) {
        runGridBenchmarks(workDir.path());
    }
    if (groups.isEmpty() || groups.contains(QStringLiteral("functions"))) {
        runFunctionBenchmarks(workDir.path());
    }
    if (groups.isEmpty() || groups.contains(QStringLiteral("dump"))) {
        runDumpBenchmarks(workDir.path());
    }
    if (groups.isEmpty() || groups.contains(QStringLiteral("write"))) {
        runWriteBenchmarks(workDir.path());
    }
    return 0;
}
