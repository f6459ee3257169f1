// What the wizard's numeric checks and the Totals function take for a number.
#include <QTest>

#include "processing/NumberText.h"

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void numberTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<bool>("isNumberText");
        QTest::addColumn<bool>("twoPoints");
        const QChar point('.');
        const QChar comma(',');
        QTest::newRow("point") << "1.5" << point << true << false;
        QTest::newRow("comma in a comma locale") << "1,5" << comma << true << false;
        QTest::newRow("comma in a point locale") << "1,5" << point << false << false;
        QTest::newRow("point in a comma locale") << "1.5" << comma << false << false;
        QTest::newRow("1,5,0") << "1,5,0" << comma << false << true;
        QTest::newRow("1.5.0") << "1.5.0" << point << false << true;
        QTest::newRow("mixed 1,5.0") << "1,5.0" << comma << false << true;
        QTest::newRow("thousands 1.000,5") << "1.000,5" << comma << false << true;
        QTest::newRow("blanks and sign") << "  -12.5  " << point << true << false;
        QTest::newRow("tab is not a blank") << "\t1" << point << false << false;
        QTest::newRow("plus") << "+7" << point << true << false;
        QTest::newRow("exponent") << "1.5E+3" << point << true << false;
        QTest::newRow("small exponent") << "2e-7" << point << true << false;
        QTest::newRow("exponent without digits") << "1e" << point << false << false;
        QTest::newRow("exponent alone") << "e5" << point << false << false;
        QTest::newRow("leading separator") << ".5" << point << true << false;
        QTest::newRow("trailing separator") << "5," << comma << true << false;
        QTest::newRow("empty") << "" << point << false << false;
        QTest::newRow("blanks only") << "   " << point << false << false;
        QTest::newRow("sign only") << "-" << point << false << false;
        QTest::newRow("two signs") << "--1" << point << false << false;
        QTest::newRow("inner blank") << "1 000" << point << false << false;
        QTest::newRow("letters") << "12ab" << point << false << false;
        QTest::newRow("hexadecimal") << "0x10" << point << false << false;
        QTest::newRow("infinity") << "inf" << point << false << false;
        QTest::newRow("arabic-indic digits")
            << QString::fromUtf8("\u0661\u0662") << point << false << false;
    }
    void numberTexts() {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(bool, isNumberText);
        QFETCH(bool, twoPoints);
        QCOMPARE(IsNumberText(text, separator), isNumberText);
        QCOMPARE(HasTwoDecimalPoints(text), twoPoints);
        QCOMPARE(IsNumberValue(text, separator), isNumberText && !twoPoints);
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
