// Which number formats show dates, and which day a workbook's date serial is.
#include <QDateTime>
#include <QTest>
#include <cmath>

#include "data/access/DateFormats.h"

class TestXlsDates : public QObject {
    Q_OBJECT
private slots:
    void serials_data() {
        QTest::addColumn<double>("serial");
        QTest::addColumn<bool>("dates1904");
        QTest::addColumn<bool>("isDate");
        QTest::addColumn<QDateTime>("expected");  // a time alone is given on 1899-12-30
        const auto at = [](int y, int m, int d, int h = 0, int min = 0) {
            return QDateTime(QDate(y, m, d), QTime(h, min));
        };
        QTest::newRow("1900: serial 1") << 1.0 << false << true << at(1900, 1, 1);
        QTest::newRow("1900: 28 Feb 1900") << 59.0 << false << true << at(1900, 2, 28);
        QTest::newRow("1900: phantom 29 Feb shown as the 28th")
            << 60.0 << false << true << at(1900, 2, 28);
        QTest::newRow("1900: phantom day keeps its time")
            << 60.25 << false << true << at(1900, 2, 28, 6);
        QTest::newRow("1900: 1 Mar 1900") << 61.0 << false << true << at(1900, 3, 1);
        QTest::newRow("1900: 1 Mar 2100, no leap day in 2100")
            << 73110.0 << false << true << at(2100, 3, 1);
        QTest::newRow("1900: 28 Feb 2100") << 73109.0 << false << true << at(2100, 2, 28);
        QTest::newRow("1900: 29 Feb 2000") << 36585.0 << false << true << at(2000, 2, 29);
        QTest::newRow("1900: 31 Dec 9999") << 2958465.0 << false << true << at(9999, 12, 31);
        QTest::newRow("1900: 31 Dec 9999 23:59")
            << 2958465.999 << false << true << at(9999, 12, 31, 23, 58);
        QTest::newRow("1900: past 9999") << 2958466.0 << false << false << QDateTime();
        QTest::newRow("1900: negative") << -0.5 << false << false << QDateTime();
        QTest::newRow("1900: not a number") << std::nan("") << false << false << QDateTime();
        QTest::newRow("1900: a time alone") << 0.5 << false << true << at(1899, 12, 30, 12);
        QTest::newRow("1900: serial 0, the day before 1 Jan 1900")
            << 0.0 << false << true << at(1899, 12, 31);
        QTest::newRow("1904: serial 0") << 0.0 << true << true << at(1904, 1, 1);
        QTest::newRow("1904: serial 1") << 1.0 << true << true << at(1904, 1, 2);
        QTest::newRow("1904: 29 Feb 1904") << 59.0 << true << true << at(1904, 2, 29);
        QTest::newRow("1904: 1 Jan 2000") << 35064.0 << true << true << at(2000, 1, 1);
        QTest::newRow("1904: 31 Dec 9999") << 2957003.0 << true << true << at(9999, 12, 31);
        QTest::newRow("1904: past 9999") << 2957004.0 << true << false << QDateTime();
        QTest::newRow("1904: a time alone") << 0.25 << true << true << at(1899, 12, 30, 6);
    }
    void serials() {
        QFETCH(double, serial);
        QFETCH(bool, dates1904);
        QFETCH(bool, isDate);
        QFETCH(QDateTime, expected);
        double days = 0;
        QCOMPARE(DateFormats::serialToDays(serial, dates1904, days), isDate);
        if (!isDate) return;
        const QDateTime dayZero(QDate(1899, 12, 30), QTime(0, 0));
        const double expectedDays =
            dayZero.daysTo(expected) + expected.time().msecsSinceStartOfDay() / 86400000.0;
        QVERIFY2(std::abs(days - expectedDays) < 60.0 / 86400,
                 qPrintable(QString::number(days, 'f', 6)));
    }

    void formatCodes_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("isDate");
        QTest::newRow("ISO date") << "yyyy-mm-dd" << true;
        QTest::newRow("upper case") << "DD.MM.YYYY" << true;
        QTest::newRow("month and year") << "mmm-yy" << true;
        QTest::newRow("time") << "h:mm:ss AM/PM" << true;
        QTest::newRow("elapsed hours") << "[h]:mm" << true;
        QTest::newRow("elapsed seconds") << "[ss]" << true;
        QTest::newRow("locale prefix then date") << "[$-F800]dddd, mmmm dd, yyyy" << true;
        QTest::newRow("colour then date") << "[Red]d/m/yy" << true;
        QTest::newRow("East-Asian date with quoted characters")
            << "yyyy\"年\"m\"月\"d\"日\"" << true;
        QTest::newRow("General") << "General" << false;
        QTest::newRow("quoted letters") << "0.0 \"dm\"" << false;
        QTest::newRow("quoted unit") << "#,##0 \"days\"" << false;
        QTest::newRow("escaped letter") << "0.00\\h" << false;
        QTest::newRow("colour and condition") << "[Red][>=100]0.00;[Blue]0" << false;
        QTest::newRow("currency in brackets") << "#,##0.00 [$EUR]" << false;
        QTest::newRow("accounting with padding")
            << "_-* #,##0.00_-;-* #,##0.00_-;_-* \"-\"??_-;_-@_-" << false;
        QTest::newRow("padding by a date letter") << "0_d" << false;
        QTest::newRow("fill by a date letter") << "*s0" << false;
        QTest::newRow("scientific") << "0.00E+00" << false;
        QTest::newRow("percent") << "0%" << false;
        QTest::newRow("text") << "@" << false;
        QTest::newRow("unclosed quote") << "0 \"dm" << false;
    }
    void formatCodes() {
        QFETCH(QString, code);
        QFETCH(bool, isDate);
        QCOMPARE(DateFormats::isDateFormatCode(code), isDate);
    }

    void builtInFormats_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("isDate");
        for (int i : {14, 17, 22, 27, 36, 45, 47, 50, 58}) QTest::addRow("%d", i) << i << true;
        for (int i : {0, 2, 13, 23, 26, 37, 44, 48, 49, 59, 164})
            QTest::addRow("%d", i) << i << false;
    }
    void builtInFormats() {
        QFETCH(int, index);
        QFETCH(bool, isDate);
        QCOMPARE(DateFormats::isBuiltInDateFormat(index), isDate);
    }
};

QTEST_GUILESS_MAIN(TestXlsDates)
#include "tst_xlsdates.moc"
