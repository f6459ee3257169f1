// Which values of a number column are numbers: as the user's locale writes them or as the data
// layer renders number cells, and nothing else.
#include <QRegularExpression>
#include <QTest>

#include "data/access/CellText.h"
#include "data/access/ResultNumbers.h"

#include <cmath>

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
        double expected = reference.toDouble(text, &ok);
        // Besides what the locale reads: ASCII digits, signs and "e" with the locale's decimal
        // separator, the way the data layer renders number cells.
        const QRegularExpression plain(
            "^[-+]?([0-9]+(" + QRegularExpression::escape(QLocale(locale).decimalPoint()) +
            "[0-9]*)?|" + QRegularExpression::escape(QLocale(locale).decimalPoint()) +
            "[0-9]+)([eE][-+]?[0-9]+)?$");
        if (!ok && plain.match(text.trimmed()).hasMatch()) {
            expected =
                QString(text.trimmed()).replace(QLocale(locale).decimalPoint(), ".").toDouble(&ok);
        }
        const std::optional<double> read = ResultNumberReader(QLocale(locale)).read(text);
        if (!ok || !std::isfinite(expected)) {
            QVERIFY2(!read, qPrintable(QString("read as %1").arg(read.value_or(0))));
        } else {
            QVERIFY2(read, "not read as a number");
            QCOMPARE(*read, expected);
        }
    }

    // The grid shows number cells as the data layer renders them; a save must read every one
    // of them back as the number it was.
    void cellTextsReadBack_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        for (const QString& locale : m_locales) {
            for (double value : {-1234.5, 0.1, 1e20, -3.5e-12, 1.0 / 3, 42.0, 1029.47}) {
                QTest::newRow(qPrintable(QString("%1 %2").arg(locale).arg(value)))
                    << locale << value;
            }
        }
    }
    void cellTextsReadBack() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        const CellTextFormat format{QLocale(locale)};
        const ResultNumberReader reader{QLocale(locale)};
        const QString text = format.floatText(value);
        const std::optional<double> read = reader.read(text);
        QVERIFY2(read, qPrintable(text));
        QCOMPARE(*read, QString::number(value, 'g', 15).toDouble());
        if (value == std::floor(value) && std::abs(value) < 1e15) {
            QCOMPARE(reader.read(format.integerText(value)).value_or(-1), value);
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
