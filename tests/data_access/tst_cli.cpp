// quarix-cli as users and support staff run it: table names, dumps, and failures.
#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "data/access/Utf8RowWriter.h"
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

// Writes `bytes` to `name` in `dir`; the path.
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
    return file.fileName();
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

    // The rows reach the output in large writes, encoded straight from UTF-16: every kind of
    // character, and fields and rows longer than the buffer, come out as QString would write them.
    void rowsAreWrittenAsUtf8() {
        QByteArray written;
        int writes = 0;
        const auto sink = [&](const char* data, qsizetype size) {
            written.append(data, size);
            return ++writes < 3;  // the third write fails (the rest of the big row)
        };
        const QString text = QString::fromUtf16(u"a\tb\\c\r\n\u00e9\u20ac\U0001F600,\"") +
                             QChar(0xD800) + QChar(u'x') + QChar(0xDC00);
        EscapedTabRowWriter tabs(sink);
        tabs.addField(text);
        tabs.addField({});
        tabs.addPlainField(QLatin1String("12"));
        QVERIFY(tabs.endRow());
        QVERIFY(tabs.flush());
        QCOMPARE(written, QByteArray("a\\tb\\\\c\\r\\n\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80,\""
                                     "\xef\xbf\xbdx\xef\xbf\xbd\t\t12\n"));
        written.clear();
        CsvRowWriter csv(sink);
        csv.addField(text);
        csv.addField(QStringLiteral(" lead"));
        QVERIFY(csv.endRow());
        csv.addField({});  // a lone empty field keeps its row
        QVERIFY(csv.endRow());
        const QString big(CsvRowWriter::kBufferSize, QChar(0x20AC));
        csv.addField(big);
        csv.endRow();
        QVERIFY(!csv.flush());  // a failed write is told, and stays told
        QVERIFY(!csv.endRow());
        QCOMPARE(written,
                 "\"a\tb\\c\r\n\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80,\"\"?x?\",\" lead\"\r\n"
                 "\"\"\r\n" +
                     big.toUtf8());
    }

    // A dump that does not reach its output (a full disk) is a failure, not a success.
    void aDumpThatCannotBeWrittenFails() {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(QUARIX_CLI), {"dump", TestFiles::publicFile("cp1251.dbf")});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().startsWith("error: the dump could not be written"));
    }

    void dumpOfANamedTable() {
        const QString path = TestFiles::publicFile("cp1251.dbf");
        QCOMPARE(TestFiles::runCli({"dump", path, "--table", "cp1251"}, kCLocale).exitCode, 0);
        const auto missing = TestFiles::runCli({"dump", path, "--table", "other"}, kCLocale);
        QCOMPARE(missing.exitCode, 2);
        QVERIFY(missing.err.startsWith("error -1305: "));
    }

    // Delimited text tables other programs wrote (tests/data/public/make_csv.py): what Python's
    // csv module reads in each is what the dump shows, numbers and dates as values.
    void csvDumpMatchesWhatPythonReads_data() {
        QTest::addColumn<QString>("name");
        QStringList names;
        for (const char* suffix : {".csv", ".tsv", ".txt"}) {
            names += TestFiles::publicFilesWithSuffix(suffix);
        }
        QVERIFY(names.size() >= 8);
        for (const QString& name : names) QTest::newRow(qPrintable(name)) << name;
    }
    void csvDumpMatchesWhatPythonReads() {
        QFETCH(QString, name);
        const QJsonArray rows = TestFiles::truthOf(name)["rows"].toArray();
        QVERIFY(rows.size() > 1);
        const auto result = TestFiles::runCli({"dump", TestFiles::publicFile(name)}, kCLocale);
        QCOMPARE(result.exitCode, 0);
        const QList<QByteArray> out = lines(result.out);
        QStringList headings;
        for (const QJsonValue& cell : rows[0].toArray()) headings << cell.toString();
        QCOMPARE(QString::fromUtf8(out.value(0)), headings.join('\t'));
        const QByteArray types = name.startsWith("iris")      ? "6\t6\t6\t6\t1"
                                 : name.startsWith("accents") ? "1\t1\t6\t9\t1"
                                                              : "1\t1";
        QCOMPARE(out.value(1), types);
        QCOMPARE(out.value(2).toInt(), rows.size() - 1);
        QCOMPARE(out.size(), 3 + rows.size() - 1);
        const QList<QByteArray> codes = types.split('\t');
        for (int r = 1; r < rows.size(); ++r) {
            QStringList expected;
            const QJsonArray cells = rows[r].toArray();
            for (int c = 0; c < cells.size(); ++c) {
                QString text = cells[c].toString();
                if (text.isEmpty()) {
                } else if (codes[c] == "6") {
                    text = QString::number(text.replace(',', '.').toDouble(), 'g', 15);
                } else if (codes[c] == "9") {
                    text = dumpTextOf(text, "D");
                } else {
                    text = dumpTextOf(text, "C");
                }
                expected << text;
            }
            QCOMPARE(QString::fromUtf8(out.value(2 + r)), expected.join('\t'));
        }
    }

    // The same table as a workbook and in every dialect, written by Python, LibreOffice and
    // Gnumeric: the same headings, types and texts, in the locale's own number form.
    void csvTablesReadLikeTheSameWorkbook() {
        const QList<std::pair<const char*, QStringList>> tables = {
            {"iris-excel-xls.xls",
             {"iris-comma.csv", "iris-semicolon.csv", "iris-tab.tsv", "iris-pipe.txt",
              "iris-libreoffice-comma.csv", "iris-libreoffice-semicolon.csv",
              "iris-libreoffice-tab.tsv", "iris-libreoffice-cp1252.csv",
              "iris-libreoffice-utf16.csv", "iris-gnumeric.csv", "iris-gnumeric-semicolon.csv"}},
            {"chinese-provinces.xls", {"chinese-provinces-libreoffice-utf16.txt"}},
        };
        for (const char* locale : {"en_US", "de_DE"}) {
            const QStringList environment{QString("LC_ALL=%1.UTF-8").arg(locale)};
            for (const auto& [workbook, names] : tables) {
                QFile golden(QStringLiteral(QUARIX_TESTS_DIR "/data/golden/%1.%2.txt")
                                 .arg(workbook, locale));
                QVERIFY(golden.open(QIODevice::ReadOnly));
                QByteArray expected = golden.readAll();
                expected = expected.mid(expected.indexOf('\n') + 1);  // "== iris"
                for (const QString& name : names) {
                    const auto result =
                        TestFiles::runCli({"dump", TestFiles::publicFile(name)}, environment);
                    QVERIFY2(result.out == expected, qPrintable(name));
                }
            }
        }
    }

    // Rows shorter or longer than the headings, blank lines, the types a column takes, and the
    // options that override what the content says.
    void csvRowsTypesAndOverrides() {
        QTemporaryDir dir;
        const QString ragged = writeFile(dir, "ragged.csv", "a,b\n1\n\n2,3,x\n\"\"\n,,,\n");
        auto result = TestFiles::runCli({"dump", ragged}, kCLocale);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QByteArray("a\tb\tF3\tF4\n3\t3\t1\t1\n4\n1\t\t\t\n2\t3\tx\t\n"
                                        "\t\t\t\n\t\t\t\n"));

        const QString types =
            writeFile(dir, "types.txt",
                      "code;plus;amount;when;stamp;flag;big;dots;exact\r\n"
                      "007;+5;1,5;2024-03-10;2024-03-10 14:30:00;TRUE;1234567890123456;1.5;"
                      "0.30000000000000004\r\n"
                      "010;+6;-2;2024-02-29;2024-03-11T08:00;FALSE;1;2;5.0999999999999996447\r\n");
        result = TestFiles::runCli({"dump", types, "--verbose"}, kCLocale);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err,
                 QByteArray("csv: delimiter semicolon, encoding UTF-8, decimal separator dot\n"));
        // A dot in the file's numbers: the comma is no decimal separator, so "1,5" is text.
        // A long whole number stays text; a double's every digit after the dot is a number.
        QCOMPARE(lines(result.out).value(1), QByteArray("1\t1\t1\t9\t11\t1\t1\t6\t6"));
        QVERIFY(lines(result.out).value(3).startsWith("007\t+5\t1,5\t10 Mar 2024\t"));
        QVERIFY(lines(result.out).value(4).endsWith("\t2\t5.1"));

        result = TestFiles::runCli(
            {"dump", types, "--delimiter", ",", "--encoding", "windows-1252", "--verbose"},
            kCLocale);
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.err.startsWith("csv: delimiter comma, encoding windows-1252"));
        QCOMPARE(lines(result.out).value(1), QByteArray("1\t1"));
        QCOMPARE(TestFiles::runCli({"dump", types, "--delimiter", "ab"}, kCLocale).exitCode, 64);
        QCOMPARE(TestFiles::runCli({"dump", types, "--encoding", "nonsense"}, kCLocale).exitCode,
                 64);
    }

    // Damaged files are refused with a message that says why, never loaded half.
    void csvDamagedFilesAreRefused() {
        QTemporaryDir dir;
        const QList<std::pair<QByteArray, QByteArray>> cases = {
            {"", "The file is empty"},
            {QByteArray("a,b\n1,\0\n", 9), "Holds a NUL byte: not a text table"},
            {"a,b\n1,2\n3,\"open\n4,5\n", "The quote opened on line 3 is never closed"},
            {"a\n" + QByteArray(40000, 'x') + "\n", "Line 2 holds a field of more than 32767"},
            {"\n\n", "The file holds no rows"},
        };
        for (const auto& [bytes, cause] : cases) {
            const QString path = writeFile(dir, "damaged.csv", bytes);
            const auto result = TestFiles::runCli({"dump", path}, kCLocale);
            QCOMPARE(result.exitCode, 2);
            QVERIFY2(result.err.startsWith("error -5015: Error opening file!\n" + path.toUtf8() +
                                           ": " + cause),
                     result.err.constData());
        }
        // Held open by an office suite.
        const QString locked = writeFile(dir, "locked.csv", "a\n1\n");
        writeFile(dir, ".~lock.locked.csv#", "user");
        QVERIFY(TestFiles::runCli({"dump", locked}, kCLocale).err.startsWith("error -1028"));
        // One line of a million fields: refused as too wide, its fields never all held.
        QByteArray wide = "a\n";
        for (int i = 0; i < 1000000; ++i) wide += "1,";
        const auto tooWide =
            TestFiles::runCli({"dump", writeFile(dir, "wide.csv", wide)}, kCLocale);
        QCOMPARE(tooWide.exitCode, 2);
        QVERIFY2(tooWide.err.contains(": 1000001 columns, more than 255"), tooWide.err.constData());
    }

    // A text table as File 2 against a workbook with the same columns.
    void csvFile2AgainstAWorkbook() {
        const QString workbook = TestFiles::publicFile("iris-excel-xls.xls");
        QStringList arguments{"run",     workbook,   "--function", "duplicates", "--column",
                              "Species", "--target", "2",          "--file2"};
        const auto expected = TestFiles::runCli(arguments + QStringList{workbook}, kCLocale);
        const auto result = TestFiles::runCli(
            arguments + QStringList{TestFiles::publicFile("iris-semicolon.csv")}, kCLocale);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expected.out);
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
