// quarix-cli: shows how Quarix reads a file, for users, support staff and tests.
//
//   quarix-cli tables FILE               the table names, one a line
//   quarix-cli dump FILE [--table NAME]  names, type codes, record count, then the rows
//
// Failures print "error CODE: MESSAGE" on standard error and exit with status 2.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"
#include "data/access/NativeError.h"
#include "data/uCommonScripts.h"

namespace {

constexpr int kExitFailure = 2;
constexpr int kExitUsage = 64;

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\': out += QLatin1String("\\\\"); break;
            case '\t': out += QLatin1String("\\t"); break;
            case '\r': out += QLatin1String("\\r"); break;
            case '\n': out += QLatin1String("\\n"); break;
            default: out += c;
        }
    }
    return out;
}

int usage() {
    QTextStream(stderr) << "usage: quarix-cli tables FILE\n"
                           "       quarix-cli dump FILE [--table NAME]\n";
    return kExitUsage;
}

int failure(int code, const QString& path) {
    QTextStream(stderr) << "error " << code << ": " << describeNativeError(code, path) << '\n';
    return kExitFailure;
}

// dBase tables are read as such; everything else is offered to the workbook reader.
QString sourceConnectionString(const QString& path) {
    if (FileExtension(path) == QLatin1String("dbf")) return dbaseSourceConnectionString(path, false);
    return excelSourceConnectionString(path, false);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) return usage();
    const QString command = args[0];
    const QString path = args[1];
    QString table;
    bool tableGiven = false;
    if (command == QLatin1String("tables")) {
        if (args.size() != 2) return usage();
    } else if (command == QLatin1String("dump")) {
        if (args.size() == 4 && args[2] == QLatin1String("--table")) {
            table = args[3];
            tableGiven = true;
        } else if (args.size() != 2) {
            return usage();
        }
    } else {
        return usage();
    }

    DbConnection connection;
    connection.setConnectionString(sourceConnectionString(path));
    QStringList names;
    if (!connection.listTableNames(names)) return failure(connection.nativeError(), path);
    if (!connection.open()) return failure(connection.nativeError(), path);

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    if (command == QLatin1String("tables")) {
        for (const QString& name : names) out << escaped(name) << '\n';
        return 0;
    }

    if (!tableGiven) {
        if (names.isEmpty()) return failure(NativeError::TableNotFound, path);
        table = names.first();
    }
    DbDataSet dataSet(connection);
    dataSet.setQuery(QStringLiteral("SELECT * FROM \"") + table + QLatin1Char('"'));
    if (!dataSet.open()) return failure(connection.nativeError(), path);

    const int fields = dataSet.fieldCount();
    QStringList line;
    for (int f = 0; f < fields; ++f) line << escaped(dataSet.fieldName(f));
    out << line.join(QLatin1Char('\t')) << '\n';
    line.clear();
    for (int f = 0; f < fields; ++f) line << QString::number(dataSet.fieldType(f));
    out << line.join(QLatin1Char('\t')) << '\n';
    out << dataSet.recordCount() << '\n';
    for (; !dataSet.atEnd(); dataSet.next()) {
        line.clear();
        for (int f = 0; f < fields; ++f) line << escaped(dataSet.editText(f));
        out << line.join(QLatin1Char('\t')) << '\n';
    }
    return 0;
}
