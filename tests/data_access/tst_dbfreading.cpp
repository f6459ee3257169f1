// dBase tables as the data access layer reads them: the public tables against what dbfread sees,
// code pages, and the damaged or unusual tables that must neither crash nor misread.
#include <QDate>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "data/access/CellText.h"
#include "data/access/DbfReader.h"
#include "data/access/FieldType.h"
#include "data/access/NativeError.h"
#include "support/DbfBuilder.h"
#include "support/TestFiles.h"

namespace {

const CellTextFormat kFormat{QLocale::c()};

// The code a dBase field gets, from its type letter, decimals and the values dbfread saw.
std::uint8_t expectedType(const QJsonObject& field, const QJsonArray& records, int column) {
    const QString type = field["type"].toString();
    if (type == "C") return fieldTypeCode(FieldType::String);
    if (type == "F") return fieldTypeCode(FieldType::Float);
    if (type == "D") return fieldTypeCode(FieldType::Date);
    if (type == "L") return fieldTypeCode(FieldType::Boolean);
    if (type == "N") {
        if (field["decimal_count"].toInt() > 0) return fieldTypeCode(FieldType::Float);
        for (const QJsonValue& record : records) {
            const double v = record.toArray().at(column).toDouble();
            if (std::abs(v) > 2147483647.0) return fieldTypeCode(FieldType::Float);
        }
        return fieldTypeCode(FieldType::Integer);
    }
    return fieldTypeCode(FieldType::String);  // memo and binary types: empty text
}

struct Opened {
    int code = NativeError::None;
    SheetTable table;
};

Opened readDbf(const QString& path) {
    Opened result;
    DbfReader reader;
    result.code = reader.open(path);
    if (result.code != NativeError::None) return result;
    const QStringList names = reader.tableNames();
    if (names.size() != 1) {
        result.code = 1;
        return result;
    }
    result.code = reader.readTable(names.first(), kFormat, result.table);
    return result;
}

}  // namespace

class TestDbfReading : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString pathFor(const QString& name) const { return m_dir.filePath(name); }
    Opened readBuilt(const DbfBuilder& builder, const QString& name = "t.dbf") {
        const QString path = pathFor(name);
        if (!builder.write(path)) qFatal("cannot write %s", qPrintable(path));
        return readDbf(path);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void publicTablesMatchTheirTruth_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : TestFiles::publicFilesWithSuffix(".dbf")) {
            QTest::newRow(qPrintable(name)) << name;
        }
    }
    void publicTablesMatchTheirTruth() {
        QFETCH(QString, name);
        const QJsonObject truth = TestFiles::truthOf(name);
        QVERIFY2(!truth.isEmpty(), "truth file missing");
        Opened opened = readDbf(TestFiles::publicFile(name));
        QCOMPARE(opened.code, NativeError::None);
        SheetTable& table = opened.table;

        const QJsonArray fields = truth["fields"].toArray();
        const QJsonArray records = truth["first_records"].toArray();
        QCOMPARE(table.columnCount(), fields.size());
        for (int c = 0; c < fields.size(); ++c) {
            const QJsonObject field = fields[c].toObject();
            QCOMPARE(table.headings[c], field["name"].toString());
            QCOMPARE(int(table.fieldTypes[c]), int(expectedType(field, records, c)));
        }

        // invalid_value.dbf: dbfread stops at the date "NotAYear" and yields nothing. We load
        // both active records and show the impossible date as an empty cell; the deleted record
        // is skipped as everywhere.
        if (truth.contains("error")) {
            QCOMPARE(table.rowCount, truth["record_flags"]["active"].toInt());
            return;
        }
        QCOMPARE(table.rowCount, truth["record_count"].toInt());

        for (int r = 0; r < records.size(); ++r) {
            const QJsonArray record = records[r].toArray();
            for (int c = 0; c < record.size(); ++c) {
                const QJsonValue expected = record[c];
                const QString type = fields[c].toObject()["type"].toString();
                QString text = expected.toString();
                if (type == "M") {
                    text.clear();  // memo texts live in a second file: shown empty
                } else if (expected.isBool()) {
                    text = CellTextFormat::booleanText(expected.toBool());
                } else if (expected.isDouble()) {
                    text = kFormat.numberText(expected.toDouble(), table.fieldTypes[c]);
                } else if (type == "D" && !expected.isNull()) {
                    text = kFormat.dateText(
                        dayZero().daysTo(QDate::fromString(expected.toString(), Qt::ISODate)));
                }
                QVERIFY2(table.text(r, c) == text,
                         qPrintable(QString("%1 row %2 column %3: %4, dbfread %5")
                                        .arg(name)
                                        .arg(r)
                                        .arg(c)
                                        .arg(table.text(r, c), text)));
            }
        }
    }

    void codePages_data() {
        QTest::addColumn<quint8>("languageDriver");
        QTest::addColumn<QByteArray>("cpg");  // empty: no .cpg file
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no hint: cp1252") << quint8(0) << QByteArray() << QByteArray("caf\xE9")
                                         << QString::fromUtf8("café");
        QTest::newRow("driver 0xC9: cp1251")
            << quint8(0xC9) << QByteArray() << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2")
            << QString::fromUtf8("Привет");
        QTest::newRow("driver 0x65: cp866") << quint8(0x65) << QByteArray()
                                            << QByteArray("\x8F\xE0\xA8") << QString::fromUtf8("При");
        QTest::newRow(".cpg UTF-8") << quint8(0) << QByteArray("UTF-8\n")
                                    << QByteArray("\xE4\xB8\xAD\xE6\x96\x87")
                                    << QString::fromUtf8("中文");
        QTest::newRow(".cpg 1251 wins over the driver byte")
            << quint8(0x03) << QByteArray("1251") << QByteArray("\xC4\xE0") << QString::fromUtf8("Да");
        QTest::newRow(".cpg ANSI 1250") << quint8(0) << QByteArray("ANSI 1250")
                                        << QByteArray("\x9A") << QString::fromUtf8("š");
        QTest::newRow("unknown .cpg: the driver byte") << quint8(0xC9) << QByteArray("gibberish")
                                                       << QByteArray("\xC4") << QString::fromUtf8("Д");
    }
    void codePages() {
        QFETCH(quint8, languageDriver);
        QFETCH(QByteArray, cpg);
        QFETCH(QByteArray, raw);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        DbfBuilder builder;
        builder.languageDriver = languageDriver;
        builder.fields = {{"NAME", 'C', 20, 0}};
        builder.records = {{raw}};
        const QString path = dir.filePath("coded.dbf");
        QVERIFY(builder.write(path));
        if (!cpg.isEmpty()) {
            QFile file(dir.filePath("coded.cpg"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(cpg);
        }
        Opened opened = readDbf(path);
        QCOMPARE(opened.code, NativeError::None);
        QCOMPARE(opened.table.text(0, 0), expected);
    }

    void utf8TablesThatNameNoCodePage() {
        DbfBuilder builder;
        builder.languageDriver = 0xF0;  // names no code page
        builder.fields = {{"Größe", 'C', 12, 0}, {"名前", 'C', 12, 0}};
        builder.records = {{"groß", "中文"}, {"caf\xE9", "ok"}};
        Opened opened = readBuilt(builder, "utf8.dbf");
        QCOMPARE(opened.code, NativeError::None);
        QCOMPARE(opened.table.headings, (std::vector<QString>{"Größe", "名前"}));
        QCOMPARE(opened.table.text(0, 0), QString("groß"));
        QCOMPARE(opened.table.text(0, 1), QString("中文"));
        // Each text on its own: one that is no valid UTF-8 reads as cp1252.
        QCOMPARE(opened.table.text(1, 0), QString("café"));
    }

    void numberColumnTypes_data() {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QByteArrayList>("values");
        QTest::addColumn<int>("expectedType");
        QTest::addColumn<QString>("lastText");
        QTest::newRow("small whole numbers") << 0 << QByteArrayList{"1", "-2147483648", "2147483647"}
                                             << int(FieldType::Integer) << "2147483647";
        // Beyond 32 bits an integer read would overflow: the column becomes a float column and
        // the number keeps every digit.
        QTest::newRow("beyond 32 bits") << 0 << QByteArrayList{"1", "5000000000"}
                                        << int(FieldType::Float) << "5000000000";
        QTest::newRow("decimals") << 2 << QByteArrayList{"1.50", "2.25"} << int(FieldType::Float)
                                  << "2.25";
        QTest::newRow("blank and overflow stars are empty") << 0 << QByteArrayList{"", "*****", "7"}
                                                            << int(FieldType::Integer) << "7";
    }
    void numberColumnTypes() {
        QFETCH(int, decimals);
        QFETCH(QByteArrayList, values);
        QFETCH(int, expectedType);
        QFETCH(QString, lastText);
        DbfBuilder builder;
        builder.fields = {{"AMOUNT", 'N', 12, decimals}};
        for (const QByteArray& value : values) builder.records.push_back({value});
        Opened opened = readBuilt(builder);
        QCOMPARE(opened.code, NativeError::None);
        QCOMPARE(int(opened.table.fieldTypes[0]), expectedType);
        QCOMPARE(opened.table.rowCount, int(values.size()));
        QCOMPARE(opened.table.text(opened.table.rowCount - 1, 0), lastText);
        if (values.first().isEmpty()) {
            QCOMPARE(opened.table.text(0, 0), QString());
            QCOMPARE(opened.table.text(1, 0), QString());
        }
    }

    void otherFieldTypesGiveEmptyText() {
        DbfBuilder builder;
        builder.version = 0x30;
        builder.fields = {{"ID", 'I', 4, 0}, {"PRICE", 'Y', 8, 0}, {"STAMP", 'T', 8, 0},
                          {"NOTE", 'M', 10, 0}, {"OK", 'L', 1, 0}};
        builder.records = {{QByteArray("\x01\x02\x03\x04", 4), QByteArray(8, '\xFF'),
                            QByteArray(8, '\x7F'), "0000000001", "?"}};
        Opened opened = readBuilt(builder);
        QCOMPARE(opened.code, NativeError::None);
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(int(opened.table.fieldTypes[c]), int(FieldType::String));
            QCOMPARE(opened.table.text(0, c), QString());
        }
        QCOMPARE(int(opened.table.fieldTypes[4]), int(FieldType::Boolean));
        QCOMPARE(opened.table.text(0, 4), QString());  // "?" is an unknown truth value
    }

    void readsTheFilesOpenOpened() {
        // The table is opened once, by open(): removed meanwhile, it is still read. Once read it
        // is closed; another read opens it anew.
        QTemporaryDir dir;
        const QStringList names = {"dbase_8b.dbf", "dbase_8b.dbt"};
        const auto copy = [&] {
            for (const QString& name : names) {
                if (!QFile::copy(TestFiles::publicFile(name), dir.filePath(name))) return false;
            }
            return true;
        };
        QVERIFY(copy());
        DbfReader reader;
        QCOMPARE(reader.open(dir.filePath("dbase_8b.dbf")), NativeError::None);
        for (const QString& name : names) QVERIFY(QFile::remove(dir.filePath(name)));
        SheetTable table;
        QCOMPARE(reader.readTable("dbase_8b", kFormat, table), NativeError::None);
        QCOMPARE(table.text(0, 0), QString("One"));
        QVERIFY(copy());
        QCOMPARE(reader.readTable("dbase_8b", kFormat, table), NativeError::None);
        QCOMPARE(table.rowCount, 10);
    }

    void recordsTheFileDoesNotHold() {
        DbfBuilder builder;
        builder.fields = {{"NAME", 'C', 6, 0}};
        builder.records = {{"one"}, {"two"}, {"three"}, {"four"}};
        builder.deleted = {false, true, false, false};
        builder.headerRecordCount = 1000;  // the header claims far more than the file holds
        builder.endOfFileMarker = false;
        QByteArray bytes = builder.bytes();
        bytes.chop(3);  // the last record is cut short
        QFile file(pathFor("truncated.dbf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        Opened opened = readDbf(file.fileName());
        QCOMPARE(opened.code, NativeError::None);
        QCOMPARE(opened.table.rowCount, 2);  // "two" is deleted, "four" incomplete
        QCOMPARE(opened.table.text(0, 0), QString("one"));
        QCOMPARE(opened.table.text(1, 0), QString("three"));
    }

    void endOfFileMarkerEndsTheRecords() {
        DbfBuilder builder;
        builder.fields = {{"NAME", 'C', 6, 0}};
        builder.records = {{"one"}, {"two"}};
        builder.headerRecordCount = 3;
        QByteArray bytes = builder.bytes();  // ends in 0x1A where a third record would start
        bytes.append(QByteArray(6, 'x'));
        QFile file(pathFor("marker.dbf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const Opened opened = readDbf(file.fileName());
        QCOMPARE(opened.code, NativeError::None);
        QCOMPARE(opened.table.rowCount, 2);
    }

    void damagedTablesAreUnreadable_data() {
        QTest::addColumn<QByteArray>("bytes");
        DbfBuilder good;
        good.fields = {{"NAME", 'C', 6, 0}};
        good.records = {{"one"}};
        const QByteArray valid = good.bytes();
        QTest::newRow("ten bytes") << valid.left(10);
        QTest::newRow("header only, no fields") << valid.left(32);
        QByteArray shortHeader = valid;
        shortHeader[8] = 40;  // header length too small to hold one field
        shortHeader[9] = 0;
        QTest::newRow("header length too small") << shortHeader;
        QByteArray narrowRecord = valid;
        narrowRecord[10] = 3;  // fields wider than the record
        narrowRecord[11] = 0;
        QTest::newRow("fields wider than the record") << narrowRecord;
        QByteArray hugeHeader = valid;
        hugeHeader[8] = char(0xFF);
        hugeHeader[9] = char(0xFF);
        QTest::newRow("header longer than the file") << hugeHeader;
        QTest::newRow("text file") << QByteArray("Name;Amount\nSmith;12.5\n");
    }
    void damagedTablesAreUnreadable() {
        QFETCH(QByteArray, bytes);
        QFile file(pathFor("damaged.dbf"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        const Opened opened = readDbf(file.fileName());
        QCOMPARE(opened.code, NativeError::Unreadable);
    }
};

QTEST_GUILESS_MAIN(TestDbfReading)
#include "tst_dbfreading.moc"
