#include "data/ResultSaving.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

#include "data/FilePaths.h"
#include "data/ProgressSink.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/FileProblems.h"
#include "data/access/NativeError.h"
#include "data/seams/FileDialogSeam.h"
#include "data/seams/MessageSeam.h"
#include "data/seams/ProgressSeam.h"
#include "data/uGlobalData.h"
#include "processing/uGridProcessor.h"

namespace {

// Grid rows a file type holds, the heading row included.
std::int32_t maxRowsOf(ResultFileType type) {
    return type == ResultFileType::ExcelWorkbook || type == ResultFileType::Csv ? 1048576 : 65536;
}

// A path compared as the file it names: links resolved, "./" and ".." gone. A file that does not
// exist yet is its canonical folder and its name.
QString canonicalPath(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// Whether `path` is a loaded source. A dBase table also counts under another letter case of its
// name: saving there would replace the table's code-page companion.
bool isLoadedSource(const QString& path, ResultFileType type) {
    const QString target = canonicalPath(path);
    const Qt::CaseSensitivity sensitivity =
        type == ResultFileType::Dbase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (const clFile* slot : {&File1, &File2}) {
        if (slot->isInUse() && canonicalPath(slot->FilePath).compare(target, sensitivity) == 0) {
            return true;
        }
    }
    return false;
}

// A new hidden file name in the target's folder, with the target's extension.
QString temporaryPathBeside(const QString& target, const QString& extension) {
    const QString folder = QFileInfo(target).absolutePath();
    for (;;) {
        const QString name =
            QStringLiteral(".quarix-save-%1.%2")
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                .arg(extension);
        const QString path = QDir(folder).filePath(name);
        if (!QFileInfo::exists(path)) return path;
    }
}

// The companion that tells a dBase table's code page.
QString codePageFile(const QString& tablePath) {
    const QFileInfo info(tablePath);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
           QStringLiteral(".cpg");
}

// The complete temporary file(s) take the target's place, replacing what was there. A dBase
// table's code-page companion goes first, so that a failure leaves the old table whole.
// On failure `reason` is the errno of the step that failed.
enum class PutInPlace { Done, NothingChanged, CompanionChanged };
PutInPlace putInPlace(const QString& temporary, const QString& target, ResultFileType type,
                      int& reason) {
    const auto renamed = [&reason](const QString& from, const QString& to) {
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) ==
            0)
            return true;
        reason = errno;
        return false;
    };
    bool companionChanged = false;
    if (type == ResultFileType::Dbase) {
        const QString newCodePage = codePageFile(temporary);
        const QString oldCodePage = codePageFile(target);
        const QString oldUpper = oldCodePage.chopped(4) + QStringLiteral(".CPG");
        if (QFile::exists(oldUpper) && !QFile::remove(oldUpper)) return PutInPlace::NothingChanged;
        if (QFile::exists(newCodePage)) {
            if (!renamed(newCodePage, oldCodePage)) return PutInPlace::NothingChanged;
            companionChanged = true;
        } else if (QFile::exists(oldCodePage)) {
            // An old table's companion must not describe the new one.
            if (!QFile::remove(oldCodePage)) return PutInPlace::NothingChanged;
            companionChanged = true;
        }
    }
    if (!renamed(temporary, target)) {
        return companionChanged ? PutInPlace::CompanionChanged : PutInPlace::NothingChanged;
    }
    return PutInPlace::Done;
}

// More rows than the file type holds: nothing is written, and the user is told why.
std::optional<SaveResult> overRowLimit(ResultFileType type) {
    if (ResultGrid.rows() <= maxRowsOf(type)) return std::nullopt;
    SaveResult refused;
    refused.message = {QStringLiteral("Error"),
                       type == ResultFileType::ExcelWorkbook
                           ? QStringLiteral("Output file is over 1048575 rows which is the Excel "
                                            "workbook's limitation. Please reduce your files and "
                                            "try again.")
                       : type == ResultFileType::Csv
                           ? QStringLiteral("Output file is over 1048575 rows, the most a CSV "
                                            "file of Quarix holds. Please reduce your files and "
                                            "try again.")
                           : QStringLiteral("Output file is over 65535 rows which is the Excel's "
                                            "limitation. Please reduce your files and try again."),
                       MessageStyle::Warning};
    return refused;
}

SaveResult refusal(const QString& text) {
    SaveResult refused;
    refused.message = UserMessage::warning(text);
    return refused;
}

SaveResult nothingToSave() {
    return refusal(QStringLiteral("There is no result to save: run a function first."));
}

void removeTemporary(const QString& temporary, ResultFileType type) {
    QFile::remove(temporary);
    if (type == ResultFileType::Dbase) QFile::remove(codePageFile(temporary));
}

}  // namespace

SavedColumns composeSavedColumns(const ResultLayout& layout, ResultFileType type) {
    SavedColumns columns;
    const auto add = [&](const QString& name, const QString& typeWord, int kind) {
        columns.definitions << name + typeWord;
        columns.insertNames << name;
        columns.kinds.push_back(kind);
    };
    const auto kindOf = [](FieldType fieldType) { return isNumberType(fieldType) ? 1 : 2; };
    if (!layout.totals || layout.totalsColumns.size() != 2) {
        for (const ResultLayout::Field& field : layout.fields) {
            add(ResultColumnName(field.name, type), ColumnTypeWord(field.type, type),
                kindOf(field.type));
        }
    } else {
        const std::size_t group = std::size_t(layout.totalsColumns[0]);
        const std::size_t value = std::size_t(layout.totalsColumns[1]);
        const ResultLayout::Field& groupField = layout.fields[group];
        const ResultLayout::Field& valueField = layout.fields[value];
        add(ResultColumnName(groupField.name, type), ColumnTypeWord(groupField.type, type),
            kindOf(groupField.type));
        add(ResultColumnName(valueField.name + QStringLiteral(",totals"), type),
            ColumnTypeWord(valueField.type, type), kindOf(valueField.type));
        add(QStringLiteral("[Records]"), QStringLiteral(" REAL"), 1);
        qsizetype k = 0;
        for (std::size_t i = 0; i < layout.fields.size(); ++i) {
            if (i == group || i == value) continue;
            const ResultLayout::Field& field = layout.fields[i];
            // A number column whose groups differ holds "-" somewhere: it is saved as text.
            const bool differs = layout.differMarks.value(k++) == QLatin1String("-");
            const bool number = isNumberType(field.type) && !differs;
            add(ResultColumnName(field.name, type),
                isNumberType(field.type) && differs ? QStringLiteral(" TEXT ")
                                                    : ColumnTypeWord(field.type, type),
                number ? 1 : 2);
        }
    }
    // "[File number] REAL" has no blank after its type word.
    if (layout.fileNumberColumn) add(QStringLiteral("[File number]"), QStringLiteral(" REAL"), 1);
    return columns;
}

QString ResultFileExtension(ResultFileType type) {
    switch (type) {
        case ResultFileType::Excel:
            return QStringLiteral("xls");
        case ResultFileType::Dbase:
            return QStringLiteral("dbf");
        case ResultFileType::ExcelWorkbook:
            return QStringLiteral("xlsx");
        case ResultFileType::Csv:
            return QStringLiteral("csv");
    }
    return {};
}

std::optional<ResultFileType> ResultFileTypeOf(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    for (const ResultFileType type : {ResultFileType::Excel, ResultFileType::Dbase,
                                      ResultFileType::ExcelWorkbook, ResultFileType::Csv}) {
        if (extension == ResultFileExtension(type)) return type;
    }
    return std::nullopt;
}

QString SettleResultFileName(const QString& path, ResultFileType type) {
    const QString wanted = ResultFileExtension(type);
    const qsizetype nameStart =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > nameStart && ResultFileTypeOf(path.mid(nameStart))) {
        if (path.mid(dot + 1).compare(wanted, Qt::CaseInsensitive) == 0) return path;
        return path.left(dot + 1) + wanted;
    }
    return path + QLatin1Char('.') + wanted;
}

QStringList ResultFileFilters() {
    return {QStringLiteral("Excel  (*xls)"), QStringLiteral("dBase Table (*.dbf)"),
            QStringLiteral("Excel Workbook (*.xlsx)"), QStringLiteral("CSV Files (*.csv)")};
}

SaveResult WriteResultFile(const QString& path, ResultFileType type, ExistingResultFile existing) {
    if (!CurrentResultLayout.valid) return nothingToSave();
    if (std::optional<SaveResult> refused = overRowLimit(type)) return *refused;
    // A link is written through: the file it points to is replaced, the link stays.
    const QFileInfo given(path);
    const QString target =
        given.isSymLink() && given.exists() ? given.canonicalFilePath() : given.absoluteFilePath();
    if (isLoadedSource(path, type) || isLoadedSource(target, type)) {
        return refusal(QStringLiteral("File ") + path +
                       QStringLiteral(" is open as a source file. Quarix never writes to its "
                                      "sources: please choose another name."));
    }
    if (existing == ExistingResultFile::Refuse && (given.exists() || given.isSymLink())) {
        SaveResult refused;
        refused.nativeError = NativeError::TargetExists;
        refused.message =
            UserMessage::warning(describeNativeError(NativeError::TargetExists, path));
        return refused;
    }
    const QString temporary = temporaryPathBeside(target, ResultFileExtension(type));
    const QString table = ResultTableName(temporary, type);

    SaveResult result;
    DbConnection connection;
    connection.setConnectionString(type == ResultFileType::Dbase
                                       ? dbaseCreateConnectionString(FolderOf(temporary))
                                       : excelCreateConnectionString(temporary));
    const auto fail = [&](const UserMessage& message) {
        if (result.nativeError == 0) result.nativeError = connection.nativeError();
        connection.abandon();
        removeTemporary(temporary, type);
        CloseProgress();
        result.outcome = SaveOutcome::Failed;
        result.message = message;
        return result;
    };
    const auto cancel = [&] {
        fail({});
        result.outcome = SaveOutcome::Cancelled;
        return result;
    };
    // The file system's failures name the file and the cause the system gave.
    const auto described = [&] {
        return describeNativeError(connection.nativeError(), path, connection.failureCause());
    };
    if (!connection.open()) return fail(UserMessage::warning(described()));

    const ResultLayout& layout = CurrentResultLayout;
    const std::int32_t rows = ResultGrid.rows() - 1;
    const std::int32_t columnCount = ResultGrid.columns() - 1;
    ProgressDialogSink progress;
    progress.setMaximum(rows + std::int32_t(layout.fields.size()) - 1);
    const SavedColumns columns = composeSavedColumns(layout, type);
    for (std::size_t i = 1; i < layout.fields.size(); ++i) {
        if (!progress.step()) {
            cancel();
            ResetResultGrid();
            result.resultDiscarded = true;
            return result;
        }
    }
    if (!connection.execute(composeCreateTable(table, columns.definitions))) {
        if (type == ResultFileType::Excel) {
            return fail(
                UserMessage::warning(QStringLiteral("File ") + path +
                                     QStringLiteral(" is already opened and cannot be rewrited!")));
        }
        // A .xlsx workbook or a .csv file is refused for reasons of its own (a name too long for
        // it, a full disk): told.
        if (type == ResultFileType::ExcelWorkbook || type == ResultFileType::Csv)
            return fail(UserMessage::warning(described()));
        return fail({QStringLiteral("Error"),
                     QStringLiteral("For dBase a format, the name of columns should not contain "
                                    "signs!"),
                     MessageStyle::Ok});
    }

    // One INSERT a grid row, in the grid's order. Values go as the grid shows them, quoted; an
    // empty cell is an empty value.
    const QString insertHead = composeInsertHead(table, columns.insertNames);
    QString statement = insertHead;
    for (std::int32_t row = 1; row <= rows; ++row) {
        statement.truncate(insertHead.size());  // keeps the buffer of the row before
        for (std::int32_t column = 1; column <= columnCount; ++column) {
            if (column > 1) statement += QLatin1Char(',');
            AppendResultValue(statement, ResultGrid.textMatrix(row, column));
        }
        statement += QLatin1Char(')');
        if (!connection.execute(statement)) {
            return fail(UserMessage::warning(
                QStringLiteral("Row %1 could not be written: %2").arg(row).arg(described())));
        }
        if (!progress.step()) return cancel();
    }
    if (!connection.close()) {
        result.nativeError = connection.nativeError();
        removeTemporary(temporary, type);
        CloseProgress();
        result.outcome = SaveOutcome::Failed;
        result.message = UserMessage::warning(described());
        return result;
    }
    int reason = 0;
    const PutInPlace placed = putInPlace(temporary, target, type, reason);
    if (placed != PutInPlace::Done) {
        removeTemporary(temporary, type);
        CloseProgress();
        const QString cause = SystemErrorText(reason);
        result.outcome = SaveOutcome::Failed;
        result.message = UserMessage::warning(
            QStringLiteral("The result could not be put in place of ") + path +
            (placed == PutInPlace::NothingChanged
                 ? QStringLiteral("; the file there is as it was.")
                 : QStringLiteral("; the table there is as it was, but its code-page file (.cpg) "
                                  "was replaced.")) +
            causeLine(path, cause));
        return result;
    }
    progress.close();
    result.outcome = SaveOutcome::Saved;
    return result;
}

SaveResult ChooseAndWriteResultFile() {
    if (!CurrentResultLayout.valid) return nothingToSave();
    // The dialog starts beside File 1, where the user's tables are.
    const FileDialogChoice choice = ChooseFileToSave(
        QStringLiteral("Save File"), ResultFileFilters(), FolderOrHome(File1.FilePath));
    SaveResult cancelled;
    cancelled.outcome = SaveOutcome::Cancelled;
    if (choice.path.isEmpty()) return cancelled;
    const ResultFileType type = choice.filterIndex == 1   ? ResultFileType::Dbase
                                : choice.filterIndex == 2 ? ResultFileType::ExcelWorkbook
                                : choice.filterIndex == 3 ? ResultFileType::Csv
                                                          : ResultFileType::Excel;
    // Each file type has its own row limit, so it is checked once the type is chosen.
    if (std::optional<SaveResult> refused = overRowLimit(type)) return *refused;
    const QString settled = SettleResultFileName(choice.path, type);
    // The dialog asked about the name as typed; a settled name that exists is asked about here.
    if (settled != choice.path && QFileInfo::exists(settled) &&
        ShowMessageBox(QStringLiteral("Save File"),
                       QFileInfo(settled).fileName() +
                           QStringLiteral(" already exists.\nDo you want to replace it?"),
                       MessageStyle::YesNoQuestion) != MessageAnswer::Yes) {
        return cancelled;
    }
    return WriteResultFile(settled, type);
}
