// Measures loading, the functions and saving on large tables. Not a test: run it by hand,
// from a release build (scripts/build --release), e.g. build/bench/quarix-bench.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "Benchmarks.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir workDir;
    if (!workDir.isValid()) {
        std::fprintf(stderr, "quarix-bench: cannot create a temporary folder\n");
        return 1;
    }
    runReadBenchmarks(workDir.path());
    runWriteBenchmarks(workDir.path());
    return 0;
}
