#include <QTest>

#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"

class TestPathHelpers : public QObject {
    Q_OBJECT
private slots:
    void fileExtension_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("upper-case XLS") << "/home/ann/REPORT.XLS" << "xls";
        QTest::newRow("no dot: whole path, lower case") << "/Home/Ann/Report" << "/home/ann/report";
        QTest::newRow("last dot wins") << "/data/archive.2024.dbf" << "dbf";
        QTest::newRow("dot in folder only") << "/data.d/file" << "d/file";
        QTest::newRow("backslashes") << "C:\\Data\\Book.Xls" << "xls";
        QTest::newRow("empty") << "" << "";
    }
    void fileExtension() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(FileExtension(path), expected);
    }

    void splitting_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("nameOnly");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("tableName");
        QTest::newRow("slashes") << "/home/ann/Result.dbf" << "Result.dbf" << "/home/ann/" << "Result";
        QTest::newRow("backslashes") << "C:\\out\\Result.dbf" << "Result.dbf" << "C:\\out\\"
                                     << "Result";
        QTest::newRow("mixed, last separator wins")
            << "C:\\out/sub\\Sales 2024.dbf" << "Sales 2024.dbf" << "C:\\out/sub\\" << "Sales 2024";
        QTest::newRow("no folder") << "Result.dbf" << "Result.dbf" << "" << "Result";
        QTest::newRow("blanks trimmed before the extension is cut")
            << "/tmp/  Result.dbf  " << "  Result.dbf  " << "/tmp/" << "Result";
        QTest::newRow("name shorter than an extension") << "/tmp/a.b" << "a.b" << "/tmp/" << "";
        QTest::newRow("non-ASCII") << "/tmp/Übersicht ÄÖ.dbf" << "Übersicht ÄÖ.dbf" << "/tmp/"
                                   << "Übersicht ÄÖ";
        QTest::newRow("trailing separator") << "/tmp/dir/" << "" << "/tmp/dir/" << "";
    }
    void splitting() {
        QFETCH(QString, path);
        QFETCH(QString, nameOnly);
        QFETCH(QString, folder);
        QFETCH(QString, tableName);
        QCOMPARE(FileNameOnly(path), nameOnly);
        QCOMPARE(FolderOf(path), folder);
        QCOMPARE(TableNameOf(path), tableName);
    }

    void historyKeepsFirstOccurrenceOnly() {
        std::vector<clValues> history;
        AddToHistory(history, "/data/a.xls");
        AddToHistory(history, "/data/b.xls");
        AddToHistory(history, "/data/a.xls");
        AddToHistory(history, "/data/A.xls");  // letter case makes another entry
        QCOMPARE(history.size(), std::size_t(3));
        QCOMPARE(history[0].Value, QString("/data/a.xls"));
        QCOMPARE(history[1].Value, QString("/data/b.xls"));
        QCOMPARE(history[2].Value, QString("/data/A.xls"));
    }
};

QTEST_GUILESS_MAIN(TestPathHelpers)
#include "tst_pathhelpers.moc"
