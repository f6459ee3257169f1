// Workbooks written during the test by the system's Python modules (write_workbooks.py): one
// table saved as .xlsx, .ods and .xls loads into the same table; damaged and hostile packages
// are refused quickly and in little memory.
#include <sys/resource.h>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "data/access/ByteXmlReader.h"
#include "data/access/CellText.h"
#include "data/access/NativeError.h"
#include "data/access/ZipPackage.h"
#include "data/access/ods/OdsReader.h"
#include "data/access/xlsx/XlsxReader.h"
#include "support/TestFiles.h"

namespace {

const QString kScript = QStringLiteral(QUARIX_TESTS_DIR "/xlsx/write_workbooks.py");

struct Loaded {
    QStringList headings;
    QList<int> types;
    QList<QStringList> rows;
};

int readFirstTable(WorkbookFileReader& reader, const QString& path, Loaded& out) {
    int code = reader.open(path);
    if (code != NativeError::None) return code;
    if (reader.tableNames().isEmpty()) return NativeError::TableNotFound;
    SheetTable table;
    code = reader.readTable(reader.tableNames().first(), CellTextFormat(QLocale::c()), table);
    if (code != NativeError::None) return code;
    out.headings = QStringList(table.headings.begin(), table.headings.end());
    for (const FieldType type : table.fieldTypes) out.types << fieldTypeCode(type);
    for (int r = 0; r < table.rowCount; ++r) {
        QStringList row;
        for (int c = 0; c < table.columnCount(); ++c) row << table.text(r, c);
        out.rows << row;
    }
    return NativeError::None;
}

// AddressSanitizer keeps freed blocks in a quarantine of up to 256 MB, so peak memory says
// nothing about what the readers hold under it; the release build checks it.
// It also makes inflating several times slower: a damaged package may take longer there, but
// still never hangs.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryMeasurable = false;
constexpr qint64 kDamagedPackageMs = 90000;
#else
constexpr bool kMemoryMeasurable = true;
constexpr qint64 kDamagedPackageMs = 20000;
#endif

QString str(QStringView text) {
    return text.toString();
}
QString str(QByteArrayView utf8) {
    return QString::fromUtf8(utf8);
}

// The elements and texts inside the document element as "<name", ">name" and "text", adjacent
// texts joined; empty when the reader fails.
template <typename Xml, typename Buffer>
QStringList tokens(Xml& xml, Buffer text) {
    QStringList out;
    const auto flush = [&] {
        if (!text.isEmpty()) out << str(text);
        text.clear();
    };
    int depth = 0;
    while (xml.next()) {
        if (xml.isStart() || xml.isEnd()) {
            flush();
            depth += xml.isStart() ? 1 : -1;
            out << (xml.isStart() ? u'<' : u'>') + str(xml.localName());
            xml.forEachAttribute(
                [&](auto name, auto value) { out << str(name) + u'=' + str(value); });
        } else if (xml.isText() && depth > 0) {
            xml.appendText(text);
        }
    }
    return xml.failed() ? QStringList() : out;
}

long peakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

class TestModernWorkbooks : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    void write(const QString& mode, const QStringList& modules) {
        for (const QString& module : modules) {
            QString reason;
            if (!TestFiles::systemPythonHas(module, reason)) QFAIL(qPrintable(reason));
        }
        const auto result = TestFiles::runSystemPython({kScript, mode, m_dir.path()});
        QVERIFY2(result.exitCode == 0, result.err.constData());
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Texts with quotes and non-Latin letters, whole and decimal and negative numbers, dates,
    // date-times, booleans, empty cells and an empty heading.
    void oneTableInThreeFormats() {
        write(QStringLiteral("same"),
              {QStringLiteral("openpyxl"), QStringLiteral("odf"), QStringLiteral("xlwt")});
        Loaded xls, xlsx, ods;
        QCOMPARE(readFirstTable(*createWorkbookReader(), m_dir.filePath("same.xls"), xls),
                 NativeError::None);
        QCOMPARE(readFirstTable(*createXlsxReader(), m_dir.filePath("same.xlsx"), xlsx),
                 NativeError::None);
        QCOMPARE(readFirstTable(*createOdsReader(), m_dir.filePath("same.ods"), ods),
                 NativeError::None);
        QCOMPARE(xls.headings,
                 (QStringList{"Name", "Count", "Amount", "Delta", "Day", "Moment", "Flag", "F8"}));
        QCOMPARE(xls.rows.value(0),
                 (QStringList{QStringLiteral("Zoë \"quoted\" 'single'"), "1", "1.5", "-2",
                              "31 Jan 2020", "1 Jun 2021 12:30:15", "TRUE", "x"}));
        QCOMPARE(xls.rows.value(2).value(0), QString());
        for (const Loaded* other : {&xlsx, &ods}) {
            QCOMPARE(other->headings, xls.headings);
            QCOMPARE(other->types, xls.types);
            QCOMPARE(other->rows, xls.rows);
        }
    }

    void damagedPackages_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("firstHeading");
        // Inflates to a gigabyte of comments from a megabyte: refused at the inflate bound.
        QTest::newRow("inflate bomb") << "inflate-bomb.xlsx" << NativeError::Unreadable << "";
        QTest::newRow("256 MiB text node") << "long-token.xlsx" << NativeError::Unreadable << "";
        QTest::newRow("entry claims 4 GiB") << "claims-huge.xlsx" << NativeError::Unreadable << "";
        QTest::newRow("entity bomb") << "entity-bomb.xlsx" << NativeError::Unreadable << "";
        QTest::newRow("truncated") << "truncated.xlsx" << NativeError::Unreadable << "";
        QTest::newRow("random bytes after PK") << "random.xlsx" << NativeError::Unreadable << "";
        QTest::newRow("encrypted ods") << "encrypted.ods" << NativeError::PasswordProtected << "";
        // A million empty rows and 16,384 empty columns repeated cost nothing.
        QTest::newRow("empty repeats") << "row-repeat-bomb.ods" << NativeError::None << "kept";
        // A value repeated over the whole sheet: too wide to load, known without its cells.
        QTest::newRow("value repeats")
            << "value-repeat-bomb.ods" << NativeError::None << "too wide";
        // 255 values repeated over a million rows: 267 million cells from a few bytes.
        QTest::newRow("narrow value repeats")
            << "narrow-repeat-bomb.ods" << NativeError::Unreadable << "";
    }
    void damagedPackages() {
        static bool written = false;
        if (!written) write(QStringLiteral("damaged"), {});
        written = true;
        QFETCH(QString, file);
        QFETCH(int, code);
        QFETCH(QString, firstHeading);
        const long memoryBefore = peakMemoryKb();
        QElapsedTimer timer;
        timer.start();
        auto reader = file.endsWith(QLatin1String(".ods")) ? createOdsReader() : createXlsxReader();
        const QString path = m_dir.filePath(file);
        int result = reader->open(path);
        SheetTable table;
        if (result == NativeError::None) {
            QCOMPARE(reader->tableNames().size(), 1);
            result = reader->readTable(reader->tableNames().first(), CellTextFormat(QLocale::c()),
                                       table);
        }
        QCOMPARE(result, code);
        if (firstHeading == QLatin1String("too wide")) {
            QVERIFY(table.isTooWide());
            QCOMPARE(table.columnCount(), 16384);
        } else if (!firstHeading.isEmpty()) {
            QCOMPARE(table.headings.at(0), firstHeading);
            QCOMPARE(table.rowCount, 0);
        }
        QVERIFY2(timer.elapsed() < kDamagedPackageMs, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(!kMemoryMeasurable || peakMemoryKb() - memoryBefore < 100 * 1024,
                 qPrintable(QStringLiteral("%1 KB more").arg(peakMemoryKb() - memoryBefore)));
    }

    // Sheets of some megabytes are read in pieces side by side. Column A holds each cell's own
    // row number, so a row placed wrongly shows; stretches of rows without numbers must count
    // on across the pieces' seams, also where the names carry a prefix or one piece is read by
    // the stream reader.
    void largeSheetsReadInPieces_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << "large-plain.xlsx";
        QTest::newRow("prefixed") << "large-x.xlsx";
        QTest::newRow("a piece left to the stream reader") << "large-reference.xlsx";
    }
    void largeSheetsReadInPieces() {
        static bool written = false;
        if (!written) write(QStringLiteral("large"), {});
        written = true;
        QFETCH(QString, file);
        auto reader = createXlsxReader();
        QCOMPARE(reader->open(m_dir.filePath(file)), NativeError::None);
        SheetTable table;
        QCOMPARE(reader->readTable(QStringLiteral("S"), CellTextFormat(QLocale::c()), table),
                 NativeError::None);
        QCOMPARE(table.rowCount, 210000);
        int filled = 0;
        for (int r = 0; r < table.rowCount; ++r) {
            const QString a = table.text(r, 0);
            if (a.isEmpty()) continue;
            ++filled;
            if (a.toInt() != r + 2 || table.text(r, 1).toDouble() * 2 != r + 2) {
                QFAIL(qPrintable(
                    QStringLiteral("record %1: %2, %3").arg(r).arg(a, table.text(r, 1))));
            }
        }
        QCOMPARE(filled, 200000);
    }

    // Sheets are read as bytes; whatever that reader does not take, the stream reader reads
    // instead. So it must never accept a document the stream reader refuses, nor read one
    // differently.
    void byteReaderAgreesWithStreamReader_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("expected");  // same, broken, or left to the stream reader
        QTest::newRow("references, line ends, prefixes, blanks")
            << QByteArray(
                   "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone='yes'?>\r\n"
                   "<x:w xmlns:x='u' a='1'><x:c r=\"A1\"\n\tt = \"s\"><v> 1 </v></x:c><c/>"
                   "<t>a&amp;b&#65;&#x20AC;&lt;&gt;&quot;&apos;\r\nc\rd Zo\xC3\xAB "
                   "\xF0\x9F\x98\x80 ] ]> x</t><a-b.c1/></x:w>\n")
            << "same";
        QTest::newRow("undeclared prefix") << QByteArray("<x:a><y:b/></x:a>") << "same";
        QTest::newRow("crossed") << QByteArray("<a><b></a></b>") << "broken";
        QTest::newRow("unknown entity") << QByteArray("<a>&bogus;</a>") << "broken";
        QTest::newRow("character zero") << QByteArray("<a>&#0;</a>") << "broken";
        QTest::newRow("surrogate") << QByteArray("<a>&#xD800;</a>") << "broken";
        QTest::newRow("no UTF-8") << QByteArray("<a>\xC3\x28</a>") << "broken";
        QTest::newRow("control byte") << QByteArray("<a>\x01</a>") << "broken";
        QTest::newRow("cdata end") << QByteArray("<a>]]></a>") << "broken";
        QTest::newRow("two roots") << QByteArray("<a/><b/>") << "broken";
        QTest::newRow("text after root") << QByteArray("<a/>x") << "broken";
        QTest::newRow("no root") << QByteArray(" ") << "broken";
        QTest::newRow("cut in text") << QByteArray("<a><b>te") << "broken";
        QTest::newRow("cut in tag") << QByteArray("<a><b x=\"1") << "broken";
        QTest::newRow("twice the same attribute") << QByteArray("<a b='1' b='2'/>") << "broken";
        QTest::newRow("attributes run together") << QByteArray("<a b='1'c='2'/>") << "broken";
        QTest::newRow("< in an attribute") << QByteArray("<a b='<'/>") << "broken";
        QTest::newRow("bad declaration") << QByteArray("<?xml versio='1.0'?><a/>") << "broken";
        QTest::newRow("document type") << QByteArray("<!DOCTYPE a><a/>") << "broken";
        QTest::newRow("comment") << QByteArray("<a><!-- <b> --></a>") << "stream";
        QTest::newRow("cdata") << QByteArray("<a><![CDATA[<b>]]></a>") << "stream";
        QTest::newRow("processing instruction") << QByteArray("<a><?p x?></a>") << "stream";
        QTest::newRow("reference in an attribute") << QByteArray("<a b='&amp;'/>") << "stream";
        QTest::newRow("latin-1") << QByteArray(
                                        "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9</a>")
                                 << "stream";
    }
    void byteReaderAgreesWithStreamReader() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, expected);
        ByteXmlReader bytes(xml);
        XmlPartReader stream(xml, false);
        const QStringList byteTokens = tokens(bytes, QByteArray());
        const QStringList streamTokens = tokens(stream, QString());
        QCOMPARE(bytes.failed(), expected != u"same");
        QCOMPARE(stream.failed(), expected == u"broken");
        QCOMPARE(byteTokens, expected == u"same" ? streamTokens : QStringList());
        if (expected == u"same") QVERIFY(byteTokens.size() >= 4);
    }

    // The same damage in memory, as the fuzzer feeds it.
    void damagedBuffers() {
        QFile file(m_dir.filePath("truncated.xlsx"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(createXlsxReader()->openBuffer(bytes), NativeError::Unreadable);
        QCOMPARE(createOdsReader()->openBuffer(bytes), NativeError::Unreadable);
        QCOMPARE(createXlsxReader()->openBuffer(QByteArray("PK\x03\x04", 4)),
                 NativeError::Unreadable);
    }
};

QTEST_GUILESS_MAIN(TestModernWorkbooks)
#include "tst_modernworkbooks.moc"
