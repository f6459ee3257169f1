// Cell texts: every text of the public workbooks and tables as the program has always shown it
// (recorded in tests/data/golden in a German and a US locale), and the fast number and date
// writers against QLocale in every locale Qt knows.
#include <QDate>
#include <QFile>
#include <QTest>
#include <cmath>
#include <cstring>
#include <random>

#include "data/access/CellText.h"
#include "support/TestFiles.h"

namespace {

// What quarix-cli printed for every table of a file: "== NAME", then its dump (without the note of
// a check the window would refuse the table with).
QByteArray dumpOfEveryTable(const QString& path, const QString& locale) {
    const QStringList environment{"LC_ALL=" + locale + ".UTF-8", "LANG=" + locale + ".UTF-8"};
    const auto tables = TestFiles::runCli({"tables", path}, environment);
    QByteArray dump = tables.err;
    for (const QByteArray& name : tables.out.split('\n')) {
        if (name.isEmpty()) continue;
        const auto table =
            TestFiles::runCli({"dump", path, "--table", QString::fromUtf8(name)}, environment);
        QByteArray err = table.err;
        if (err.startsWith("note: ")) err = err.mid(err.indexOf('\n') + 1);
        dump += "== " + name + '\n' + table.out + err;
    }
    return dump;
}

}  // namespace

class TestCellTexts : public QObject {
    Q_OBJECT
private slots:
    void publicFilesShowTheirRecordedTexts_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("locale");
        QStringList files;
        for (const char* suffix : {".xls", ".XLS", ".dbf"}) {
            files += TestFiles::publicFilesWithSuffix(suffix);
        }
        QVERIFY(files.size() >= 25);
        for (const QString& file : files) {
            for (const char* locale : {"de_DE", "en_US"}) {
                QTest::addRow("%s %s", qPrintable(file), locale) << file << locale;
            }
        }
    }
    void publicFilesShowTheirRecordedTexts() {
        QFETCH(QString, file);
        QFETCH(QString, locale);
        QFile golden(QStringLiteral(QUARIX_TESTS_DIR "/data/golden/%1.%2.txt").arg(file, locale));
        QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(golden.fileName()));
        const QByteArray expected = golden.readAll();
        QByteArray actual = dumpOfEveryTable(TestFiles::publicFile(file), locale);
        // The recording names the files by their path in the source tree.
        actual.replace(TestFiles::publicDir().toUtf8() + '/', "tests/data/public/");
        const QList<QByteArray> want = expected.split('\n'), got = actual.split('\n');
        for (int line = 0; line < std::max(want.size(), got.size()); ++line) {
            QVERIFY2(want.value(line) == got.value(line),
                     qPrintable(QStringLiteral("line %1: %2 instead of %3")
                                    .arg(line + 1)
                                    .arg(QString::fromUtf8(got.value(line)),
                                         QString::fromUtf8(want.value(line)))));
        }
    }

    // The compiled date and time patterns write what QLocale writes, in every locale.
    void compiledPatternsMatchQLocale() {
        const QList<QLocale> locales = QLocale::matchingLocales(
            QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        QVERIFY(locales.size() > 100);
        const QDate dates[] = {QDate(1900, 1, 1), QDate(1904, 2, 29),  QDate(1999, 12, 31),
                               QDate(2024, 7, 4), QDate(9999, 12, 31), QDate(1, 1, 1)};
        const int seconds[] = {0, 1, 3599, 12 * 3600, 13 * 3600 + 61, 86399};
        for (const QLocale& locale : locales) {
            // The patterns as the locale gives them, and as cells use them: four-digit years,
            // no time zone.
            const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
            const QString longTime = locale.timeFormat(QLocale::LongFormat);
            for (const QString& pattern :
                 {shortDate, locale.dateFormat(QLocale::LongFormat),
                  shortDate.contains("yyyy") ? shortDate
                                             : QString(shortDate).replace("yy", "yyyy")}) {
                const CompiledDateTimeFormat date(locale, pattern,
                                                  CompiledDateTimeFormat::Kind::Date);
                for (const QDate& day : dates) {
                    QString text;
                    date.append(day, 0, text);
                    QCOMPARE(text, locale.toString(day, pattern));
                }
            }
            for (const QString& pattern : {locale.timeFormat(QLocale::ShortFormat), longTime,
                                           QString(longTime).remove('t').trimmed()}) {
                const CompiledDateTimeFormat time(locale, pattern,
                                                  CompiledDateTimeFormat::Kind::Time);
                for (const int second : seconds) {
                    QString text;
                    time.append(QDate(), second, text);
                    QCOMPARE(text, locale.toString(QTime(0, 0).addSecs(second), pattern));
                }
            }
        }
    }

    // Numbers in the general format with 15 significant digits, as QString::number writes them,
    // with the locale's decimal separator; halfway cases included.
    void floatTextsMatchQt() {
        const CellTextFormat point{QLocale::c()};
        const CellTextFormat comma{QLocale(QLocale::German, QLocale::Germany)};
        std::mt19937_64 random(11);
        for (int i = 0; i < 200000; ++i) {
            double value = 0;
            switch (i % 4) {
                case 0: {
                    const std::uint64_t bits = random();
                    std::memcpy(&value, &bits, sizeof value);
                    break;
                }
                case 1:
                    value = double(std::int64_t(random() % 20000000000000000)) / 2;
                    break;
                case 2:
                    value = double(std::int64_t(random() % 2000000)) / 100 - 10000;
                    break;
                default:
                    value = std::ldexp(double(random() % 100000), int(random() % 200) - 100);
            }
            if (std::isnan(value)) continue;
            QString expected = QString::number(value, 'g', 15);
            if (value == 0) expected = "0";
            QCOMPARE(point.floatText(value), expected);
            QCOMPARE(comma.floatText(value), expected.replace('.', ','));
        }
    }
};

QTEST_GUILESS_MAIN(TestCellTexts)
#include "tst_celltexts.moc"
