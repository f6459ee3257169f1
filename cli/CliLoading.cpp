#include "cli/CliLoading.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QTextStream>

#include "data/FilePaths.h"
#include "data/access/NativeError.h"
#include "data/access/csv/CsvDialect.h"
#include "data/access/csv/CsvReader.h"
#include "data/uGlobalData.h"

namespace {
constexpr int kExitFailure = 2;
bool verboseCsv = false;
}  // namespace

bool TakeCsvOptions(QStringList& arguments, QString& error) {
    CsvSettings overrides;
    for (qsizetype i = 0; i < arguments.size();) {
        const QString name = arguments[i];
        if (name == QLatin1String("--verbose")) {
            verboseCsv = true;
            arguments.removeAt(i);
            continue;
        }
        if (name != QLatin1String("--delimiter") && name != QLatin1String("--encoding")) {
            ++i;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = name + QStringLiteral(" needs a value");
            return false;
        }
        const QString value = arguments[i + 1];
        arguments.remove(i, 2);
        if (name == QLatin1String("--delimiter")) {
            if (!CsvDialect::parseDelimiterName(value, overrides.delimiter)) {
                error =
                    QStringLiteral("--delimiter takes one printable ASCII character or \"tab\"");
                return false;
            }
        } else {
            overrides.encoding = value.toLatin1();
            if (!QStringDecoder(overrides.encoding.constData()).isValid()) {
                error = QStringLiteral("unknown encoding ") + value;
                return false;
            }
        }
    }
    setCsvOverrides(overrides);
    return true;
}

void TellCsvSettings(const QString& path) {
    if (!verboseCsv || !isCsvPath(path)) return;
    const CsvSettings found = lastCsvSettings();
    QTextStream(stderr) << "csv: delimiter " << CsvDialect::delimiterName(found.delimiter)
                        << ", encoding " << QString::fromLatin1(found.encoding)
                        << ", decimal separator " << (found.decimalComma ? "comma" : "dot") << '\n';
}

CliLoad LoadForCli(FileSlot slot, const QString& named, const QString& sheet) {
    CliLoad load;
    // The window names a file by its whole path; so do the messages here.
    const QString path = QFileInfo(named).absoluteFilePath();
    const std::optional<FileKind> kind = SourceKindOf(path);
    if (!kind) {
        load.result.message = UnknownKindMessage(path);
        return load;
    }
    // A dBase file holds one table, named after the file.
    if (*kind == FileKind::Dbase && !sheet.isEmpty() && sheet != TableNameOf(path)) {
        load.sheetMissing = true;
        return load;
    }
    LoadQuestions questions;
    questions.chooseSheet = [&](FileSlot chosen) {
        clFile& file = SlotOf(chosen);
        for (const clValues& name : file.Sheets) {
            if (sheet.isEmpty() || name.Value == sheet) {
                file.SheetName = name.Value;
                return true;
            }
        }
        load.sheetMissing = true;
        return false;
    };
    // The delimiter and encoding named on the command line are FILE1's.
    if (slot == FileSlot::File2) setCsvOverrides({});
    load.result = LoadSourceFile(slot, path, *kind, questions, nullptr);
    if (slot == FileSlot::File1 && load.result.status == SlotLoad::Loaded) TellCsvSettings(path);
    return load;
}

int ReportFailure(int nativeError, const QString& text) {
    QTextStream err(stderr);
    if (nativeError != 0) {
        err << "error " << nativeError << ": " << text << '\n';
    } else {
        err << "error: " << text << '\n';
    }
    return kExitFailure;
}

int ReportLoadFailure(const SlotLoadResult& result, const QString& path) {
    if (result.nativeError != 0) {
        return ReportFailure(result.nativeError,
                             describeNativeError(result.nativeError, path, result.cause));
    }
    return ReportFailure(0, result.message.text);
}
