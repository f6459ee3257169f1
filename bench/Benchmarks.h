#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Each benchmark group prints its own lines; `workDir` holds generated files for the run.
void runLoadBenchmarks(const QString& workDir);
void runModernLoadBenchmarks(const QString& workDir);
void runCsvLoadBenchmarks(const QString& workDir);
void runWriteBenchmarks(const QString& workDir);
void runGridBenchmarks(const QString& workDir);
void runFunctionBenchmarks(const QString& workDir);
void runDumpBenchmarks(const QString& workDir);

// Shared by the groups.
// Runs a script with the system interpreter; its standard output.
QByteArray runPython(const char* script, const QStringList& arguments, bool& ok);
double median(std::vector<double> values);
// xlrd opening a workbook and reading every value of every row, for printPeerLoad.
extern const char* const kXlrdReader;
// Waits until a file just written is on the disk, so that its first reads are not slowed down.
void settle(const QString& path);
// The peak memory from its construction on, above what the process held then: the allocator
// first gives back what it holds free, and the high-water mark starts again.
class PeakMemory {
public:
    PeakMemory();
    double extraMb() const;

private:
    long m_before = 0;
};
// A workbook of 65,536 rows (heading included) and `columns` columns of numbers, decimals,
// texts, dates and booleans, written with python3-xlwt.
bool writeWorkbook(const QString& path, int columns);
// Loads `path` into File 1 `runs` times and prints the median time and the first run's peak
// memory against the file's size (or `xmlMb`, a workbook's sheet XML); the median in seconds,
// or -1 when the load failed.
double printOurLoad(const char* what, const QString& path, int runs, double xmlMb = 0);
// Runs a peer's script on `path` (it prints the seconds and the cells of each run) and prints
// its median beside ours.
void printPeerLoad(const char* peerName, const char* peerScript, const QString& path, int runs,
                   double ourSeconds, const QStringList& extraArguments = {});
