// dBase tables as the data access layer reads them: the public tables against what dbfread sees,
// code pages, memo files, Visual FoxPro's binary fields, and the damaged or unusual tables that
// must neither crash nor misread.
#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <map>

#include "data/access/CellText.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"
#include "data/access/FieldType.h"
#include "data/access/NativeError.h"
#include "data/access/dbf/DbfReader.h"
#include "support/DbfBuilder.h"
#include "support/TestFiles.h"
#include "writers/WriterTestSupport.h"

namespace {

const CellTextFormat kFormat{QLocale::c()};
constexpr std::uint8_t kCanBeNull = 0x02;

// The code a dBase field gets, from its type letter, decimals and the values dbfread saw.
FieldType expectedType(const QJsonObject& field, const QJsonArray& records, int column) {
    const QString type = field["type"].toString();
    if (type == "C" || type == "V") return FieldType::String;
    if (type == "F" || type == "Y" || type == "B") return FieldType::Float;
    if (type == "I") return FieldType::Integer;
    if (type == "D") return FieldType::Date;
    if (type == "T") return FieldType::DateTime;
    if (type == "L") return FieldType::Boolean;
    if (type == "M") return FieldType::Memo;
    if (type == "N") {
        // The truth files name it decimal_count, read_dbf.py decimals.
        if (field["decimal_count"].toInt() > 0 || field["decimals"].toInt() > 0) {
            return FieldType::Float;
        }
        for (const QJsonValue& record : records) {
            const double v = record.toArray().at(column).toDouble();
            if (std::abs(v) > 2147483647.0) return FieldType::Float;
        }
        return FieldType::Integer;
    }
    return FieldType::String;  // general, picture and other types: empty text
}

// The text a value dbfread read shows as, in a column of type `columnType`.
QString textOf(const QJsonValue& value, const QString& type, FieldType columnType) {
    if (value.isNull()) return {};
    if (value.isBool()) return CellTextFormat::booleanText(value.toBool());
    if (value.isDouble()) return kFormat.numberText(value.toDouble(), columnType);
    const QString text = value.toString();
    if (type == "Y") return kFormat.numberText(text.toDouble(), columnType);  // a decimal
    if (type == "D") {
        return kFormat.dateText(dayZero().daysTo(QDate::fromString(text, Qt::ISODate)));
    }
    if (type == "T") {
        const QDateTime moment =
            QDateTime::fromString(QString(text).replace(' ', 'T'), Qt::ISODateWithMs);
        return kFormat.dateValueText(
            dayZero().daysTo(moment.date()) + moment.time().msecsSinceStartOfDay() / 86400000.0,
            columnType);
    }
    return text;
}

// Compares the table with the fields and records dbfread read (its _NullFlags field is no
// column); `own` gives the cells whose text dbfread cannot know: nulls, varying-length texts.
// Returns the first difference.
using Cell = std::pair<int, int>;
QString differenceFromDbfread(SheetTable& table, const QJsonArray& fields,
                              const QJsonArray& records, const std::map<Cell, QString>& own = {}) {
    int c = 0;
    for (int f = 0; f < fields.size(); ++f) {
        const QJsonObject field = fields[f].toObject();
        const QString type = field["type"].toString();
        if (type == "0") continue;
        if (c >= table.columnCount()) return QString("no column for %1").arg(f);
        if (table.headings[c] != field["name"].toString()) {
            return QString("column %1 is %2, dbfread %3")
                .arg(c)
                .arg(table.headings[c], field["name"].toString());
        }
        if (table.fieldTypes[c] != expectedType(field, records, f)) {
            return QString("column %1 has type %2").arg(c).arg(fieldTypeCode(table.fieldTypes[c]));
        }
        for (int r = 0; r < records.size(); ++r) {
            const auto mine = own.find({r, c});
            const QString expected =
                mine != own.end() ? mine->second
                                  : textOf(records[r].toArray()[f], type, table.fieldTypes[c]);
            if (table.text(r, c) != expected) {
                return QString("row %1 column %2: %3, expected %4")
                    .arg(r)
                    .arg(c)
                    .arg(table.text(r, c), expected);
            }
        }
        ++c;
    }
    return c == table.columnCount() ? QString() : QString("%1 columns").arg(table.columnCount());
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

QByteArray littleEndian(qint64 value, int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = char((quint64(value) >> (8 * i)) & 0xFF);
    return bytes;
}

// What a memo field holds for a block: ten ASCII digits, or four bytes in Visual FoxPro.
QByteArray memoPointer(std::uint32_t block, int width) {
    if (width == 4) return littleEndian(block, 4);
    return block == 0 ? QByteArray() : QByteArray::number(block).rightJustified(width);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
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
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QString reason;
        QVERIFY2(TestFiles::systemPythonHas("dbfread", reason), qPrintable(reason));
    }

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
        const QString difference =
            differenceFromDbfread(table, fields, records, TestFiles::truthCorrections(name));
        QVERIFY2(difference.isEmpty(), qPrintable(name + ": " + difference));
        // invalid_value.dbf: dbfread stops at the date "NotAYear" and yields nothing. We load
        // both active records and show the impossible date as an empty cell; the deleted record
        // is skipped as everywhere.
        QCOMPARE(table.rowCount, truth.contains("error") ? truth["record_flags"]["active"].toInt()
                                                         : truth["record_count"].toInt());
    }

    void codePages_data() {
        QTest::addColumn<quint8>("languageDriver");
        QTest::addColumn<QByteArray>("cpg");  // empty: no .cpg file
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no hint: cp1252")
            << quint8(0) << QByteArray() << QByteArray("caf\xE9") << QString::fromUtf8("café");
        QTest::newRow("driver 0xC9: cp1251")
            << quint8(0xC9) << QByteArray() << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2")
            << QString::fromUtf8("Привет");
        QTest::newRow("driver 0x65: cp866")
            << quint8(0x65) << QByteArray() << QByteArray("\x8F\xE0\xA8")
            << QString::fromUtf8("При");
        QTest::newRow(".cpg UTF-8")
            << quint8(0) << QByteArray("UTF-8\n") << QByteArray("\xE4\xB8\xAD\xE6\x96\x87")
            << QString::fromUtf8("中文");
        QTest::newRow(".cpg 1251 wins over the driver byte")
            << quint8(0x03) << QByteArray("1251") << QByteArray("\xC4\xE0")
            << QString::fromUtf8("Да");
        QTest::newRow(".cpg ANSI 1250")
            << quint8(0) << QByteArray("ANSI 1250") << QByteArray("\x9A") << QString::fromUtf8("š");
        QTest::newRow("unknown .cpg: the driver byte")
            << quint8(0xC9) << QByteArray("gibberish") << QByteArray("\xC4")
            << QString::fromUtf8("Д");
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

    void numberColumnTypes_data() {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QByteArrayList>("values");
        QTest::addColumn<int>("expectedType");
        QTest::addColumn<QString>("lastText");
        QTest::newRow("small whole numbers")
            << 0 << QByteArrayList{"1", "-2147483648", "2147483647"} << int(FieldType::Integer)
            << "2147483647";
        // Beyond 32 bits an integer read would overflow: the column becomes a float column and
        // the number keeps every digit.
        QTest::newRow("beyond 32 bits")
            << 0 << QByteArrayList{"1", "5000000000"} << int(FieldType::Float) << "5000000000";
        QTest::newRow("decimals") << 2 << QByteArrayList{"1.50", "2.25"} << int(FieldType::Float)
                                  << "2.25";
        QTest::newRow("blank and overflow stars are empty")
            << 0 << QByteArrayList{"", "*****", "7"} << int(FieldType::Integer) << "7";
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

    void visualFoxProFieldsMatchDbfread() {
        DbfBuilder builder;
        builder.version = 0x30;
        builder.languageDriver = 0x03;
        // The null flags: NOTE's length bit 0 and null bit 1, then the null bits of PRICE 2,
        // STAMP 3, AMOUNT 4, NAME 5 and DAY 6.
        builder.fields = {{"ID", 'I', 4},
                          {"NOTE", 'V', 10, 0, kCanBeNull},
                          {"PRICE", 'Y', 8, 4, kCanBeNull},
                          {"RATE", 'B', 8, 2},
                          {"STAMP", 'T', 8, 0, kCanBeNull},
                          {"AMOUNT", 'N', 8, 2, kCanBeNull},
                          {"NAME", 'C', 8, 0, kCanBeNull},
                          {"DAY", 'D', 8, 0, kCanBeNull},
                          {"_NullFlags", '0', 1, 0, 0x05}};
        const auto stamp = [](QDate date, int milliseconds) {
            return littleEndian(date.toJulianDay(), 4) + littleEndian(milliseconds, 4);
        };
        const auto number = [](double value) {
            return littleEndian(std::bit_cast<qint64>(value), 8);
        };
        builder.records = {
            {littleEndian(1, 4), QByteArray("abc\0\0\0\0\0\0\x03", 10), littleEndian(185000, 8),
             number(2.5), stamp(QDate(2024, 2, 29), 49530250), " 12.50", "Smith", "20240229",
             QByteArray(1, '\x01')},
            {littleEndian(-7, 4), "full width", littleEndian(-1, 8), number(-1e300),
             stamp(QDate(1899, 12, 30), 0), "-3.25", "Jones", "19991231", QByteArray(1, '\x24')},
            {littleEndian(2147483647, 4), "zzz", littleEndian(123456789, 8), number(0),
             stamp(QDate(2000, 1, 1), 1000), "7", "Lee", "20000101", QByteArray(1, '\x5A')}};
        const QString path = pathFor("foxpro.dbf");
        QVERIFY(builder.write(path));
        // dbfread wants a memo file for a table with B fields, though in Visual FoxPro they
        // hold numbers.
        std::vector<std::uint32_t> blocks;
        QVERIFY(writeFile(pathFor("foxpro.fpt"),
                          DbfMemoBuilder{DbfMemoBuilder::Layout::FoxPro, 64}.bytes({}, blocks)));
        Opened opened = readDbf(path);
        QCOMPARE(opened.code, NativeError::None);

        // dbfread knows no null flags, and reads a varying-length text with its length byte.
        const std::map<Cell, QString> own = {
            {{0, 1}, "abc"}, {{1, 1}, "full width"}, {{2, 1}, ""}, {{1, 2}, ""},
            {{1, 6}, ""},    {{2, 4}, ""},           {{2, 5}, ""}, {{2, 7}, ""}};
        const QJsonObject read = WriterTest::readWithDbfread(path);
        QVERIFY2(!read.contains("error"), qPrintable(read["error"].toString()));
        const QString difference = differenceFromDbfread(opened.table, read["fields"].toArray(),
                                                         read["records"].toArray(), own);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(opened.table.rowCount, 3);
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

    void memoTextsMatchDbfread_data() {
        QTest::addColumn<quint8>("version");
        QTest::addColumn<QString>("memoName");
        QTest::addColumn<int>("blockSize");  // 0: dBase III's
        QTest::addColumn<int>("pointerWidth");
        QTest::newRow("dBase III .dbt") << quint8(0x83) << "memo.dbt" << 0 << 10;
        QTest::newRow("dBase III, memo file in capitals") << quint8(0x83) << "MEMO.DBT" << 0 << 10;
        QTest::newRow("FoxPro 2 .fpt") << quint8(0xF5) << "memo.fpt" << 64 << 10;
        QTest::newRow("Visual FoxPro .FPT") << quint8(0x30) << "Memo.FPT" << 32 << 4;
    }
    void memoTextsMatchDbfread() {
        QFETCH(quint8, version);
        QFETCH(QString, memoName);
        QFETCH(int, blockSize);
        QFETCH(int, pointerWidth);
        QTemporaryDir dir;
        const std::vector<QByteArray> texts = {"First memo\r\n", "", QByteArray(1300, 'x') + "end",
                                               "caf\xE9 cr\xE8me"};
        DbfMemoBuilder memo;
        if (blockSize > 0) memo = {DbfMemoBuilder::Layout::FoxPro, blockSize};
        std::vector<std::uint32_t> blocks;
        QVERIFY(writeFile(dir.filePath(memoName), memo.bytes(texts, blocks)));
        DbfBuilder builder;
        builder.version = version;
        builder.languageDriver = 0x03;
        builder.fields = {{"NAME", 'C', 10, 0}, {"NOTES", 'M', pointerWidth, 0}};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            builder.records.push_back(
                {QByteArray::number(int(i)), memoPointer(blocks[i], pointerWidth)});
        }
        const QString path = dir.filePath("memo.dbf");
        QVERIFY(builder.write(path));

        Opened opened = readDbf(path);
        QCOMPARE(opened.code, NativeError::None);
        const QJsonObject read = WriterTest::readWithDbfread(path);
        QVERIFY2(!read.contains("error"), qPrintable(read["error"].toString()));
        const QString difference = differenceFromDbfread(opened.table, read["fields"].toArray(),
                                                         read["records"].toArray());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(opened.table.rowCount, int(texts.size()));
    }

    void damagedMemoFilesRefuseTheTable_data() {
        QTest::addColumn<quint8>("version");
        QTest::addColumn<QString>("memoName");  // empty: no memo file
        QTest::addColumn<QByteArray>("memo");
        QTest::addColumn<QByteArray>("pointer");
        QTest::addColumn<int>("expectedCode");
        std::vector<std::uint32_t> blocks;
        const QByteArray dbt = DbfMemoBuilder{}.bytes({"text"}, blocks);  // at block 1
        const QByteArray fpt =
            DbfMemoBuilder{DbfMemoBuilder::Layout::FoxPro, 64}.bytes({"text"}, blocks);  // at 8
        QTest::newRow("intact") << quint8(0x83) << "t.dbt" << dbt << QByteArray("1")
                                << NativeError::None;
        QTest::newRow("blank block number")
            << quint8(0x83) << "t.dbt" << dbt << QByteArray() << NativeError::None;
        QTest::newRow("no memo file")
            << quint8(0x83) << "" << QByteArray() << QByteArray("1") << NativeError::Unreadable;
        QTest::newRow("shorter than its header") << quint8(0x83) << "t.dbt" << dbt.left(100)
                                                 << QByteArray("1") << NativeError::Unreadable;
        QTest::newRow("block past the end")
            << quint8(0x83) << "t.dbt" << dbt << QByteArray("99") << NativeError::Unreadable;
        QTest::newRow("block number past 32 bits")
            << quint8(0x83) << "t.dbt" << dbt << QByteArray("9999999999")
            << NativeError::Unreadable;
        QByteArray dbaseIV =
            dbt.left(512) + QByteArray("\xFF\xFF\x08\x00", 4) + littleEndian(100000, 4) + "text";
        QTest::newRow("dBase IV entry longer than the file")
            << quint8(0x8B) << "t.dbt" << dbaseIV << QByteArray("1") << NativeError::Unreadable;
        QTest::newRow("FoxPro block inside the header")
            << quint8(0xF5) << "t.fpt" << fpt << QByteArray("1") << NativeError::Unreadable;
        QByteArray longEntry = fpt;
        longEntry.replace(512 + 4, 4, QByteArray("\x7F\xFF\xFF\xFF", 4));
        QTest::newRow("FoxPro entry longer than the file")
            << quint8(0xF5) << "t.fpt" << longEntry << QByteArray("8") << NativeError::Unreadable;
        QByteArray noBlockSize = fpt;
        noBlockSize.replace(6, 2, QByteArray(2, '\0'));
        QTest::newRow("FoxPro block size 0")
            << quint8(0xF5) << "t.fpt" << noBlockSize << QByteArray("8") << NativeError::Unreadable;
    }
    void damagedMemoFilesRefuseTheTable() {
        QFETCH(quint8, version);
        QFETCH(QString, memoName);
        QFETCH(QByteArray, memo);
        QFETCH(QByteArray, pointer);
        QFETCH(int, expectedCode);
        QTemporaryDir dir;
        if (!memoName.isEmpty()) QVERIFY(writeFile(dir.filePath(memoName), memo));
        DbfBuilder builder;
        builder.version = version;
        builder.fields = {{"NOTES", 'M', 10, 0}};
        builder.records = {{pointer.rightJustified(10)}};
        QVERIFY(builder.write(dir.filePath("t.dbf")));
        QCOMPARE(readDbf(dir.filePath("t.dbf")).code, expectedCode);
    }

    void readsTheFilesOpenOpened() {
        // The table and its memo file are opened once, by open(): removed meanwhile, both are
        // still read. Once read they are closed; another read opens them anew.
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
        QCOMPARE(table.text(0, 5), QString("First memo\r\n"));
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

    // A table wider than the program loads is refused by its field count, before its records
    // are read.
    void tooManyFieldsAreRefused() {
        DbfBuilder builder;
        for (int f = 0; f < 256; ++f)
            builder.fields.push_back({"F" + QByteArray::number(f), 'C', 1, 0});
        builder.records = {std::vector<QByteArray>(256, "x")};
        const QString path = pathFor("wide.dbf");
        QVERIFY(builder.write(path));
        Opened opened = readDbf(path);
        QCOMPARE(opened.code, NativeError::None);
        QVERIFY(opened.table.isTooWide());
        QCOMPARE(opened.table.rowCount, 0);
        DbConnection connection;
        connection.setConnectionString(dbaseSourceConnectionString(path, false));
        QStringList names;
        QVERIFY(connection.listTableNames(names) && connection.open());
        DbDataSet dataSet(connection);
        dataSet.setQuery("SELECT * FROM \"" + names.value(0) + "\"");
        QVERIFY(!dataSet.open());
        QCOMPARE(connection.nativeError(), NativeError::TooManyOrDuplicatedFields);
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
