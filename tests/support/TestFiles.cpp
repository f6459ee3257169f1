#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>

namespace TestFiles {

QString publicDir() {
    return QStringLiteral(QUARIX_TESTDATA);
}

QString publicFile(const QString& name) {
    return publicDir() + QLatin1Char('/') + name;
}

QStringList publicFilesWithSuffix(const QString& suffix) {
    QStringList names;
    for (const QString& name : QDir(publicDir()).entryList(QDir::Files, QDir::Name)) {
        if (name.endsWith(suffix, Qt::CaseInsensitive)) names << name;
    }
    return names;
}

QJsonObject truthOf(const QString& name) {
    QFile file(publicFile(name + QStringLiteral(".truth.json")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

std::map<std::pair<int, int>, QString> truthCorrections(const QString& name) {
    // dbase_8b.dbt: a dBase IV memo's length counts its 8-byte entry header. dbfread takes it
    // for the text's length, reads 8 bytes more and cuts at the first 0x1F; where a text was
    // overwritten by a shorter one it thus shows the old text's tail ("Fifth memoo\n").
    if (name == QLatin1String("dbase_8b.dbf")) {
        return {{{1, 5}, QStringLiteral("Second memo")},
                {{2, 5}, QStringLiteral("Thierd memo")},
                {{3, 5}, QStringLiteral("Fourth memo")},
                {{4, 5}, QStringLiteral("Fifth memo")}};
    }
    return {};
}

namespace {
ProcessResult run(const QString& program, const QStringList& arguments,
                  const QStringList& extraEnvironment) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : extraEnvironment) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        environment.insert(entry.left(eq), entry.mid(eq + 1));
    }
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.err = "timed out or failed to start: " + program.toUtf8();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
}  // namespace

ProcessResult runCli(const QStringList& arguments, const QStringList& extraEnvironment) {
    return run(QStringLiteral(QUARIX_CLI), arguments, extraEnvironment);
}

ProcessResult runSystemPython(const QStringList& arguments) {
    return run(QStringLiteral(QUARIX_SYSTEM_PYTHON), arguments, {});
}

bool systemPythonHas(const QString& module, QString& reason) {
    const ProcessResult result =
        runSystemPython({QStringLiteral("-c"), QStringLiteral("import ") + module});
    if (result.exitCode == 0) return true;
    reason = QStringLiteral("%1 has no module %2 (install python3-%2 with scripts/install-deps)")
                 .arg(QStringLiteral(QUARIX_SYSTEM_PYTHON), module);
    return false;
}

}  // namespace TestFiles
