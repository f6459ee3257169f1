// Which values of a number column are numbers: as the user's locale writes them, and nothing
// the locale itself would not read.
#include <QTest>

#include "data/access/writers/ResultNumbers.h"

class TestResultNumbers : public QObject {
    Q_OBJECT
private:
    const QStringList m_locales{"C",     "en_US", "de_DE", "fr_FR", "sv_SE",
                                "de_CH", "ar_EG", "fa_IR", "hi_IN"};

private slots:
    void readsAsTheLocaleDoes_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        const QStringList texts{"12",     "-12",    "+12",   "12.5",  "12,5",    "-0,25", " 7 ",
                                "1e3",    "1,5E-3", "1.234", "1,234", "1.234,5", "1 234", ".5",
                                ",5",     "5.",     "5,",    "1e",    "e5",      "--1",   "1-",
                                "0x10",   "inf",    "nan",   "1e999", "",        " ",     "abc",
                                "12.5.1", "−3",     "٣٫٥",   "١٢"};
        for (const QString& locale : m_locales) {
            for (const QString& text : texts) {
                QTest::newRow(qPrintable(locale + " '" + text + "'")) << locale << text;
            }
            // The locale's own way of writing numbers always reads back.
            const QLocale l(locale);
            for (double value : {-1234.5, 0.001, 42.0, -1e-7}) {
                const QString text = l.toString(value, 'g', 15);
                QTest::newRow(qPrintable(locale + " written " + text)) << locale << text;
            }
        }
    }
    void readsAsTheLocaleDoes() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QLocale reference(locale);
        reference.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        const double expected = reference.toDouble(text, &ok);
        const std::optional<double> read = ResultNumberReader(QLocale(locale)).read(text);
        if (!ok || !std::isfinite(expected)) {
            QVERIFY2(!read, qPrintable(QString("read as %1").arg(read.value_or(0))));
        } else {
            QVERIFY2(read, "not read as a number");
            QCOMPARE(*read, expected);
        }
    }

    void dbaseNumberTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("integer") << 120.0 << QByteArray("120");
        QTest::newRow("negative fraction") << -0.25 << QByteArray("-0.25");
        QTest::newRow("the shortest digits") << 0.1 << QByteArray("0.1");
        QTest::newRow("small, no exponent") << 1e-5 << QByteArray("0.00001");
        QTest::newRow("large, no exponent") << 1e20 << QByteArray("100000000000000000000");
        QTest::newRow("minus zero") << -0.0 << QByteArray("0");
    }
    void dbaseNumberTexts() {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QCOMPARE(dbaseNumberText(value), text);
    }
};

QTEST_GUILESS_MAIN(TestResultNumbers)
#include "tst_resultnumbers.moc"
