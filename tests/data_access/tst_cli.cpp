// quarix-cli as users and support staff run it: table names, dumps, and failures.
#include <QDate>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include "support/DbfBuilder.h"
#include "support/TestFiles.h"

namespace {

const QStringList kCLocale = {"LC_ALL=C.UTF-8"};

QList<QByteArray> lines(const QByteArray& out) {
    QList<QByteArray> result = out.split('\n');
    if (!result.isEmpty() && result.last().isEmpty()) result.removeLast();
    return result;
}

// What the dump shows for a value dbfread reported, in the C locale.
QString dumpTextOf(const QJsonValue& value, const QString& type) {
    if (value.isNull()) return {};
    if (value.isBool()) return value.toBool() ? "TRUE" : "FALSE";
    if (value.isDouble()) return QString::number(value.toDouble(), 'g', 15);
    if (type == "D") {
        return QLocale::c().toString(QDate::fromString(value.toString(), Qt::ISODate),
                                     "d MMM yyyy");
    }
    // Texts as the dump escapes them.
    return value.toString()
        .replace("\\", "\\\\")
        .replace("\t", "\\t")
        .replace("\r", "\\r")
        .replace("\n", "\\n");
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void tablesListsTheTableOfADbaseFile() {
        const auto result = TestFiles::runCli({"tables", TestFiles::publicFile("cp1251.dbf")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QByteArray("cp1251\n"));
    }

    void dumpMatchesTheTruthOfEveryPublicTable_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : TestFiles::publicFilesWithSuffix(".dbf")) {
            QTest::newRow(qPrintable(name)) << name;
        }
    }
    void dumpMatchesTheTruthOfEveryPublicTable() {
        QFETCH(QString, name);
        const QJsonObject truth = TestFiles::truthOf(name);
        const auto result = TestFiles::runCli({"dump", TestFiles::publicFile(name)}, kCLocale);
        if (name == "dbase_03.dbf") {
            // Two fields share the name Point_ID, so the table cannot be loaded.
            QCOMPARE(result.exitCode, 2);
            QVERIFY(result.err.startsWith("error -1040: Cannot open "));
            return;
        }
        QCOMPARE(result.exitCode, 0);
        const QList<QByteArray> out = lines(result.out);
        const QJsonArray fields = truth["fields"].toArray();
        QStringList names;
        for (const QJsonValue& field : fields) names << field["name"].toString();
        QCOMPARE(QString::fromUtf8(out.value(0)), names.join('\t'));
        QCOMPARE(out.value(1).split('\t').size(), fields.size());
        // invalid_value.dbf: dbfread gives up at a bad date; we load the two active records.
        const int records = truth.contains("error") ? truth["record_flags"]["active"].toInt()
                                                    : truth["record_count"].toInt();
        QCOMPARE(out.value(2).toInt(), records);
        QCOMPARE(out.size(), 3 + records);
        const QJsonArray first = truth["first_records"].toArray();
        const auto corrections = TestFiles::truthCorrections(name);
        for (int r = 0; r < first.size(); ++r) {
            QStringList expected;
            for (int c = 0; c < fields.size(); ++c) {
                const auto corrected = corrections.find({r, c});
                const QJsonValue value = corrected != corrections.end()
                                             ? QJsonValue(corrected->second)
                                             : first[r].toArray()[c];
                expected << dumpTextOf(value, fields[c]["type"].toString());
            }
            QCOMPARE(QString::fromUtf8(out.value(3 + r)), expected.join('\t'));
        }
    }

    void dumpKeepsEveryRowOnOneLine() {
        QTemporaryDir dir;
        DbfBuilder builder;
        builder.fields = {{"TEXT", 'C', 20, 0}};
        builder.records = {{"a\tb\\c"}, {"line1\r\nline2"}};
        const QString path = dir.filePath("escapes.dbf");
        QVERIFY(builder.write(path));
        const auto result = TestFiles::runCli({"dump", path}, kCLocale);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QByteArray("TEXT\n1\n2\na\\tb\\\\c\nline1\\r\\nline2\n"));
    }

    void dumpOfANamedTable() {
        const QString path = TestFiles::publicFile("cp1251.dbf");
        QCOMPARE(TestFiles::runCli({"dump", path, "--table", "cp1251"}, kCLocale).exitCode, 0);
        const auto missing = TestFiles::runCli({"dump", path, "--table", "other"}, kCLocale);
        QCOMPARE(missing.exitCode, 2);
        QVERIFY(missing.err.startsWith("error -1305: "));
    }

    void failuresAndUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("errorStart");
        QTest::newRow("no arguments") << QStringList{} << 64 << QByteArray("usage:");
        QTest::newRow("unknown command")
            << QStringList{"show", "x.dbf"} << 64 << QByteArray("usage:");
        QTest::newRow("dump with a stray argument")
            << QStringList{"dump", "x.dbf", "--tables"} << 64 << QByteArray("usage:");
        // The program's message, then the file and the cause the system gave.
        QTest::newRow("missing file") << QStringList{"tables", "/nonexistent/x.dbf"} << 2
                                      << QByteArray(
                                             "error -5015: Error opening file!\n"
                                             "/nonexistent/x.dbf: No such file or directory\n");
        QTest::newRow("a folder")
            << QStringList{"dump", "/tmp"} << 2
            << QByteArray("error -5015: Error opening file!\n/tmp: Is a directory\n");
    }
    void failuresAndUsage() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, errorStart);
        const auto result = TestFiles::runCli(arguments, kCLocale);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.err.startsWith(errorStart), result.err.constData());
        QVERIFY(result.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
