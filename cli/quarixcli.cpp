// quarix-cli: shows how Quarix reads a file, for users, support staff and tests.
//
//   quarix-cli tables FILE               the table names, one a line
//   quarix-cli dump FILE [--table NAME]  names, type codes, record count, then the rows
//   quarix-cli run FILE1 --function NAME [options]
//                                        one of the seven functions; the result grid as text
//   quarix-cli convert FILE [--table NAME] OUT
//                                        copies the table into a new .xls or .xlsx workbook or .dbf
//                                        table (chosen by OUT's extension), as the Save command
//                                        would
//
// Failures print "error CODE: MESSAGE" on standard error and exit with status 2; where the system
// gave a cause, MESSAGE ends in a second line "FILE: CAUSE", as the program's message box does.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

#include "app/MessageSeam.h"
#include "cli/CliText.h"
#include "cli/RunFunctionCommand.h"
#include "data/ResultSaving.h"
#include "data/ResultStatements.h"
#include "data/SlotLoading.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/NativeError.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"

namespace {

constexpr int kExitFailure = 2;
constexpr int kExitUsage = 64;

int usage() {
    QTextStream(stderr)
        << "usage: quarix-cli tables FILE\n"
           "       quarix-cli dump FILE [--table NAME]\n"
           "       quarix-cli convert FILE [--table NAME] OUT.xls|OUT.xlsx|OUT.dbf\n"
           "       quarix-cli run FILE1 --function NAME [options] (see run --help)\n";
    return kExitUsage;
}

int failure(int code, const QString& text) {
    QTextStream(stderr) << "error " << code << ": " << text << '\n';
    return kExitFailure;
}

int failure(const SlotLoadResult& result, const QString& path) {
    return failure(result.nativeError, describeNativeError(result.nativeError, path, result.cause));
}

int failureText(const QString& text) {
    QTextStream(stderr) << "error: " << text << '\n';
    return kExitFailure;
}

// Saves the table, shown in the grid as Run shows loaded data, into the new file `out` through
// the Save command's own routine. An existing file is never overwritten here.
int writeResult(const QString& out) {
    const ResultFileType type = ResultFileTypeOf(out).value_or(ResultFileType::Excel);
    if (File1.Contents && File1.Contents->Fields.empty()) {
        return failureText(
            QStringLiteral("the table has no columns, and a result file needs at least one."));
    }
    const QFileInfo target(out);
    if (target.exists() || target.isSymLink()) {
        return failure(NativeError::TargetExists,
                       describeNativeError(NativeError::TargetExists, out));
    }

    // The save's messages become this command's error line.
    class Captured : public MessageBoxHandler {
    public:
        QString text;
        MessageAnswer showMessageBox(const QString&, const QString& message,
                                     MessageStyle style) override {
            if (text.isEmpty()) text = message;
            return CautiousAnswer(style);
        }
    } captured;
    MessageBoxHandler* previous = setMessageBoxHandler(&captured);
    ShowLoadedData = true;
    RunCommand();
    int code = 0;
    const SaveOutcome outcome = SaveResultFile(out, type, &code);
    setMessageBoxHandler(previous);
    if (outcome == SaveOutcome::Saved) return 0;
    if (code == 0) return failureText(captured.text);
    // The save's own message names the file and the cause; the code's description otherwise.
    return failure(code, captured.text.isEmpty() ? describeNativeError(code, out) : captured.text);
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
        if (!ResultFileTypeOf(outPath)) {
            QTextStream(stderr) << "quarix-cli convert: OUT must end in .xls, .xlsx or .dbf\n";
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

    clFile& slot = File1;
    if (command == QLatin1String("tables")) {
        const SlotLoadResult opened = OpenSlotFile(slot, path, false);
        if (opened.status != SlotLoad::Loaded) return failure(opened, path);
        QTextStream out(stdout);
        out.setEncoding(QStringConverter::Utf8);
        for (const clValues& name : slot.Sheets) out << escaped(name.Value) << '\n';
        return 0;
    }

    const SlotLoadResult loaded = LoadSlotFromFile(slot, path, table, false, nullptr);
    if (loaded.status != SlotLoad::Loaded) return failure(loaded, path);
    const clResult& contents = *slot.Contents;
    if (command == QLatin1String("convert")) return writeResult(outPath);

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
