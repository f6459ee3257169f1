// The reader on workbook streams built record by record: every kind of cell, shared strings
// split across CONTINUE records, encryption headers, and damage. Streams are given to the
// reader as they are (a bare BIFF stream), or wrapped in a compound file where that matters.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>
#include <QTemporaryDir>
#include <QTest>

#include "BiffBuilder.h"
#include "data/access/CellText.h"
#include "data/access/NativeError.h"
#include "data/access/TableFileReader.h"
#include "support/TestFiles.h"

using namespace Biff;

namespace {

// XF 16 shows dates with a built-in format, XF 17 with a custom one, XF 18 a lookalike that
// only quotes date letters; XF 19 is a time of day.
QByteArray dateFormats() {
    return format(164, QStringLiteral("yyyy\\-mm\\-dd")) +
           format(165, QStringLiteral("0.0 \"dm\"")) + format(166, QStringLiteral("[h]:mm")) +
           xf(14) + xf(164) + xf(165) + xf(166);
}
constexpr int kBuiltInDateXf = 16, kCustomDateXf = 17, kLookalikeXf = 18, kTimeXf = 19;

QByteArray sst(const QByteArray& strings, int count, const QList<QByteArray>& continues = {}) {
    QByteArray out = record(0x00FC, u32(count) + u32(count) + strings);
    for (const QByteArray& piece : continues) out += record(0x003C, piece);
    return out;
}

QByteArray compoundFile(const char* streamName, const QByteArray& stream) {
    gsf_init();
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* outfile = gsf_outfile_msole_new(memory);
    GsfOutput* child = gsf_outfile_new_child(outfile, streamName, FALSE);
    gsf_output_write(child, stream.size(), reinterpret_cast<const guint8*>(stream.constData()));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(outfile));
    g_object_unref(outfile);
    const QByteArray bytes(
        reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory))),
        static_cast<qsizetype>(gsf_output_size(memory)));
    g_object_unref(memory);
    return bytes;
}

// Opens `bytes` and reads the first table; the first failure's code, or 0.
int load(const QByteArray& bytes, SheetTable& table) {
    auto reader = createWorkbookReader();
    int code = reader->openBuffer(bytes);
    if (code != NativeError::None) return code;
    const QStringList names = reader->tableNames();
    if (names.isEmpty()) return NativeError::TableNotFound;
    return reader->readTable(names.first(), CellTextFormat(QLocale::c()), table);
}

// What a cell was read as, seen in the type of a column holding it alone.
enum class CellKind { Empty, Number, Date, Boolean, Error, Text };

bool typeFits(CellKind kind, FieldType code) {
    switch (kind) {
        case CellKind::Number:
            return code == FieldType::Integer || code == FieldType::Float;
        case CellKind::Date:  // a time of day alone makes a text column
            return code == FieldType::Date || code == FieldType::DateTime ||
                   code == FieldType::String;
        case CellKind::Boolean:
            return code == FieldType::Boolean;
        default:
            return code == FieldType::String;
    }
}

}  // namespace

class TestXlsRecords : public QObject {
    Q_OBJECT
private slots:
    // One cell below a heading: what kind of cell it becomes and what it shows.
    void cells_data() {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<bool>("dates1904");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");

        QTest::newRow("number") << number(1, 0, 2.5) << false << int(CellKind::Number) << "2.5";
        QTest::newRow("RK integer") << record(0x027E, cell(1, 0) + u32((1234u << 2) | 2)) << false
                                    << int(CellKind::Number) << "1234";
        QTest::newRow("RK negative integer")
            << record(0x027E, cell(1, 0) + u32(static_cast<quint32>(-7 << 2 | 2))) << false
            << int(CellKind::Number) << "-7";
        QTest::newRow("RK integer / 100") << record(0x027E, cell(1, 0) + u32((1234u << 2) | 3))
                                          << false << int(CellKind::Number) << "12.34";
        // 1.5 as a double has zeros in its low 34 bits, so the RK form keeps it exactly.
        QTest::newRow("RK double") << record(0x027E, cell(1, 0) + u32(0x3FF80000u)) << false
                                   << int(CellKind::Number) << "1.5";
        QTest::newRow("boolean TRUE") << record(0x0205, cell(1, 0) + u8(1) + u8(0)) << false
                                      << int(CellKind::Boolean) << "TRUE";
        QTest::newRow("boolean FALSE") << record(0x0205, cell(1, 0) + u8(0) + u8(0)) << false
                                       << int(CellKind::Boolean) << "FALSE";
        QTest::newRow("error #DIV/0!, not the number 7")
            << record(0x0205, cell(1, 0) + u8(0x07) + u8(1)) << false << int(CellKind::Error)
            << "#DIV/0!";
        QTest::newRow("error #N/A") << record(0x0205, cell(1, 0) + u8(0x2A) + u8(1)) << false
                                    << int(CellKind::Error) << "#N/A";
        QTest::newRow("inline label")
            << label(1, 0, QStringLiteral("Grüße")) << false << int(CellKind::Text) << "Grüße";
        QTest::newRow("formula: cached number")
            << formula(1, 0, f64(42.25)) << false << int(CellKind::Number) << "42.25";
        QTest::newRow("formula: cached text from the STRING record")
            << formula(1, 0, specialResult(0)) +
                   record(0x0207, unicode(QStringLiteral("Σum"), true))
            << false << int(CellKind::Text) << "Σum";
        QTest::newRow("formula: cached TRUE")
            << formula(1, 0, specialResult(1, 1)) << false << int(CellKind::Boolean) << "TRUE";
        QTest::newRow("formula: cached FALSE")
            << formula(1, 0, specialResult(1, 0)) << false << int(CellKind::Boolean) << "FALSE";
        QTest::newRow("formula: cached error")
            << formula(1, 0, specialResult(2, 0x17)) << false << int(CellKind::Error) << "#REF!";
        QTest::newRow("formula: cached empty text")
            << formula(1, 0, specialResult(3)) << false << int(CellKind::Empty) << "";
        QTest::newRow("formula: cached date") << formula(1, 0, f64(61), kBuiltInDateXf) << false
                                              << int(CellKind::Date) << "1 Mar 1900";
        QTest::newRow("built-in date format")
            << number(1, 0, 36526, kBuiltInDateXf) << false << int(CellKind::Date) << "1 Jan 2000";
        QTest::newRow("custom date format") << number(1, 0, 2958465, kCustomDateXf) << false
                                            << int(CellKind::Date) << "31 Dec 9999";
        QTest::newRow("quoted date letters are no date")
            << number(1, 0, 36526, kLookalikeXf) << false << int(CellKind::Number) << "36526";
        QTest::newRow("elapsed hours: a time")
            << number(1, 0, 0.75, kTimeXf) << false << int(CellKind::Date) << "18:00:00";
        QTest::newRow("date and time") << number(1, 0, 36526.5, kBuiltInDateXf) << false
                                       << int(CellKind::Date) << "1 Jan 2000 12:00:00";
        QTest::newRow("1904 system: serial 0")
            << number(1, 0, 0, kBuiltInDateXf) << true << int(CellKind::Date) << "1 Jan 1904";
        QTest::newRow("1904 system: 2000-01-01")
            << number(1, 0, 35064, kBuiltInDateXf) << true << int(CellKind::Date) << "1 Jan 2000";
        QTest::newRow("past 9999-12-31 stays a number")
            << number(1, 0, 2958466, kBuiltInDateXf) << false << int(CellKind::Number) << "2958466";
        QTest::newRow("negative serial stays a number")
            << number(1, 0, -1, kBuiltInDateXf) << false << int(CellKind::Number) << "-1";
        QTest::newRow("unknown XF index: a number")
            << number(1, 0, 5, 999) << false << int(CellKind::Number) << "5";
        QTest::newRow("blank cells are not values")
            << record(0x0201, cell(1, 0)) +
                   record(0x00BE, u16(1) + u16(0) + u16(15) + u16(15) + u16(1)) + number(1, 0, 3)
            << false << int(CellKind::Number) << "3";
    }
    void cells() {
        QFETCH(QByteArray, records);
        QFETCH(bool, dates1904);
        QFETCH(int, kind);
        QFETCH(QString, shown);
        const QByteArray globals =
            dateFormats() + (dates1904 ? record(0x0022, u16(1)) : QByteArray());
        SheetTable table;
        // A second column keeps the row even where the cell under test is empty.
        const QByteArray frame = label(0, 0, QStringLiteral("h")) +
                                 label(0, 1, QStringLiteral("m")) +
                                 label(1, 1, QStringLiteral("m"));
        QCOMPARE(load(oneSheet(frame + records, globals), table), NativeError::None);
        QCOMPARE(table.columnCount(), 2);
        QCOMPARE(table.rowCount, 1);
        QVERIFY(typeFits(CellKind(kind), table.fieldTypes[0]));
        QCOMPARE(table.text(0, 0), shown);
    }

    void mulRkAndSize() {
        // Row 2, columns 3..5, each XF 15 with an RK integer; the dimensions record claims a
        // huge sheet, which must not matter.
        QByteArray mulrk = u16(2) + u16(3);
        for (int v : {10, 20, 30}) mulrk += u16(15) + u32(static_cast<quint32>(v) << 2 | 2);
        mulrk += u16(5);
        const QByteArray dimensions =
            record(0x0200, u32(0) + u32(1048576) + u16(0) + u16(16384) + u16(0));
        SheetTable table;
        QCOMPARE(load(oneSheet(dimensions + label(1, 3, QStringLiteral("a")) +
                               label(1, 4, QStringLiteral("b")) + label(1, 5, QStringLiteral("c")) +
                               record(0x00BD, mulrk)),
                      table),
                 NativeError::None);
        QCOMPARE(table.columnCount(), 3);
        QCOMPARE(table.rowCount, 1);
        QCOMPARE(table.text(0, 2), QStringLiteral("30"));
        QCOMPARE(table.fieldTypes[0], FieldType::Integer);
    }

    // Shared strings, split where writers split them.
    void sharedStrings_data() {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("8-bit and 16-bit strings in one record")
            << sst(unicode(QStringLiteral("plain")) + unicode(QStringLiteral("ЖЖ"), true), 2)
            << QStringList{QStringLiteral("plain"), QStringLiteral("ЖЖ")};
        QTest::newRow("8-bit string split, goes on 8-bit")
            << sst(u16(6) + u8(0) + "abc", 1, {u8(0) + "def"})
            << QStringList{QStringLiteral("abcdef")};
        QTest::newRow("8-bit string split, goes on 16-bit")
            << sst(u16(4) + u8(0) + "ab", 1, {u8(1) + chars(QStringLiteral("Жж"), true)})
            << QStringList{QStringLiteral("abЖж")};
        QTest::newRow("16-bit string split, goes on 8-bit")
            << sst(u16(4) + u8(1) + chars(QStringLiteral("Жж"), true), 1, {u8(0) + "cd"})
            << QStringList{QStringLiteral("Жжcd")};
        QTest::newRow("next string starts a CONTINUE record, no flag byte before it")
            << sst(unicode(QStringLiteral("one")), 2, {unicode(QStringLiteral("two"))})
            << QStringList{QStringLiteral("one"), QStringLiteral("two")};
        // Rich text: 2 runs of 4 bytes after the characters; phonetic block of 6 bytes; the runs
        // are split between two records.
        QTest::newRow("rich-text runs and phonetic block, split")
            << sst(u16(3) + u8(0x0C) + u16(2) + u32(6) + "xyz" + QByteArray(5, '\x01'), 2,
                   {QByteArray(3, '\x01') + QByteArray(6, '\x02') +
                    unicode(QStringLiteral("after"))})
            << QStringList{QStringLiteral("xyz"), QStringLiteral("after")};
        QString longText;
        for (int i = 0; i < 20000; ++i) longText += QChar(u'a' + i % 26);
        longText[19999] = QChar(0x4E2D);  // ends in a character that needs 16 bits
        const QByteArray all = chars(longText.left(19999), false);
        QTest::newRow("long string across several CONTINUE records")
            << sst(u16(20000) + u8(0) + all.left(8000), 1,
                   {u8(0) + all.mid(8000, 8000), u8(0) + all.mid(16000, 3999), u8(1) + u16(0x4E2D)})
            << QStringList{longText};
        QTest::newRow("count claims more than there is")
            << sst(unicode(QStringLiteral("only")), 100000) << QStringList{QStringLiteral("only")};
    }
    void sharedStrings() {
        QFETCH(QByteArray, table);
        QFETCH(QStringList, expected);
        QByteArray cells;
        for (int i = 0; i < expected.size(); ++i) cells += labelSst(0, i, static_cast<quint32>(i));
        SheetTable out;
        QCOMPARE(load(oneSheet(cells, table), out), NativeError::None);
        QCOMPARE(QStringList(out.headings.begin(), out.headings.end()), expected);
    }

    // What a workbook that cannot be read gives.
    void failures_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        const QByteArray cellsOk = label(0, 0, QStringLiteral("h")) + number(1, 0, 1);
        const auto encrypted = [&](const QByteArray& filePass) {
            return workbook(filePass + defaultXfs(), {{QStringLiteral("Sheet1"), 0, 0, cellsOk}});
        };
        QTest::newRow("XOR obfuscation")
            << encrypted(record(0x002F, u16(0) + u16(0x1234) + u16(0x5678)))
            << NativeError::PasswordProtected;
        QTest::newRow("RC4") << encrypted(
                                    record(0x002F, u16(1) + u16(1) + u16(1) + QByteArray(48, 'k')))
                             << NativeError::PasswordProtected;
        QTest::newRow("RC4 CryptoAPI")
            << encrypted(record(0x002F, u16(1) + u16(4) + u16(2) + QByteArray(60, 'k')))
            << NativeError::PasswordProtected;
        QTest::newRow("Excel 5 obfuscation")
            << workbook(record(0x002F, u16(0x1234) + u16(0x5678)),
                        {{QStringLiteral("Sheet1"), 0, 0, cellsOk}}, true)
            << NativeError::PasswordProtected;
        QTest::newRow("encrypted package of the newer format")
            << compoundFile("EncryptedPackage", QByteArray(600, 'x'))
            << NativeError::PasswordProtected;
        QTest::newRow("empty") << QByteArray() << NativeError::Unreadable;
        QTest::newRow("text file") << QByteArray("Name;Age\nAnn;42\n") << NativeError::Unreadable;
        QTest::newRow("compound file without a workbook stream")
            << compoundFile("Data", QByteArray(600, 'x')) << NativeError::Unreadable;
        const QByteArray whole = oneSheet(cellsOk);
        QTest::newRow("truncated inside a record")
            << whole.left(whole.size() - 7) << NativeError::Unreadable;
        QTest::newRow("sheet without its EOF")
            << whole.left(whole.size() - 4) << NativeError::Unreadable;
        QByteArray tooLong = oneSheet(cellsOk + record(0x0203, QByteArray(14, '\0')));
        tooLong[tooLong.size() - 4 - 14 - 2] = '\x40';  // the NUMBER record now claims 64 bytes
        QTest::newRow("record runs past the stream") << tooLong << NativeError::Unreadable;
        QTest::newRow("shared-string index outside the table")
            << oneSheet(labelSst(0, 0, 1), sst(unicode(QStringLiteral("a")), 1))
            << NativeError::Unreadable;
        QTest::newRow("shared string cut short")
            << oneSheet(labelSst(0, 0, 0), sst(u16(10) + u8(0) + "abc", 1))
            << NativeError::Unreadable;
        QTest::newRow("globals without EOF")
            << bof8(kGlobals) + defaultXfs() << NativeError::Unreadable;
        QTest::newRow("sheet offset outside the stream")
            << bof8(kGlobals) +
                   record(0x0085,
                          u32(0x7FFFFFF0) + u8(0) + u8(0) + unicode(QStringLiteral("S"), true, 1)) +
                   eof()
            << NativeError::Unreadable;
    }
    void failures() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        SheetTable table;
        QCOMPARE(load(bytes, table), code);
    }

    void compoundContainers() {
        // Excel 97 and later in "Workbook"; Excel 5 in "Book", its texts in the code page.
        SheetTable table;
        QCOMPARE(load(compoundFile("Workbook",
                                   oneSheet(label(0, 0, QStringLiteral("x")) + number(1, 0, 1))),
                      table),
                 NativeError::None);
        QCOMPARE(table.headings.at(0), QStringLiteral("x"));

        const QByteArray cyrillic("\xCF\xF0\xE8\xE2\xE5\xF2", 6);  // "Привет" in windows-1251
        const QByteArray label5 = record(0x0204, cell(0, 0) + u16(6) + cyrillic);
        const QByteArray book =
            workbook(record(0x0042, u16(1251)), {{QStringLiteral("Лист1"), 0, 0, label5}}, true);
        QCOMPARE(load(compoundFile("Book", book), table), NativeError::None);
        QCOMPARE(table.headings.at(0), QStringLiteral("Привет"));
    }

    void sheetsInWorkbookOrder() {
        // Hidden sheets are tables; charts are not; a chart inside a sheet adds nothing.
        const QByteArray embeddedChart = bof8(0x0020) + number(5, 5, 99) + eof();
        const QByteArray bytes = workbook(
            defaultXfs(),
            {{QStringLiteral("First"), 0, 0, label(0, 0, QStringLiteral("a"))},
             {QStringLiteral("Chart"), 2, 0, {}},
             {QStringLiteral("Hidden"), 0, 1, label(0, 0, QStringLiteral("b")) + embeddedChart},
             {QStringLiteral("VeryHidden"), 0, 2, label(0, 0, QStringLiteral("c"))}});
        auto reader = createWorkbookReader();
        QCOMPARE(reader->openBuffer(bytes), NativeError::None);
        QCOMPARE(reader->tableNames(), (QStringList{"First", "Hidden", "VeryHidden"}));
        SheetTable table;
        QCOMPARE(reader->readTable(QStringLiteral("Hidden"), CellTextFormat(QLocale::c()), table),
                 NativeError::None);
        QCOMPARE(table.columnCount(), 1);
        QCOMPARE(table.headings.at(0), QStringLiteral("b"));
        QCOMPARE(reader->readTable(QStringLiteral("Chart"), CellTextFormat(QLocale::c()), table),
                 NativeError::TableNotFound);
    }

    // Too wide a sheet, or a heading twice, is refused when the data set opens it.
    void refusedByTheDataSet_data() {
        QTest::addColumn<QByteArray>("cells");
        QByteArray wide;
        for (int c = 0; c < 256; ++c) wide += number(0, c, c);
        QTest::newRow("256 columns") << wide;
        QTest::newRow("heading twice") << label(0, 0, QStringLiteral("a")) +
                                              label(0, 1, QStringLiteral("a")) + number(1, 0, 1);
    }
    void refusedByTheDataSet() {
        QFETCH(QByteArray, cells);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("wide.xls"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(compoundFile("Workbook", oneSheet(cells)));
        file.close();
        const auto result = TestFiles::runCli({QStringLiteral("dump"), path});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.startsWith("error -1040:"), result.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestXlsRecords)
#include "tst_xlsrecords.moc"
