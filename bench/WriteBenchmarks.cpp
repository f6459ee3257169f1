#include "Benchmarks.h"

void runWriteBenchmarks(const QString&) {}
