// quarix-cli convert: tables copied into new workbooks, dBase tables and .csv files through the
// statements the Save command sends, then read back by xlrd, dbfread, Python's csv module and
// our own readers.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "WriterTestSupport.h"
#include "data/access/CellText.h"
#include "data/access/ConnectionString.h"
#include "data/access/NativeError.h"
#include "data/access/TableFileReader.h"
#include "data/access/dbf/DbfText.h"
#include "support/DbfBuilder.h"
#include "support/TestFiles.h"

namespace {

const QStringList kCLocale = {"LC_ALL=C.UTF-8"};

struct Dump {
    QStringList headings;
    QList<int> types;
    QList<QStringList> rows;
    QString error;
    QString refusal;  // the check the window would refuse the table with, as dump notes it
};

// A dump's cell with its escapes undone.
QString unescaped(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == 't'   ? QChar('\t')
               : next == 'r' ? QChar('\r')
               : next == 'n' ? QChar('\n')
                             : next;
    }
    return out;
}

QStringList cellsOf(const QString& line) {
    QStringList cells;
    for (const QString& cell : line.split('\t', Qt::KeepEmptyParts)) cells << unescaped(cell);
    return cells;
}

// What quarix-cli dump shows of a table.
Dump dumpOf(const QString& path, const QStringList& environment = kCLocale) {
    Dump dump;
    const auto result = TestFiles::runCli({"dump", path}, environment);
    if (result.exitCode != 0) {
        dump.error = QString::fromUtf8(result.err);
        return dump;
    }
    const QByteArray note = "note: the window would refuse this table: ";
    if (result.err.startsWith(note))
        dump.refusal = QString::fromUtf8(result.err.mid(note.size())).trimmed();
    QStringList lines = QString::fromUtf8(result.out).split('\n');
    if (lines.last().isEmpty()) lines.removeLast();
    if (lines.value(0).isEmpty()) return dump;  // a table without columns
    dump.headings = cellsOf(lines.value(0));
    for (const QString& type : lines.value(1).split('\t')) dump.types << type.toInt();
    for (int i = 3; i < lines.size(); ++i) dump.rows << cellsOf(lines[i]);
    return dump;
}

bool isNumberCode(int code) {
    return code == 3 || code == 6;
}

// The value the Save command writes for a cell: the text itself; an empty cell stays empty.
QString sentValue(const QString& text, int) {
    return text;
}

QString number(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// The rows xlrd should find in the workbook written from `source` ("s:text", "n:number").
QList<QStringList> expectedWorkbook(const Dump& source) {
    QList<QStringList> rows;
    QStringList heading;
    for (const QString& name : source.headings) heading << "s:" + name;
    rows << heading;
    for (const QStringList& row : source.rows) {
        QStringList cells;
        for (int c = 0; c < row.size(); ++c) {
            const QString value = sentValue(row[c], source.types[c]);
            bool ok = false;
            const double parsed = value.toDouble(&ok);
            cells << (value.isEmpty()                       ? "e:"
                      : isNumberCode(source.types[c]) && ok ? "n:" + number(parsed)
                                                            : "s:" + value);
        }
        rows << cells;
    }
    return rows;
}

QList<QStringList> xlrdRows(const QJsonObject& book) {
    QList<QStringList> rows;
    for (const QJsonValue& row : book["rows"].toArray()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray()) {
            cells << cell[0].toString() + ":" +
                         (cell[0].toString() == "n" ? number(cell[1].toDouble())
                                                    : cell[1].toString());
        }
        rows << cells;
    }
    return rows;
}

// The records dbfread should find in the table written from `source`: numbers in number
// columns, texts without the trailing blanks a character field pads them with.
QList<QStringList> expectedTable(const Dump& source) {
    QList<QStringList> rows;
    for (const QStringList& row : source.rows) {
        QStringList cells;
        for (int c = 0; c < row.size(); ++c) {
            QString value = sentValue(row[c], source.types[c]);
            if (isNumberCode(source.types[c])) {
                cells << (value.isEmpty() ? QString() : number(value.toDouble()));
            } else {
                while (value.endsWith(' ')) value.chop(1);
                cells << value;
            }
        }
        rows << cells;
    }
    return rows;
}

QList<QStringList> dbfreadRows(const QJsonObject& table) {
    QList<QStringList> rows;
    for (const QJsonValue& record : table["records"].toArray()) {
        QStringList cells;
        for (const QJsonValue& v : record.toArray())
            cells << (v.isDouble() ? number(v.toDouble()) : v.toString());
        rows << cells;
    }
    return rows;
}

// Whether every text the Save command would send fits a dBase field: 254 bytes, in cp1252 when
// every text of the table fits it, else in UTF-8.
bool fitsDbase(const Dump& source) {
    QStringList texts = source.headings;
    for (const QStringList& row : source.rows) {
        for (int c = 0; c < row.size(); ++c) texts << sentValue(row[c], source.types[c]);
    }
    const bool cp1252 = std::all_of(texts.begin(), texts.end(),
                                    [](const QString& t) { return DbfText::fitsCp1252(t); });
    return std::all_of(texts.begin(), texts.end(), [&](const QString& t) {
        return DbfText::byteLength(t, cp1252 ? DbfEncoding::Cp1252 : DbfEncoding::Utf8) <= 254;
    });
}

// A cell of a .csv file as the C locale's dump shows it: a number column's value written with a
// dot and no exponent as the number it is; a date column's ISO 8601 value as the date. Anything
// else stays as it is, and so differs from the dump.
QString csvCellAsDump(const QString& cell, int type) {
    static const QRegularExpression plainNumber("^-?[0-9]+(\\.[0-9]+)?$");
    if (isNumberCode(type) && plainNumber.match(cell).hasMatch()) return number(cell.toDouble());
    const CellTextFormat c(QLocale::c());
    if (type == 9) {
        const QDate date = QDate::fromString(cell, "yyyy-MM-dd");
        if (date.isValid()) return c.dateText(dayZero().daysTo(date));
    }
    if (type == 11) {
        const QDateTime when = QDateTime::fromString(cell, "yyyy-MM-dd HH:mm:ss");
        if (when.isValid())
            return c.dateTimeText(dayZero().daysTo(when.date()) +
                                  when.time().msecsSinceStartOfDay() / 86400000.0);
    }
    return cell;
}

// The .csv file written from a C-locale dump, read back by Python's csv, against the dump.
void compareCsv(const QString& csv, const Dump& dump) {
    const QList<QStringList> read = WriterTest::readWithPythonCsv(csv);
    QCOMPARE(read.value(0), dump.headings);
    QCOMPARE(read.size(), dump.rows.size() + 1);
    for (qsizetype r = 0; r < dump.rows.size(); ++r) {
        QStringList cells = read[r + 1], expected = dump.rows[r];
        for (qsizetype c = 0; c < cells.size() && c < dump.types.size(); ++c) {
            cells[c] = csvCellAsDump(cells[c], dump.types[c]);
            if (isNumberCode(dump.types[c]) && !expected[c].isEmpty())
                expected[c] = number(expected[c].toDouble());
        }
        QCOMPARE(cells, expected);
    }
}

// The kinds of a table's columns as a .csv file keeps them: numbers (integer or not, as the
// values say), dates and date-times stay values; booleans and memos become text (1).
QList<int> csvKindsOf(const QList<int>& types) {
    QList<int> kinds;
    for (const int type : types)
        kinds << (isNumberCode(type) ? 6 : type == 9 || type == 11 ? type : 1);
    return kinds;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ourWorkbookReaderAvailable() {
    return createWorkbookReader()->open(TestFiles::publicFile("iris-excel-xls.xls")) ==
           NativeError::None;
}

}  // namespace

class TestConvert : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_serial = 0;

    QString newPath(const QString& extension) {
        return m_dir.filePath(QString("out%1.%2").arg(++m_serial).arg(extension));
    }

    // Converts `source` to both kinds of workbook and a dBase table and checks each against its
    // dump; our own reader loads the .xlsx into what it loads from the .xls.
    void checkRoundTrips(const QString& source, const QStringList& environment = kCLocale) {
        const Dump dump = dumpOf(source, environment);
        QVERIFY2(dump.error.isEmpty(), qPrintable(dump.error));

        const QString xls = newPath("xls");
        auto result = TestFiles::runCli({"convert", source, xls}, environment);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QJsonObject book = WriterTest::readWithXlrd(xls);
        QVERIFY2(!book.contains("error"), qPrintable(book["error"].toString()));
        QCOMPARE(book["sheets"].toArray(), QJsonArray{"Result"});
        QCOMPARE(xlrdRows(book), expectedWorkbook(dump));

        const QString xlsx = newPath("xlsx");
        result = TestFiles::runCli({"convert", source, xlsx}, environment);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(xlrdRows(WriterTest::readWithOpenpyxl(xlsx)), expectedWorkbook(dump));
        const Dump fromXls = dumpOf(xls, environment);
        const Dump fromXlsx = dumpOf(xlsx, environment);
        QCOMPARE(fromXlsx.headings, fromXls.headings);
        QCOMPARE(fromXlsx.rows, fromXls.rows);

        const QString csv = newPath("csv");
        result = TestFiles::runCli({"convert", source, csv}, environment);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        compareCsv(csv, dump);
        // Quarix reads its own .csv back into the same kinds: numbers and dates stay values.
        const Dump fromCsv = dumpOf(csv, environment);
        QVERIFY2(fromCsv.error.isEmpty(), qPrintable(fromCsv.error));
        QCOMPARE(csvKindsOf(fromCsv.types), csvKindsOf(dump.types));

        const QString dbf = newPath("dbf");
        result = TestFiles::runCli({"convert", source, dbf}, environment);
        if (!fitsDbase(dump)) {
            // A text longer than a dBase field holds is refused, never cut.
            QCOMPARE(result.exitCode, 2);
            QVERIFY2(result.err.startsWith("error -3505: "), result.err.constData());
            QVERIFY(!QFileInfo::exists(dbf));
            return;
        }
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const bool utf8 = QFile::exists(QString(dbf).replace(".dbf", ".cpg"));
        const QJsonObject table = WriterTest::readWithDbfread(dbf, utf8 ? "utf-8" : "");
        QVERIFY2(!table.contains("error"), qPrintable(table["error"].toString()));
        QCOMPARE(dbfreadRows(table), expectedTable(dump));
        // Our own reader sees the same columns again, blanks in names turned into "_".
        const Dump again = dumpOf(dbf, environment);
        QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
        QCOMPARE(again.headings.size(), dump.headings.size());
        QCOMPARE(again.rows.size(), dump.rows.size());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString missing = WriterTest::peerReadersMissing();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
    }

    void publicTables_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : TestFiles::publicFilesWithSuffix(".dbf")) {
            if (name != "dbase_03.dbf") QTest::newRow(qPrintable(name)) << name;  // unreadable
        }
    }
    void publicTables() {
        QFETCH(QString, name);
        checkRoundTrips(TestFiles::publicFile(name));
    }

    void publicWorkbooks_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : TestFiles::publicFilesWithSuffix(".xls"))
            QTest::newRow(qPrintable(name)) << name;
    }
    void publicWorkbooks() {
        QFETCH(QString, name);
        if (!ourWorkbookReaderAvailable()) QSKIP("the workbook reader is not available yet");
        const Dump dump = dumpOf(TestFiles::publicFile(name));
        if (!dump.error.isEmpty()) QSKIP("quarix-cli does not load this workbook");
        // A table the window refuses (no rows, a heading a result cannot take) is refused by
        // convert with the window's message.
        if (!dump.refusal.isEmpty()) {
            const auto result = TestFiles::runCli(
                {"convert", TestFiles::publicFile(name), newPath("xls")}, kCLocale);
            QCOMPARE(result.exitCode, 2);
            QCOMPARE(QString::fromUtf8(result.err).trimmed(), "error: " + dump.refusal);
            return;
        }
        checkRoundTrips(TestFiles::publicFile(name));
    }

    void awkwardNamesAndValues() {
        DbfBuilder builder;
        builder.languageDriver = 0x03;  // cp1252
        builder.fields = {{"Last, name", 'C', 30, 0},
                          {"O'Brien", 'C', 30, 0},
                          {"Amount", 'N', 8, 2},
                          {"Count", 'N', 5, 0},
                          {"When", 'D', 8, 0}};
        builder.records = {{"Smith, John", "It's \"quoted\"", "12.50", "3", "20240131"},
                           {"  padded", "", "", "", ""},
                           // What a .xlsx would read as an escaped character.
                           {"a_x0041_b", "_x000D_", "", "", ""},
                           {"Gr\xF6\xDF"
                            "e \x80",
                            "a'b'c", "-0.25", "-7", "19991231"}};
        const QString source = m_dir.filePath("awkward.dbf");
        QVERIFY(builder.write(source));
        checkRoundTrips(source);
    }

    void decimalCommaLocale() {
        DbfBuilder builder;
        builder.fields = {{"Amount", 'N', 8, 2}, {"Name", 'C', 5, 0}};
        builder.records = {{"12.50", "a"}, {"-0.25", "b"}};
        const QString source = m_dir.filePath("amounts.dbf");
        QVERIFY(builder.write(source));
        const QStringList german{"LC_ALL=de_DE.UTF-8"};
        QCOMPARE(dumpOf(source, german).rows.value(0).value(0), QString("12,5"));
        const QString xls = newPath("xls"), dbf = newPath("dbf");
        QCOMPARE(TestFiles::runCli({"convert", source, xls}, german).exitCode, 0);
        QCOMPARE(TestFiles::runCli({"convert", source, dbf}, german).exitCode, 0);
        QCOMPARE(xlrdRows(WriterTest::readWithXlrd(xls)).value(1), (QStringList{"n:12.5", "s:a"}));
        const QJsonObject table = WriterTest::readWithDbfread(dbf);
        QCOMPARE(dbfreadRows(table), (QList<QStringList>{{"12.5", "a"}, {"-0.25", "b"}}));
        QCOMPARE(table["fields"].toArray().at(0)["type"].toString(), QString("N"));

        // A .csv file holds numbers with a dot and dates in ISO form, whatever the locale.
        builder.fields.push_back({"When", 'D', 8, 0});
        builder.records = {{"12.50", "a", "20240310"}, {"-0.25", "b", ""}};
        const QString dated = m_dir.filePath("dated.dbf"), csv = newPath("csv");
        QVERIFY(builder.write(dated));
        QCOMPARE(dumpOf(dated, german).rows.value(0).value(2), QString("10.03.2024"));
        QCOMPARE(TestFiles::runCli({"convert", dated, csv}, german).exitCode, 0);
        QCOMPARE(WriterTest::readWithPythonCsv(csv),
                 (QList<QStringList>{
                     {"Amount", "Name", "When"}, {"12.5", "a", "2024-03-10"}, {"-0.25", "b", ""}}));
    }

    // The bytes of a .csv file: UTF-8 without a byte-order mark, CRLF, quotes only where a
    // reader needs them, and the empty value of a one-column row as "" so that it is no blank
    // line. Texts that a number or date column does not read as one are kept as they are.
    void csvQuotingAndLineEnds() {
        const QString csv = m_dir.filePath("quoted.csv");
        const auto run = WriterTest::runStatements(
            excelCreateConnectionString(csv),
            {"CREATE TABLE Result([Note] TEXT )", "INSERT INTO Result ([Note]) VALUES ('')",
             "INSERT INTO Result ([Note]) VALUES ('plain é')",
             "INSERT INTO Result ([Note]) VALUES ('a,b')",
             "INSERT INTO Result ([Note]) VALUES ('say \"hi\"')",
             "INSERT INTO Result ([Note]) VALUES (' lead')",
             "INSERT INTO Result ([Note]) VALUES ('trail\t')",
             "INSERT INTO Result ([Note]) VALUES ('two\r\nlines')",
             "INSERT INTO Result ([Note]) VALUES ('a\nb')"});
        QCOMPARE(run.code, 0);
        QCOMPARE(contentOf(csv), QByteArray("Note\r\n\"\"\r\nplain \xC3\xA9\r\n\"a,b\"\r\n"
                                            "\"say \"\"hi\"\"\"\r\n\" lead\"\r\n\"trail\t\"\r\n"
                                            "\"two\r\nlines\"\r\n\"a\nb\"\r\n"));
        QCOMPARE(WriterTest::readWithPythonCsv(csv), (QList<QStringList>{{"Note"},
                                                                         {""},
                                                                         {"plain é"},
                                                                         {"a,b"},
                                                                         {"say \"hi\""},
                                                                         {" lead"},
                                                                         {"trail\t"},
                                                                         {"two\r\nlines"},
                                                                         {"a\nb"}}));

        const QString typed = m_dir.filePath("typed.csv");
        QCOMPARE(WriterTest::runStatements(
                     excelCreateConnectionString(typed),
                     {"CREATE TABLE Result([N] REAL ,[D] DATE ,[T] DATETIME )",
                      "INSERT INTO Result ([N],[D],[T]) VALUES ('1e3','1 Jan 2024','2 Jan "
                      "2024 14:30:05')",
                      "INSERT INTO Result ([N],[D],[T]) VALUES ('-','n/a','2024-01-02')"})
                     .code,
                 0);
        QCOMPARE(contentOf(typed), QByteArray("N,D,T\r\n1000,2024-01-01,2024-01-02 14:30:05\r\n"
                                              "-,n/a,2024-01-02\r\n"));
    }

    void largeTables_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("65,535 rows") << 3 << 65535;
        QTest::newRow("255 columns") << 255 << 4;
    }
    void largeTables() {
        QFETCH(int, columns);
        QFETCH(int, rows);
        DbfBuilder builder;
        for (int c = 0; c < columns; ++c)
            builder.fields.push_back({"F" + QByteArray::number(c), c % 2 ? 'C' : 'N', 7, 0});
        for (int r = 0; r < rows; ++r) {
            std::vector<QByteArray> record;
            for (int c = 0; c < columns; ++c) record.push_back(QByteArray::number(r + c));
            builder.records.push_back(record);
        }
        const QString source = m_dir.filePath(QString("large%1.dbf").arg(columns));
        QVERIFY(builder.write(source));
        const QString xls = newPath("xls"), dbf = newPath("dbf");
        auto result = TestFiles::runCli({"convert", source, xls}, kCLocale);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        result = TestFiles::runCli({"convert", source, dbf}, kCLocale);
        QVERIFY2(result.exitCode == 0, result.err.constData());

        const QJsonObject book = WriterTest::readWithXlrd(xls, true);
        QVERIFY2(!book.contains("error"), qPrintable(book["error"].toString()));
        QCOMPARE(book["nrows"].toInt(), rows + 1);
        QCOMPARE(book["ncols"].toInt(), columns);
        const QJsonArray last = book["last"].toArray();
        QCOMPARE(last[0].toArray()[1].toDouble(), double(rows - 1));
        QCOMPARE(last[columns - 1].toArray()[1].toVariant().toString(),
                 QString::number(rows - 1 + columns - 1));

        const QJsonObject table = WriterTest::readWithDbfread(dbf, "", true);
        QVERIFY2(!table.contains("error"), qPrintable(table["error"].toString()));
        QCOMPARE(table["count"].toInt(), rows);
        QCOMPARE(table["fields"].toArray().size(), columns);
        QCOMPARE(table["records"].toArray().last().toArray()[0].toInt(), rows - 1);
    }

    // convert loads as run and the window do: what run refuses, convert refuses with the same
    // message; and both replace an existing file only when told to.
    void convertAndRunAlike() {
        DbfBuilder builder;
        builder.fields = {{"PRICE?", 'N', 4, 0}};
        builder.records = {{"1"}};
        const QString refused = m_dir.filePath("price.dbf");
        QVERIFY(builder.write(refused));
        const auto converted = TestFiles::runCli({"convert", refused, newPath("xls")}, kCLocale);
        const auto ran = TestFiles::runCli({"run", refused, "--function", "sort"}, kCLocale);
        QCOMPARE(converted.exitCode, 2);
        QCOMPARE(ran.exitCode, 2);
        QVERIFY(converted.err.startsWith("error: Error in field name."));
        QCOMPARE(ran.err, converted.err);

        const QString source = TestFiles::publicFile("cp1251.dbf");
        const QString out = newPath("xls");
        QCOMPARE(TestFiles::runCli({"convert", source, out}, kCLocale).exitCode, 0);
        QCOMPARE(TestFiles::runCli({"convert", source, out}, kCLocale).exitCode, 2);
        QCOMPARE(TestFiles::runCli({"convert", "--force", source, out}, kCLocale).exitCode, 0);
        QCOMPARE(WriterTest::readWithXlrd(out)["sheets"].toArray(), QJsonArray{"Result"});
    }

    void failures_data() {
        QTest::addColumn<QStringList>("arguments");  // OUT is appended
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errorStart");
        const QString source = TestFiles::publicFile("cp1251.dbf");
        QTest::newRow("no OUT") << QStringList{"convert", source} << "" << 64 << "usage:";
        QTest::newRow("OUT of another kind")
            << QStringList{"convert", source} << "out.ods" << 64
            << "quarix-cli convert: OUT must end in .xls, .xlsx, .dbf or .csv";
        QTest::newRow("an unknown table") << QStringList{"convert", source, "--table", "other"}
                                          << "t.xls" << 2 << "error -1305: ";
        QTest::newRow("a source that cannot be read")
            << QStringList{"convert", "/nonexistent/x.dbf"} << "t.xls" << 2 << "error -5015: ";
        QTest::newRow("a workbook that exists")
            << QStringList{"convert", source} << "existing.xls" << 2 << "error -3506: ";
        QTest::newRow("a table that exists")
            << QStringList{"convert", source} << "existing.dbf" << 2 << "error -3506: ";
        QTest::newRow("a folder that does not exist")
            << QStringList{"convert", source} << "missing/t.xls" << 2
            << "error -3503: The file cannot be created.\n";
        QTest::newRow("a dBase name of signs only")
            << QStringList{"convert", m_dir.filePath("signs.dbf")} << "t.dbf" << 2
            << "error -3507: ";
        QTest::newRow("a text longer than a dBase field, in a later row")
            << QStringList{"convert", m_dir.filePath("long.dbf")} << "t.dbf" << 2
            << "error -3505: ";
        QTest::newRow("more rows than a result holds")
            << QStringList{"convert", m_dir.filePath("huge.dbf")} << "t.xls" << 2
            << "error: Output file is over 65535 rows which is the Excel's limitation. Please "
               "reduce your files and try again.";
    }
    void failures() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(int, exitCode);
        QFETCH(QString, errorStart);
        QTemporaryDir folder;
        QFile existing(folder.filePath(out.startsWith("existing") ? out : "untouched"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("the user's file");
        existing.close();
        if (!QFile::exists(m_dir.filePath("signs.dbf"))) {
            DbfBuilder signs;
            signs.fields = {{"%%", 'C', 3, 0}};
            signs.records = {{"a"}};
            QVERIFY(signs.write(m_dir.filePath("signs.dbf")));
            DbfBuilder huge;
            huge.fields = {{"N", 'N', 6, 0}};
            for (int r = 0; r < 65536; ++r) huge.records.push_back({QByteArray::number(r)});
            QVERIFY(huge.write(m_dir.filePath("huge.dbf")));
            DbfBuilder longText;
            longText.fields = {{"T", 'C', 255, 0}};
            longText.records = {{"short"}, {QByteArray(255, 'x')}};
            QVERIFY(longText.write(m_dir.filePath("long.dbf")));
        }
        const QStringList before = WriterTest::folderEntries(folder.path());
        if (!out.isEmpty()) arguments << folder.filePath(out);
        const auto result = TestFiles::runCli(arguments, kCLocale);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.err.startsWith(errorStart.toUtf8()), result.err.constData());
        // Nothing is left behind, and the file that was there is as it was.
        QCOMPARE(WriterTest::folderEntries(folder.path()), before);
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("the user's file"));
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
