#include "Benchmarks.h"

void runReadBenchmarks(const QString&) {}
