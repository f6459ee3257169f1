// dBase tables written through the statements, read back by dbfread and by our own reader.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include "WriterTestSupport.h"
#include "data/access/CellText.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"
#include "data/access/NativeError.h"
#include "data/access/dbf/DbfTableWriter.h"

namespace {

// "NAME:TYPE:LENGTH:DECIMALS" per field.
QStringList fieldsOf(const QJsonObject& table) {
    QStringList fields;
    for (const QJsonValue& f : table["fields"].toArray()) {
        fields << QString("%1:%2:%3:%4")
                      .arg(f["name"].toString(), f["type"].toString())
                      .arg(f["length"].toInt())
                      .arg(f["decimals"].toInt());
    }
    return fields;
}

// Each record as its values: 'text', a number, or null.
QStringList recordsOf(const QJsonObject& table) {
    QStringList records;
    for (const QJsonValue& record : table["records"].toArray()) {
        QStringList values;
        for (const QJsonValue& v : record.toArray()) {
            if (v.isNull()) {
                values << "null";
            } else if (v.isDouble()) {
                values << QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
            } else {
                values << "'" + v.toString() + "'";
            }
        }
        records << values.join(" | ");
    }
    return records;
}

QString readerError(const QJsonObject& table) {
    return table.contains("error") ? "dbfread: " + table["error"].toString() : QString();
}

}  // namespace

class TestDbfWriting : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString folder() const { return m_dir.path() + "/"; }

    // Runs the statements on a new table `table` in the test folder, after removing old files.
    int write(const QString& table, const QStringList& statements) {
        for (const char* suffix : {".dbf", ".cpg"}) QFile::remove(folder() + table + suffix);
        return WriterTest::runStatements(dbaseCreateConnectionString(folder()), statements, {},
                                         m_locale)
            .code;
    }

    QLocale m_locale = QLocale::c();  // how the values write numbers

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString missing = WriterTest::peerReadersMissing();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
    }
    void init() { m_locale = QLocale::c(); }

    void fieldsAndValues_data() {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("records");
        const QString create =
            "CREATE TABLE t([Name] TEXT ,[Amount] REAL ,[Count] INTEGER ,[Other])";
        const QString insert = "INSERT INTO t ([Name],[Amount],[Count],[Other]) VALUES ";
        QTest::newRow("numeric fields as wide as their values, text as long as the longest")
            << QStringList{create, insert + "('Smith','12.5','3','7')",
                           insert + "('Jo','-0.25','120','x')"}
            << QStringList{"Name:C:5:0", "Amount:N:5:2", "Count:N:3:0", "Other:C:1:0"}
            << QStringList{"'Smith' | 12.5 | 3 | '7'", "'Jo' | -0.25 | 120 | 'x'"};
        QTest::newRow("empty values: blank numbers, empty texts")
            << QStringList{create, insert + "('','','','')", insert + "('a','1','2','b')"}
            << QStringList{"Name:C:1:0", "Amount:N:1:0", "Count:N:1:0", "Other:C:1:0"}
            << QStringList{"'' | null | null | ''", "'a' | 1 | 2 | 'b'"};
        QTest::newRow("small, large and exponent numbers")
            << QStringList{create, insert + "('a','1e-5','-2147483648','')",
                           insert + "('b','123456789012.5','1E3','')"}
            << QStringList{"Name:C:1:0", "Amount:N:18:5", "Count:N:11:0", "Other:C:1:0"}
            << QStringList{"'a' | 1e-05 | -2147483648 | ''", "'b' | 123456789012.5 | 1000 | ''"};
        QTest::newRow("a number column holding a text becomes a character field")
            << QStringList{create, insert + "('a','1.5','3','')", insert + "('b','','n/a','')"}
            << QStringList{"Name:C:1:0", "Amount:N:3:1", "Count:C:3:0", "Other:C:1:0"}
            << QStringList{"'a' | 1.5 | '3' | ''", "'b' | null | 'n/a' | ''"};
        QTest::newRow("quotes and commas in values, blanks and signs in names")
            << QStringList{"CREATE TABLE t([First name] TEXT ,[Sales,totals] REAL )",
                           "INSERT INTO t ([First name],[Sales,totals]) VALUES ('It''s, "
                           "\"x\"  ','  7')"}
            << QStringList{"First_name:C:11:0", "Salestotal:N:1:0"}
            << QStringList{"'It's, \"x\"' | 7"};
        QTest::newRow("long names cut to ten bytes and made unique")
            << QStringList{"CREATE TABLE t([Description1] TEXT ,[Description2] TEXT ,"
                           "[Descript_1] TEXT ,[name] TEXT ,[NAME] TEXT )"}
            << QStringList{"Descriptio:C:1:0", "Descript_1:C:1:0", "Descript_2:C:1:0",
                           "name:C:1:0", "NAME_1:C:1:0"}
            << QStringList{};
        QTest::newRow("cp1252 letters")
            << QStringList{"CREATE TABLE t([Größe] TEXT )",
                           "INSERT INTO t ([Größe]) VALUES ('Café € „quoted“')"}
            << QStringList{"Größe:C:15:0"} << QStringList{"'Café € „quoted“'"};
    }
    void fieldsAndValues() {
        QFETCH(QStringList, statements);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, records);
        QCOMPARE(write("t", statements), NativeError::None);
        // cp1252 with its language-driver byte: dbfread decodes it without being told.
        const QJsonObject table = WriterTest::readWithDbfread(folder() + "t.dbf");
        QVERIFY2(!table.contains("error"), qPrintable(readerError(table)));
        QCOMPARE(table["language_driver"].toInt(), 0x03);
        QCOMPARE(table["encoding"].toString(), QString("cp1252"));
        QVERIFY(!QFile::exists(folder() + "t.cpg"));
        QCOMPARE(fieldsOf(table), fields);
        QCOMPARE(recordsOf(table), records);
    }

    void utf8WhereCp1252DoesNotReach_data() {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("a value of another script")
            << QStringList{"CREATE TABLE t([Name] TEXT )",
                           "INSERT INTO t ([Name]) VALUES ('日本 😀')"}
            << QStringList{"Name:C:11:0"} << QStringList{"'日本 😀'"};
        QTest::newRow("names cut to ten UTF-8 bytes between characters")
            << QStringList{"CREATE TABLE t([Доходы] TEXT ,[Ab日本語] TEXT ,[Доход] TEXT )"}
            << QStringList{"Доход:C:1:0", "Ab日本:C:1:0", "Дохо_1:C:1:0"} << QStringList{};
    }
    void utf8WhereCp1252DoesNotReach() {
        QFETCH(QStringList, statements);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, records);
        QCOMPARE(write("t", statements), NativeError::None);
        QFile cpg(folder() + "t.cpg");
        QVERIFY(cpg.open(QIODevice::ReadOnly));
        QCOMPARE(cpg.readAll(), QByteArray("UTF-8"));
        const QJsonObject table = WriterTest::readWithDbfread(folder() + "t.dbf", "utf-8");
        QVERIFY2(!table.contains("error"), qPrintable(readerError(table)));
        QCOMPARE(table["language_driver"].toInt(), 0);
        QCOMPARE(fieldsOf(table), fields);
        QCOMPARE(recordsOf(table), records);
    }

    void numbersAreWrittenWithAPointInEveryLocale() {
        m_locale = QLocale(QLocale::German, QLocale::Germany);
        QCOMPARE(write("de", {"CREATE TABLE de([Amount] REAL ,[Raw] REAL )",
                              "INSERT INTO de ([Amount],[Raw]) VALUES ('12,5','1')",
                              "INSERT INTO de ([Amount],[Raw]) VALUES ('-3','12.5')"}),
                 NativeError::None);
        const QJsonObject table = WriterTest::readWithDbfread(folder() + "de.dbf");
        QVERIFY2(!table.contains("error"), qPrintable(readerError(table)));
        // "12.5" is no number in a German locale: that column keeps the texts as given.
        QCOMPARE(fieldsOf(table), (QStringList{"Amount:N:4:1", "Raw:C:4:0"}));
        QCOMPARE(recordsOf(table), (QStringList{"12.5 | '1'", "-3 | '12.5'"}));
        QFile file(folder() + "de.dbf");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("12.51   ") && bytes.contains("-3.012.5"));
    }

    void textLengths_data() {
        QTest::addColumn<QStringList>("values");  // inserted in this order
        QTest::addColumn<int>("refused");         // index of the refused value, -1 none
        QTest::newRow("254 bytes fit") << QStringList{QString(254, 'x')} << -1;
        QTest::newRow("255 bytes do not") << QStringList{"a", QString(255, 'x'), "b"} << 1;
        QTest::newRow("254 cp1252 letters fit") << QStringList{QString(254, QChar(0xE9))} << -1;
        QTest::newRow("127 letters of another script fit in UTF-8")
            << QStringList{QString(127, QChar(0x0434))} << -1;
        QTest::newRow("128 letters of another script do not")
            << QStringList{QString(128, QChar(0x0434))} << 0;
        QTest::newRow("a value that would turn an earlier one too long for UTF-8")
            << QStringList{QString(200, QChar(0xE9)), QString::fromUtf8("日本"), "c"} << 1;
        QTest::newRow("a NUL character") << QStringList{QString("a") + QChar(0) + "b"} << 0;
    }
    void textLengths() {
        QFETCH(QStringList, values);
        QFETCH(int, refused);
        QFile::remove(folder() + "len.dbf");
        DbConnection connection;
        connection.setConnectionString(dbaseCreateConnectionString(folder()));
        QVERIFY(connection.open());
        QVERIFY(connection.execute("CREATE TABLE len([Text] TEXT )"));
        for (int i = 0; i < values.size(); ++i) {
            const bool done =
                connection.execute("INSERT INTO len ([Text]) VALUES ('" + values[i] + "')");
            QCOMPARE(done, i != refused);
            if (!done) QCOMPARE(connection.nativeError(), NativeError::ValueDoesNotFit);
        }
        QVERIFY(connection.close());
        // The values that were taken are all there, uncut.
        QStringList kept = values;
        if (refused >= 0) kept.removeAt(refused);
        const bool utf8 = QFile::exists(folder() + "len.cpg");
        const QJsonObject table =
            WriterTest::readWithDbfread(folder() + "len.dbf", utf8 ? "utf-8" : "");
        QVERIFY2(!table.contains("error"), qPrintable(readerError(table)));
        QStringList expected;
        for (const QString& value : kept) expected << "'" + value + "'";
        QCOMPARE(recordsOf(table), expected);
    }

    void refusedTables_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("code");
        QTest::newRow("a column name of signs only")
            << "CREATE TABLE bad([Name] TEXT ,[%%] REAL )" << NativeError::NameNotUsable;
        QTest::newRow("an empty column name")
            << "CREATE TABLE bad([] TEXT )" << NativeError::NameNotUsable;
        QTest::newRow("a table name with a slash")
            << "CREATE TABLE a/b([x] TEXT )" << NativeError::NameNotUsable;
        QTest::newRow("an unknown type")
            << "CREATE TABLE bad([x] MEMO )" << NativeError::UnsupportedStatement;
        QString wide;
        for (int c = 0; c < 256; ++c) wide += QString("%1[C%2] TEXT ").arg(c ? "," : "").arg(c);
        QTest::newRow("256 columns")
            << "CREATE TABLE bad(" + wide + ")" << NativeError::TooManyColumns;
    }
    void refusedTables() {
        QFETCH(QString, statement);
        QFETCH(int, code);
        const QStringList before = WriterTest::folderEntries(folder());
        QCOMPARE(write("bad", {statement}), code);
        // A refused CREATE TABLE leaves no file behind.
        QCOMPARE(WriterTest::folderEntries(folder()), before);
    }

    void limits_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("65,535 rows") << 2 << 65535;
        QTest::newRow("255 columns") << 255 << 3;
    }
    void limits() {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QStringList definitions, names;
        for (int c = 0; c < columns; ++c) {
            definitions << QString("[Column %1] %2").arg(c + 1).arg(c % 2 ? "TEXT " : "INTEGER ");
            names << QString("[Column %1]").arg(c + 1);
        }
        QStringList statements{"CREATE TABLE big(" + definitions.join(",") + ")"};
        const QString head = "INSERT INTO big (" + names.join(",") + ") VALUES (";
        for (int r = 0; r < rows; ++r) {
            QStringList values;
            for (int c = 0; c < columns; ++c) values << QString("'%1'").arg(r * 1000 + c);
            statements << head + values.join(",") + ")";
        }
        QCOMPARE(write("big", statements), NativeError::None);
        const QJsonObject table = WriterTest::readWithDbfread(folder() + "big.dbf", "", true);
        QVERIFY2(!table.contains("error"), qPrintable(readerError(table)));
        QCOMPARE(table["count"].toInt(), rows);
        const QJsonArray fields = table["fields"].toArray();
        QCOMPARE(fields.size(), columns);
        // "Column 1" .. "Column 255" become "Column_1" .. "Column_255": ten bytes at most.
        QCOMPARE(fields[0]["name"].toString(), QString("Column_1"));
        QSet<QString> unique;
        for (const QJsonValue& f : fields) unique.insert(f["name"].toString().toUpper());
        QCOMPARE(unique.size(), columns);
        const QJsonArray last = table["records"].toArray().last().toArray();
        QCOMPARE(last[0].toInt(), (rows - 1) * 1000);
        QCOMPARE(last[columns - 1].toVariant().toString(),
                 QString::number((rows - 1) * 1000 + columns - 1));
    }

    void ourReaderReadsWhatWasWritten() {
        QCOMPARE(write("ours", {"CREATE TABLE ours([Name] TEXT ,[Amount] REAL ,[Count] INTEGER )",
                                "INSERT INTO ours ([Name],[Amount],[Count]) VALUES "
                                "('O''Brien 日本','12.5','3')",
                                "INSERT INTO ours ([Name],[Amount],[Count]) VALUES "
                                "('','-1','40')"}),
                 NativeError::None);
        DbConnection connection;
        connection.setConnectionString(dbaseSourceConnectionString(folder() + "ours.dbf", false));
        QStringList tables;
        QVERIFY(connection.listTableNames(tables));
        QCOMPARE(tables, QStringList{"ours"});
        QVERIFY(connection.open());
        DbDataSet dataSet(connection);
        dataSet.setQuery("SELECT * FROM \"ours\"");
        QVERIFY(dataSet.open());
        QCOMPARE(dataSet.recordCount(), 2);
        QCOMPARE(dataSet.fieldName(0), QString("Name"));
        QCOMPARE(dataSet.fieldType(0), FieldType::String);
        QCOMPARE(dataSet.fieldType(1), FieldType::Float);
        QCOMPARE(dataSet.fieldType(2), FieldType::Integer);
        QCOMPARE(dataSet.editText(0), QString("O'Brien 日本"));
        QCOMPARE(dataSet.editText(1), QString("12.5"));
        QCOMPARE(dataSet.editText(2), QString("3"));
        dataSet.next();
        QCOMPARE(dataSet.editText(0), QString());
        QCOMPARE(dataSet.editText(1), QString("-1"));
    }

    // shapelib cuts a value wider than its field and tells only through its return value.
    void aValueWiderThanItsFieldIsNeverCutSilently_data() {
        QTest::addColumn<char>("type");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("a number") << 'N' << QByteArray("123");
        QTest::newRow("a text") << 'C' << QByteArray("abc");
    }
    void aValueWiderThanItsFieldIsNeverCutSilently() {
        QFETCH(char, type);
        QFETCH(QByteArray, value);
        QBuffer file;
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray codePage;
        const int code = writeDbfTable(
            file, DbfEncoding::Cp1252, {{"F", type, 2, 0}}, 1,
            [&](qint64, int) { return QByteArrayView(value); }, QDate(2024, 1, 31), codePage);
        QCOMPARE(code, NativeError::ValueDoesNotFit);
    }

    void theCodePageFileBelongsToTheTable() {
        // An old .cpg of the same name would make readers decode the new table wrongly.
        QFile stale(folder() + "cpg.cpg");
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("1251");
        stale.close();
        QCOMPARE(WriterTest::runStatements(
                     dbaseCreateConnectionString(folder()),
                     {"CREATE TABLE cpg([a] TEXT )", "INSERT INTO cpg ([a]) VALUES ('é')"})
                     .code,
                 NativeError::None);
        QVERIFY(!QFile::exists(folder() + "cpg.cpg"));
        QVERIFY(QFile::remove(folder() + "cpg.dbf"));

        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("1251");
        stale.close();
        QCOMPARE(WriterTest::runStatements(
                     dbaseCreateConnectionString(folder()),
                     {"CREATE TABLE cpg([a] TEXT )", "INSERT INTO cpg ([a]) VALUES ('日')"})
                     .code,
                 NativeError::None);
        QVERIFY(stale.open(QIODevice::ReadOnly));
        QCOMPARE(stale.readAll(), QByteArray("UTF-8"));
    }
};

QTEST_GUILESS_MAIN(TestDbfWriting)
#include "tst_dbfwriting.moc"
