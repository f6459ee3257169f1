#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <utility>

// Helpers shared by the tests: where the test files are, truth files, peer readers, the CLI.
namespace TestFiles {

QString publicDir();
QString publicFile(const QString& name);
QStringList publicFilesWithSuffix(const QString& suffix);  // names, sorted
QJsonObject truthOf(const QString& name);                  // NAME.truth.json beside it
// The cells of a public file's first records that we read otherwise than its truth, by (row,
// column): the text we show instead.
std::map<std::pair<int, int>, QString> truthCorrections(const QString& name);

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// Runs quarix-cli with `arguments`.
ProcessResult runCli(const QStringList& arguments, const QStringList& extraEnvironment = {});
// Runs the system interpreter (Debian's, where python3-xlrd and python3-dbfread live).
ProcessResult runSystemPython(const QStringList& arguments);
// Whether the system interpreter has the module; the reason is set when it does not.
bool systemPythonHas(const QString& module, QString& reason);

}  // namespace TestFiles
