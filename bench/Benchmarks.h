#pragma once

#include <QString>

// Each benchmark group prints its own lines; `workDir` holds generated files for the run.
void runLoadBenchmarks(const QString& workDir);
void runWriteBenchmarks(const QString& workDir);
