// quarix-cli run: the grid it prints is the grid the Run command fills for the same
// configuration, and each way a run can end has its exit status and message.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "conditions/ConditionPanels.h"
#include "data/SlotLoading.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"
#include "support/TestFiles.h"

class TestCliRun : public QObject {
    Q_OBJECT
private:
    const QString iris = TestFiles::publicFile("iris-excel-xls.xls");
    QTemporaryDir dir;

private slots:
    void printsTheGridTheRunFills() {
        const auto result =
            TestFiles::runCli({"run", iris, "--function", "totals", "--group", "Species", "--value",
                               "Petal.Width", "--kind", "max"},
                              {"LC_ALL=C.UTF-8"});
        QCOMPARE(result.exitCode, 0);

        QCOMPARE(LoadSlotFromFile(File1, iris, {}, false, nullptr).status, SlotLoad::Loaded);
        FillColumnLists();
        FunctionIndex = 4;
        ColumnToProcess = 4;
        TotalsColumn = 3;
        TotalsKind = 2;
        ShowLoadedData = false;
        QCOMPARE(RunCommand(), RunOutcome::Result);
        QByteArray expected;
        for (int r = 0; r < ResultGrid.rows(); ++r) {
            QStringList line;
            for (int c = 0; c < ResultGrid.columns(); ++c) line << ResultGrid.textMatrix(r, c);
            expected += line.join('\t').toUtf8() + '\n';
        }
        QCOMPARE(result.out, expected);
        QVERIFY(result.out.startsWith("\tSpecies\tPetal.Width,Max\tRecords\t"));
        UnloadFile(File1);
    }

    void savesWithOut() {
        const QString out = dir.filePath("totals.xls");
        QFile old(out);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        const QStringList totals{"run",     iris,      "--function",  "totals", "--group",
                                 "Species", "--value", "Petal.Width", "--kind", "sum"};
        // An existing file is refused, as convert refuses it, unless --force is given.
        auto result = TestFiles::runCli(totals + QStringList{"--out", out}, {"LC_ALL=C.UTF-8"});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.err.startsWith("error -3506: "));
        QCOMPARE(QFileInfo(out).size(), 3);
        result =
            TestFiles::runCli(totals + QStringList{"--out", out, "--force"}, {"LC_ALL=C.UTF-8"});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.isEmpty());
        QVERIFY(QFileInfo(out).size() > 3);  // replaced by the result
        const auto dumped = TestFiles::runCli({"dump", out}, {"LC_ALL=C.UTF-8"});
        QVERIFY(dumped.out.startsWith("Species\tPetal.Width,totals\tRecords\t"));
        // The type follows OUT's extension.
        result = TestFiles::runCli(totals + QStringList{"--out", dir.filePath("totals.XLSX")},
                                   {"LC_ALL=C.UTF-8"});
        QCOMPARE(result.exitCode, 0);
        QFile workbook(dir.filePath("totals.XLSX"));
        QVERIFY(workbook.open(QIODevice::ReadOnly));
        QCOMPARE(workbook.read(2), QByteArray("PK"));
        // A loaded source is refused.
        result = TestFiles::runCli(totals + QStringList{"--out", iris}, {"LC_ALL=C.UTF-8"});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.err.contains("is open as a source file"));
    }

    void outcomes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString copy = dir.filePath("iris copy.xls");
        QFile::copy(iris, copy);
        QTest::newRow("nothing found") << QStringList{"--function", "filter", "--column", "Species",
                                                      "--op1",      "eq",     "--value1", "x"}
                                       << 1 << "No data matching your query found!";
        QTest::newRow("the wizard's check")
            << QStringList{"--function", "multifilter", "--column1", "Species",
                           "--op1",      "eq",          "--column2", "Sepal.Width"}
            << 2 << "Please, select the second function!";
        QTest::newRow("a number operator on a text column")
            << QStringList{"--function", "filter", "--column", "Species",
                           "--op1",      "gt",     "--value1", "1"}
            << 2 << "This function requires numeric field type!";
        QTest::newRow("File 2 missing comes first")
            << QStringList{"--function", "filter", "--target", "2"} << 2 << "Please load File 2";
        QTest::newRow("unique values always needs File 2")
            << QStringList{"--function", "unique", "--column", "Species"} << 2
            << "Please load File 2";
        QTest::newRow("unique values of two equal files")
            << QStringList{"--function", "unique", "--file2",  copy,
                           "--target",   "both",   "--column", "Species"}
            << 1 << "No data matching your query found!";
        QTest::newRow("a value column that is not a number")
            << QStringList{"--function", "totals", "--group", "Sepal.Width", "--value", "Species"}
            << 2 << "Please select the second column for processing!!";
        QTest::newRow("both files for duplicates")
            << QStringList{"--function", "duplicates", "--target", "both"} << 64 << "";
        QTest::newRow("unknown operator")
            << QStringList{"--function", "filter", "--op1", "like"} << 64 << "";
        QTest::newRow("unknown column")
            << QStringList{"--function", "duplicates", "--column", "Colour"} << 64 << "";
        QTest::newRow("an option of another panel")
            << QStringList{"--function", "sort", "--column", "Species"} << 64 << "";
    }
    void outcomes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const auto result =
            TestFiles::runCli(QStringList{"run", iris} + arguments, {"LC_ALL=C.UTF-8"});
        QCOMPARE(result.exitCode, exitCode);
        if (exitCode != 0) QVERIFY(result.out.isEmpty());
        if (!message.isEmpty()) QCOMPARE(QString::fromUtf8(result.err).trimmed(), message);
    }
};

QTEST_GUILESS_MAIN(TestCliRun)
#include "tst_clirun.moc"
