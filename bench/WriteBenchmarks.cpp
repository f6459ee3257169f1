// Writing results: the generated 65,535 x 20 table saved as .xls and as .dbf through the
// statements the Save command sends, and, in the same run, python3-xlwt writing the same table.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <cstdio>

#include "Benchmarks.h"
#include "data/ResultStatements.h"
#include "data/access/CellText.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/NativeError.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"

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

// The Save command's steps 6 to 11 without the dialogs: open, CREATE TABLE, one INSERT a row,
// close. Returns the seconds taken, or a negative number on failure.
double saveAs(const std::vector<clField>& fields, const QString& path, ResultFileType type) {
    QElapsedTimer timer;
    timer.start();
    DbConnection connection;
    connection.setConnectionString(type == ResultFileType::Excel
                                       ? excelCreateConnectionString(path)
                                       : dbaseCreateConnectionString(FolderOf(path)));
    if (!connection.open()) return -1;
    const QString table = ResultTableName(path, type);
    const ResultColumns columns = composePlainColumns(fields, type, false);
    if (!connection.execute(composeCreateTable(table, columns.definitions))) return -1;
    QStringList values;
    for (int r = 0; r < kRows; ++r) {
        values.clear();
        for (std::size_t c = 0; c < fields.size(); ++c) {
            values << ResultValue(fields[c].Values[static_cast<std::size_t>(r)].Value,
                                  columns.textColumns[c]);
        }
        if (!connection.execute(composeInsert(table, columns.insertNames, values))) return -1;
    }
    if (!connection.close()) return -1;
    return timer.nsecsElapsed() / 1e9;
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
    const clResult contents = generatedTable(format);
    const std::vector<clField>& fields = contents.Fields;
    const double xls =
        saveAs(fields, workDir + QStringLiteral("/result.xls"), ResultFileType::Excel);
    const double dbf =
        saveAs(fields, workDir + QStringLiteral("/result.dbf"), ResultFileType::Dbase);
    QString why;
    const double xlwt = xlwtTime(fields, format, workDir, why);
    const auto size = [&](const char* name) {
        return QFile(workDir + QLatin1Char('/') + QLatin1String(name)).size() / 1e6;
    };

    std::printf("write %d x %d table (as the Save command: one INSERT a row)\n", kRows, kColumns);
    if (xls < 0 || dbf < 0) std::printf("  a write FAILED\n");
    std::printf("  .xls  %8.3f s  %6.1f MB\n", xls, size("result.xls"));
    std::printf("  .dbf  %8.3f s  %6.1f MB\n", dbf, size("result.dbf"));
    if (xlwt > 0) {
        std::printf("  python3-xlwt .xls  %8.3f s  %6.1f MB\n", xlwt, size("xlwt.xls"));
        std::printf("  ratio .xls / xlwt  %.2f   .dbf / xlwt  %.2f\n", xls / xlwt, dbf / xlwt);
    } else {
        std::printf("  python3-xlwt could not run: %s\n", qPrintable(why));
    }
}
