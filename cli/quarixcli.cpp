// quarix-cli: shows how Quarix reads a file, for users, support staff and tests.
//
//   quarix-cli tables FILE               the table names, one a line
//   quarix-cli dump FILE [--table NAME]  names, type codes, record count, then the rows
//   quarix-cli run FILE1 --function NAME [options]
//                                        one of the seven functions; the result grid as text
//   quarix-cli convert FILE [--table NAME] OUT
//                                        copies the table into a new .xls workbook or .dbf table
//                                        (chosen by OUT's extension), as the Save command would
//
// Failures print "error CODE: MESSAGE" on standard error and exit with status 2.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

#include "data/ResultStatements.h"
#include "data/SlotLoading.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/NativeError.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "cli/CliText.h"
#include "cli/RunFunctionCommand.h"

namespace {

constexpr int kExitFailure = 2;
constexpr int kExitUsage = 64;
constexpr std::int32_t kMaxResultRows = 65535;

int usage() {
    QTextStream(stderr) << "usage: quarix-cli tables FILE\n"
                           "       quarix-cli dump FILE [--table NAME]\n"
                           "       quarix-cli convert FILE [--table NAME] OUT.xls|OUT.dbf\n"
                           "       quarix-cli run FILE1 --function NAME [options] (see run --help)\n";
    return kExitUsage;
}

int failure(int code, const QString& path) {
    QTextStream(stderr) << "error " << code << ": " << describeNativeError(code, path) << '\n';
    return kExitFailure;
}

int failureText(const QString& text) {
    QTextStream(stderr) << "error: " << text << '\n';
    return kExitFailure;
}

// Writes `contents` into the new file `out` through the statements the Save command sends. On
// any failure the file this created is removed again, so no partial or empty result is left.
int writeResult(const clResult& contents, const QString& out) {
    const ResultFileType type =
        FileExtension(out) == QLatin1String("dbf") ? ResultFileType::Dbase : ResultFileType::Excel;
    if (contents.Fields.empty()) {
        return failureText(
            QStringLiteral("the table has no columns, and a result file needs at "
                           "least one."));
    }
    if (contents.Fields.front().RecordCount > kMaxResultRows) {
        return failureText(
            QStringLiteral("Output file is over 65535 rows which is the Excel's "
                           "limitation. Please reduce your files and try again."));
    }
    const QString table = ResultTableName(out, type);
    DbConnection connection;
    connection.setConnectionString(type == ResultFileType::Excel
                                       ? excelCreateConnectionString(out)
                                       : dbaseCreateConnectionString(FolderOf(out)));
    if (!connection.open()) return failure(connection.nativeError(), out);

    const auto abandon = [&](int code) {
        connection.abandon();
        return failure(code, out);
    };

    const ResultColumns columns = composePlainColumns(contents.Fields, type, false);
    if (!connection.execute(composeCreateTable(table, columns.definitions)))
        return abandon(connection.nativeError());
    const std::int32_t rows = contents.Fields.front().RecordCount;
    QStringList values;
    for (std::int32_t row = 0; row < rows; ++row) {
        values.clear();
        for (std::size_t c = 0; c < contents.Fields.size(); ++c) {
            values << ResultValue(contents.Fields[c].Values[static_cast<std::size_t>(row)].Value,
                                  columns.textColumns[c]);
        }
        if (!connection.execute(composeInsert(table, columns.insertNames, values)))
            return abandon(connection.nativeError());
    }
    if (!connection.close()) {
        // The workbook is still the empty one that opening the connection made.
        const int code = connection.nativeError();
        if (type == ResultFileType::Excel) QFile::remove(out);
        return failure(code, out);
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args[0] == QLatin1String("run")) return RunFunctionCommand(args.mid(1));
    if (args.size() < 2) return usage();
    const QString command = args[0];
    const QString path = args[1];
    QString table;  // empty: the first
    QString outPath;
    if (command == QLatin1String("tables")) {
        if (args.size() != 2) return usage();
    } else if (command == QLatin1String("convert")) {
        if (args.size() == 5 && args[2] == QLatin1String("--table")) {
            table = args[3];
        } else if (args.size() != 3) {
            return usage();
        }
        outPath = args.last();
        const QString extension = FileExtension(outPath);
        if (extension != QLatin1String("xls") && extension != QLatin1String("dbf")) {
            QTextStream(stderr) << "quarix-cli convert: OUT must end in .xls or .dbf\n";
            return kExitUsage;
        }
        // The dBase connection names a folder: the name must carry one.
        outPath = QFileInfo(outPath).absoluteFilePath();
    } else if (command == QLatin1String("dump")) {
        if (args.size() == 4 && args[2] == QLatin1String("--table")) {
            table = args[3];
        } else if (args.size() != 2) {
            return usage();
        }
    } else {
        return usage();
    }

    clFile slot;
    if (command == QLatin1String("tables")) {
        const SlotLoadResult opened = OpenSlotFile(slot, path, false);
        if (opened.status != SlotLoad::Loaded) return failure(opened.nativeError, path);
        QTextStream out(stdout);
        out.setEncoding(QStringConverter::Utf8);
        for (const clValues& name : slot.Sheets) out << escaped(name.Value) << '\n';
        return 0;
    }

    const SlotLoadResult loaded = LoadSlotFromFile(slot, path, table, false, nullptr);
    if (loaded.status != SlotLoad::Loaded) return failure(loaded.nativeError, path);
    const clResult& contents = *slot.Contents;
    if (command == QLatin1String("convert")) return writeResult(contents, outPath);

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    QStringList line;
    for (const clField& field : contents.Fields) line << escaped(field.Name);
    out << line.join(QLatin1Char('\t')) << '\n';
    line.clear();
    for (const clField& field : contents.Fields)
        line << QString::number(fieldTypeCode(field.DataType));
    out << line.join(QLatin1Char('\t')) << '\n';
    const std::int32_t records = contents.Fields.empty() ? 0 : contents.Fields.front().RecordCount;
    out << records << '\n';
    for (std::int32_t row = 0; row < records; ++row) {
        line.clear();
        for (const clField& field : contents.Fields) {
            line << escaped(field.Values[static_cast<std::size_t>(row)].Value);
        }
        out << line.join(QLatin1Char('\t')) << '\n';
    }
    return 0;
}
