// Writing results: the generated 65,535 x 20 table, shown in the grid, saved as .xls and as .dbf
// by the Save routine, and, in the same run, python3-xlwt writing the same table.
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <cstdio>
#include <optional>

#include "Benchmarks.h"
#include "data/ResultSaving.h"
#include "data/ResultStatements.h"
#include "data/access/CellText.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/NativeError.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"

namespace {

constexpr int kRows = 65535;
constexpr int kColumns = 20;

// Columns cycle through text, integer, float and a text of few distinct values, as a sheet of
// customers, quantities, prices and regions would.
clResult generatedTable(const CellTextFormat& format) {
    static const char* const kRegions[] = {"North", "South", "East", "West", "Centre"};
    std::vector<QString> names;
    std::vector<FieldType> types;
    for (int c = 0; c < kColumns; ++c) {
        names.push_back(QStringLiteral("Column %1").arg(c + 1));
        types.push_back(c % 4 == 1   ? FieldType::Integer
                        : c % 4 == 2 ? FieldType::Float
                                     : FieldType::String);
    }
    // Numbers as the grid shows them: the data layer's cell texts in the user's locale.
    return ContentsFromTexts(names, types, kRows, [&](std::int32_t r, std::int32_t c) {
        switch (c % 4) {
            case 0:
                return QStringLiteral("Customer %1-%2").arg(r).arg(c);
            case 1:
                return format.integerText((r * 37 + c) % 100000);
            case 2:
                return format.floatText((r * 7919 % 1000003) / 100.0);
            default:
                return QString::fromLatin1(kRegions[(r + c) % 5]);
        }
    });
}

// The Save command from the grid to a new, committed file (the routine the window calls once the
// dialog has given the name): the median of kRuns saves, and the first save's peak memory. Each
// save starts once the file of the one before is gone and the disk is idle, as a save a user
// starts does. Returns the seconds taken, or a negative number on failure.
constexpr int kRuns = 5;

double saveAs(const QString& path, ResultFileType type, double& peakMb) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QFile::remove(path);
        ::sync();
        std::optional<PeakMemory> peak;
        if (run == 0) peak.emplace();
        QElapsedTimer timer;
        timer.start();
        if (WriteResultFile(path, type).outcome != SaveOutcome::Saved) return -1;
        times.push_back(timer.nsecsElapsed() / 1e9);
        if (peak) peakMb = peak->extraMb();
    }
    return median(times);
}

const char kXlwtScript[] = R"(import sys, time
import xlwt
rows = [line.rstrip('\n').split('\t') for line in open(sys.argv[1], encoding='utf-8')]
kinds = rows.pop(0)
start = time.perf_counter()
book = xlwt.Workbook(encoding='utf-8')
sheet = book.add_sheet('Result')
for r, row in enumerate(rows):
    for c, value in enumerate(row):
        if r > 0 and kinds[c] == 'n':
            try:
                sheet.write(r, c, float(value))
                continue
            except ValueError:
                pass
        sheet.write(r, c, value)
book.save(sys.argv[2])
print(time.perf_counter() - start)
)";

// python3-xlwt writing the same table (heading row and values, numbers as numbers). Returns
// the seconds its write took, or a negative number when it cannot run.
double xlwtTime(const std::vector<clField>& fields, const CellTextFormat& format,
                const QString& workDir, QString& why) {
    const QString tablePath = workDir + QStringLiteral("/table.tsv");
    const QString scriptPath = workDir + QStringLiteral("/write_xlwt.py");
    {
        QFile table(tablePath), script(scriptPath);
        if (!table.open(QIODevice::WriteOnly) || !script.open(QIODevice::WriteOnly)) return -1;
        script.write(kXlwtScript);
        QTextStream out(&table);
        QStringList line;
        for (const clField& field : fields)
            line << (field.DataType == FieldType::Integer || field.DataType == FieldType::Float
                         ? "n"
                         : "s");
        out << line.join('\t') << '\n';
        line.clear();
        for (const clField& field : fields) line << field.Name;
        out << line.join('\t') << '\n';
        for (int r = 0; r < kRows; ++r) {
            line.clear();
            // xlwt is given the numbers as Python writes them.
            for (const clField& field : fields) {
                QString value = field.Values[static_cast<std::size_t>(r)].Value;
                if (field.DataType == FieldType::Float) {
                    value.replace(format.decimalSeparator(), QLatin1Char('.'));
                }
                line << value;
            }
            out << line.join('\t') << '\n';
        }
    }
    QProcess python;
    python.start(QStringLiteral(QUARIX_SYSTEM_PYTHON),
                 {scriptPath, tablePath, workDir + QStringLiteral("/xlwt.xls")});
    if (!python.waitForFinished(600000) || python.exitCode() != 0) {
        why = QString::fromUtf8(python.readAllStandardError()).trimmed().section('\n', -1);
        return -1;
    }
    bool ok = false;
    const double seconds = python.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

}  // namespace

void runWriteBenchmarks(const QString& workDir) {
    const CellTextFormat format = CellTextFormat::system();
    // The table loaded as File 1 and shown in the grid, as Run shows loaded data.
    File1.Connection = std::make_unique<DbConnection>();
    File1.Contents = std::make_unique<clResult>(generatedTable(format));
    ShowLoadedData = true;
    ResetResultGrid();
    RunFunction();
    const std::vector<clField>& fields = File1.Contents->Fields;
    double xlsMb = 0, dbfMb = 0;
    const double xls =
        saveAs(workDir + QStringLiteral("/result.xls"), ResultFileType::Excel, xlsMb);
    const double dbf =
        saveAs(workDir + QStringLiteral("/result.dbf"), ResultFileType::Dbase, dbfMb);
    QString why;
    const double xlwt = xlwtTime(fields, format, workDir, why);
    const auto size = [&](const char* name) {
        return QFile(workDir + QLatin1Char('/') + QLatin1String(name)).size() / 1e6;
    };

    std::printf(
        "write: a %d x %d grid saved, from the Save routine to a committed file (one "
        "INSERT a row through the data access layer, a temporary file put in place); "
        "median of %d saves, peak memory of the first; python3-xlwt writes the same "
        "table in the same run\n",
        kRows, kColumns, kRuns);
    if (xls < 0 || dbf < 0) std::printf("  a write FAILED\n");
    std::printf("  .xls  %8.3f s  %6.1f MB file  peak memory +%.1f MB (%.1f x the file)\n", xls,
                size("result.xls"), xlsMb, xlsMb / size("result.xls"));
    std::printf("  .dbf  %8.3f s  %6.1f MB file  peak memory +%.1f MB (%.1f x the file)\n", dbf,
                size("result.dbf"), dbfMb, dbfMb / size("result.dbf"));
    if (xlwt > 0) {
        std::printf("  python3-xlwt .xls  %8.3f s  %6.1f MB\n", xlwt, size("xlwt.xls"));
        std::printf(
            "  xlwt takes %.1f x as long as the .xls save, %.1f x as long as the .dbf save\n",
            xlwt / xls, xlwt / dbf);
    } else {
        std::printf("  python3-xlwt could not run: %s\n", qPrintable(why));
    }
}
