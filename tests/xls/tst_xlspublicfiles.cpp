// Every public .xls file, read by our reader and by quarix-cli, against what its truth file
// says. The truth files come from a peer reader that starts every sheet at cell A1 and pads
// rows; our tables start at their first row and column holding a value (design notes), so the
// truth is moved onto that range before it is compared (XlsTruth).
#include <QJsonArray>
#include <QSet>
#include <QTest>
#include <cmath>

#include "XlsTruth.h"
#include "data/access/CellText.h"
#include "data/access/NativeError.h"
#include "data/access/TableFileReader.h"
#include "support/TestFiles.h"

namespace {

// Files the peer reader refuses, and what we do with them.
int expectedOpenCode(const QString& file) {
    // Encrypted: the peer says "Workbook is encrypted" for both kinds.
    if (file == QLatin1String("password.xls") || file == QLatin1String("xor-encryption-abc.xls")) {
        return NativeError::PasswordProtected;
    }
    // Truncated inside the compound file's sector tables.
    if (file == QLatin1String("xls2csv_ole_ole2_fread_327.xls")) return NativeError::Unreadable;
    // 57456.xls: the peer trips over an SST whose string count is garbage; we read the strings
    // the record holds (none). phpexcel_bad_cfb_dir.xls: the peer refuses a directory entry that
    // libgsf reads, and the workbook stream behind it is whole. Both are checked on their own.
    return NativeError::None;
}

QString escaped(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    out.replace(QLatin1String("\t"), QLatin1String("\\t"));
    out.replace(QLatin1String("\r"), QLatin1String("\\r"));
    out.replace(QLatin1String("\n"), QLatin1String("\\n"));
    return out;
}

}  // namespace

class TestXlsPublicFiles : public QObject {
    Q_OBJECT
private slots:
    void readerMatchesTruth_data() {
        QTest::addColumn<QString>("file");
        const QStringList files = TestFiles::publicFilesWithSuffix(QStringLiteral(".xls"));
        QVERIFY(files.size() >= 21);
        for (const QString& file : files) QTest::newRow(qPrintable(file)) << file;
    }
    void readerMatchesTruth() {
        QFETCH(QString, file);
        const QJsonObject truth = TestFiles::truthOf(file);
        QVERIFY2(!truth.isEmpty(), "no truth file");
        auto reader = createWorkbookReader();
        const int code = reader->open(TestFiles::publicFile(file));
        QCOMPARE(code, expectedOpenCode(file));
        if (code != NativeError::None) {
            QVERIFY(reader->tableNames().isEmpty());
            return;
        }
        if (truth.contains(QLatin1String("error"))) return;  // checked in their own tests

        QStringList names;
        for (const QJsonValue& name : truth.value(QLatin1String("sheet_names")).toArray()) {
            names << name.toString();
        }
        QCOMPARE(reader->tableNames(), names);

        compareWithTruth(*reader, truth);
    }

    void cliMatchesTruth_data() { readerMatchesTruth_data(); }
    void cliMatchesTruth() {
        QFETCH(QString, file);
        const QJsonObject truth = TestFiles::truthOf(file);
        const QString path = TestFiles::publicFile(file);
        const int openCode = expectedOpenCode(file);
        if (openCode != NativeError::None) {
            const auto result = TestFiles::runCli({QStringLiteral("tables"), path});
            QCOMPARE(result.exitCode, 2);
            QVERIFY2(result.err.startsWith("error " + QByteArray::number(openCode) + ":"),
                     result.err.constData());
            return;
        }
        if (truth.contains(QLatin1String("error"))) return;

        for (const TruthSheet& sheet : truthSheets(truth)) {
            const auto result = TestFiles::runCli(
                {QStringLiteral("dump"), path, QStringLiteral("--table"), sheet.name});
            if (sheet.firstRow < 0) {
                // Nothing in rows 0..5 to place the range by: only its width can be checked.
                QCOMPARE(result.exitCode, 0);
                const QByteArray firstLine = result.out.left(result.out.indexOf('\n'));
                QCOMPARE(firstLine.split('\t').size(), std::max(1, sheet.columnCount));
                continue;
            }
            const QStringList headings = expectedHeadings(sheet);
            const QSet<QString> distinct(headings.begin(), headings.end());
            if (distinct.size() != headings.size()) {
                // A name twice: the data set refuses the table, as the driver did.
                QCOMPARE(result.exitCode, 2);
                QVERIFY2(result.err.startsWith("error -1040:"), result.err.constData());
                continue;
            }
            QCOMPARE(result.exitCode, 0);
            const QStringList lines = QString::fromUtf8(result.out).split(QLatin1Char('\n'));
            QVERIFY(lines.size() >= 3);
            QStringList escapedHeadings;
            for (const QString& heading : headings) escapedHeadings << escaped(heading);
            QCOMPARE(lines[0], escapedHeadings.join(QLatin1Char('\t')));
            const QStringList types = lines[1].split(QLatin1Char('\t'));
            QCOMPARE(types.size(), sheet.columnCount);
            QCOMPARE(lines[2].toInt(), sheet.rowCount);
            for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
                QStringList expected;
                for (int c = 0; c < sheet.columnCount; ++c) {
                    expected << escaped(
                        renderTruth(sheet.rows[r][c], static_cast<FieldType>(types[c].toInt())));
                }
                QCOMPARE(lines.value(3 + static_cast<int>(r)), expected.join(QLatin1Char('\t')));
            }
        }
    }

    // Files the peer refuses but that hold a readable workbook.
    void readsWhatThePeerRefuses() {
        auto reader = createWorkbookReader();
        QCOMPARE(reader->open(TestFiles::publicFile(QStringLiteral("57456.xls"))),
                 NativeError::None);
        QCOMPARE(reader->tableNames(), QStringList{QStringLiteral("Sheet2")});
        SheetTable table;
        const CellTextFormat format{QLocale::c()};
        QCOMPARE(reader->readTable(QStringLiteral("Sheet2"), format, table), NativeError::None);
        QCOMPARE(table.columnCount(), 0);  // formatted blank cells only

        QCOMPARE(reader->open(TestFiles::publicFile(QStringLiteral("phpexcel_bad_cfb_dir.xls"))),
                 NativeError::None);
        QCOMPARE(reader->tableNames(), QStringList{QStringLiteral("Sayfa1")});
        QCOMPARE(reader->readTable(QStringLiteral("Sayfa1"), format, table), NativeError::None);
        QCOMPARE(table.rowCount, 2);
        QCOMPARE(table.headings.at(1), QStringLiteral("Dükkan No"));
        QCOMPARE(table.headings.at(3), QStringLiteral("Başlık"));
    }

    // The user's locale gives the decimal separator and the date format; the year keeps its
    // century. quarix-cli takes the locale from the environment.
    void cliTextsFollowTheLocale_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German decimal comma") << "iris-excel-xls.xls"
                                              << "de_DE.UTF-8" << 3 << "5,1\t3,5\t1,4\t0,2\tsetosa";
        QTest::newRow("German date, four-digit year") << "Formate.xls"
                                                      << "de_DE.UTF-8" << 0 << "Huber\t03.07.1907";
        QTest::newRow("US date, four-digit year") << "Formate.xls"
                                                  << "en_US.UTF-8" << 3 << "Äcker\t2/23/2005";
        QTest::newRow("C locale") << "iris-excel-xls.xls"
                                  << "C.UTF-8" << 3 << "5.1\t3.5\t1.4\t0.2\tsetosa";
    }
    void cliTextsFollowTheLocale() {
        QFETCH(QString, file);
        QFETCH(QString, locale);
        QFETCH(int, line);
        QFETCH(QString, expected);
        const auto result = TestFiles::runCli({QStringLiteral("dump"), TestFiles::publicFile(file)},
                                              {QStringLiteral("LC_ALL=") + locale});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(QString::fromUtf8(result.out).split(QLatin1Char('\n')).value(line), expected);
    }
};

QTEST_GUILESS_MAIN(TestXlsPublicFiles)
#include "tst_xlspublicfiles.moc"
