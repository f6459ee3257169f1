#include "cli/CliLoading.h"

#include <QFileInfo>
#include <QTextStream>

#include "data/FilePaths.h"
#include "data/access/NativeError.h"
#include "data/uGlobalData.h"

namespace {
constexpr int kExitFailure = 2;
}  // namespace

UserMessage UnknownKindMessage(const QString& path) {
    return {QStringLiteral("Error"),
            QStringLiteral("Quarix cannot open files of this type: ") + FileNameOnly(path),
            MessageStyle::Warning};
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
    load.result = LoadSourceFile(slot, path, *kind, questions, nullptr);
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
