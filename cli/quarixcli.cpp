// quarix-cli: shows how Quarix reads a file, and does what the window does, for users, support
// staff and tests.
//
//   quarix-cli tables FILE               the table names, one a line
//   quarix-cli dump FILE [--table NAME]  names, type codes, record count, then the rows
//   quarix-cli run FILE1 --function NAME [options]
//                                        one of the seven functions; the result grid as text
//   quarix-cli convert FILE [--table NAME] [--force] OUT
//                                        copies the table into a new .xls or .xlsx workbook, .dbf
//                                        table or .csv file (chosen by OUT's extension), as the
//                                        Save command would; an existing OUT is replaced only with
//                                        --force
//
// `tables` and `dump` show what the reader sees, whatever the window would say of it; a table
// the window would refuse is loaded all the same, and the refusal is noted on standard error.
// `convert` and `run` load as the window does, with all of its checks.
//
// A delimited text FILE (FILE1 of run) takes --delimiter C, --encoding NAME and --verbose anywhere
// on the line: the first two override what the content says, the last tells on standard error
// what the table was read as.
//
// Failures print "error CODE: MESSAGE" (or "error: MESSAGE" when no code applies) on standard
// error and exit with status 2; where the system gave a cause, MESSAGE ends in a second line
// "FILE: CAUSE", as the program's message box does.
#include <unistd.h>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "cli/CliLoading.h"
#include "cli/CliText.h"
#include "cli/RunFunctionCommand.h"
#include "data/ResultSaving.h"
#include "data/SlotLoading.h"
#include "data/access/FieldType.h"
#include "data/access/NativeError.h"
#include "data/access/Utf8RowWriter.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"

namespace {

constexpr int kExitUsage = 64;

int usage() {
    QTextStream(stderr)
        << "usage: quarix-cli tables FILE\n"
           "       quarix-cli dump FILE [--table NAME]\n"
           "       quarix-cli convert FILE [--table NAME] [--force] "
           "OUT.xls|OUT.xlsx|OUT.dbf|OUT.csv\n"
           "       quarix-cli run FILE1 --function NAME [options] (see run --help)\n"
           "convert and run --out refuse an existing OUT unless --force is given.\n"
           "For a .csv, .tsv or .txt FILE (FILE1): --delimiter C (a character or tab) and\n"
           "--encoding NAME override what the content says; --verbose tells what was found.\n";
    return kExitUsage;
}

// Saves the table, shown in the grid as Run shows loaded data, into `out` through the Save
// command's own routine.
int writeResult(const QString& out, bool force) {
    const ResultFileType type = ResultFileTypeOf(out).value_or(ResultFileType::Excel);
    ShowLoadedData = true;
    ResetResultGrid();
    RunFunction();
    const SaveResult saved = WriteResultFile(
        out, type, force ? ExistingResultFile::Replace : ExistingResultFile::Refuse);
    if (saved.outcome == SaveOutcome::Saved) return 0;
    return ReportFailure(saved.nativeError, saved.message.text);
}

// Standard output through large writes; false, with errno, when a write failed.
bool writeStandardOutput(const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Field names, type codes, the record count, then one line a row. False when the output could
// not be written (a full disk, a closed pipe).
bool printDump(const clResult& contents) {
    EscapedTabRowWriter out(writeStandardOutput);
    for (const clField& field : contents.Fields) out.addField(field.Name);
    out.endRow();
    char digits[16];
    for (const clField& field : contents.Fields) {
        const auto end =
            std::to_chars(digits, digits + sizeof digits, fieldTypeCode(field.DataType));
        out.addPlainField(QLatin1String(digits, end.ptr));
    }
    out.endRow();
    const std::int32_t records = RecordCount(contents);
    out.addPlainField(
        QLatin1String(digits, std::to_chars(digits, digits + sizeof digits, records).ptr));
    out.endRow();
    for (std::int32_t row = 0; row < records; ++row) {
        for (const clField& field : contents.Fields) {
            out.addField(field.Values.viewAt(static_cast<std::size_t>(row)));
        }
        if (!out.endRow()) return false;
    }
    return out.flush();
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString csvError;
    if (!TakeCsvOptions(args, csvError)) {
        QTextStream(stderr) << "quarix-cli: " << csvError << '\n';
        return kExitUsage;
    }
    if (!args.isEmpty() && args[0] == QLatin1String("run")) return RunFunctionCommand(args.mid(1));
    // --force may stand anywhere after convert, but not as the name --table takes.
    bool force = false;
    if (args.value(0) == QLatin1String("convert")) {
        for (qsizetype i = 1; i < args.size(); ++i) {
            if (args[i] == QLatin1String("--table")) {
                ++i;
            } else if (args[i] == QLatin1String("--force")) {
                args.removeAt(i);
                force = true;
                break;
            }
        }
    }
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
        if (!ResultFileTypeOf(outPath)) {
            QTextStream(stderr)
                << "quarix-cli convert: OUT must end in .xls, .xlsx, .dbf or .csv\n";
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

    if (command == QLatin1String("convert")) {
        const CliLoad load = LoadForCli(FileSlot::File1, path, table);
        if (load.sheetMissing) {
            return ReportFailure(NativeError::TableNotFound,
                                 describeNativeError(NativeError::TableNotFound, path));
        }
        if (load.result.status != SlotLoad::Loaded) {
            return ReportLoadFailure(load.result, QFileInfo(path).absoluteFilePath());
        }
        return writeResult(outPath, force);
    }

    if (command == QLatin1String("tables")) {
        const SlotLoadResult opened = OpenSlotFile(File1, path, false);
        if (opened.status != SlotLoad::Loaded) return ReportLoadFailure(opened, path);
        QTextStream out(stdout);
        out.setEncoding(QStringConverter::Utf8);
        for (const clValues& name : File1.Sheets) out << escaped(name.Value) << '\n';
        return 0;
    }

    const SlotLoadResult loaded = LoadSlotFromFile(File1, path, table, false, nullptr);
    if (loaded.status != SlotLoad::Loaded) return ReportLoadFailure(loaded, path);
    TellCsvSettings(path);
    if (!printDump(*File1.Contents)) {
        return ReportFailure(0, QStringLiteral("the dump could not be written: ") +
                                    QString::fromLocal8Bit(std::strerror(errno)));
    }
    const QString refusal =
        SourceKindOf(path) ? SourceRefusal(FileSlot::File1).text : UnknownKindMessage(path).text;
    if (!refusal.isEmpty()) {
        QTextStream(stderr) << "note: the window would refuse this table: " << refusal << '\n';
    }
    return 0;
}
