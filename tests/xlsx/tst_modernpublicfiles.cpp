// Every public .xlsx, .xlsm and .ods file, read by our readers against what its truth file says
// (the truth is moved onto our table's range as for .xls, see XlsTruth).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTest>

#include "../xls/XlsTruth.h"
#include "data/access/CellText.h"
#include "data/access/NativeError.h"
#include "data/access/ods/OdsReader.h"
#include "data/access/xlsx/XlsxReader.h"
#include "support/TestFiles.h"

namespace {

int expectedOpenCode(const QString& file) {
    // An encrypted package: a compound file holding EncryptionInfo and EncryptedPackage.
    if (file == QLatin1String("protect.xlsx")) return NativeError::PasswordProtected;
    // Cut off without its central directory, which libgsf needs to find any part.
    if (file.startsWith(QLatin1String("clusterfuzz-"))) return NativeError::Unreadable;
    return NativeError::None;
}

}  // namespace

class TestModernPublicFiles : public QObject {
    Q_OBJECT
private slots:
    void readerMatchesTruth_data() {
        QTest::addColumn<QString>("file");
        QStringList files;
        for (const char* suffix : {".xlsx", ".xlsm", ".ods"}) {
            files << TestFiles::publicFilesWithSuffix(QLatin1String(suffix));
        }
        QCOMPARE(files.size(), 13);
        for (const QString& file : files) QTest::newRow(qPrintable(file)) << file;
    }
    void readerMatchesTruth() {
        QFETCH(QString, file);
        const QJsonObject truth = TestFiles::truthOf(file);
        QVERIFY2(!truth.isEmpty(), "no truth file");
        // The connection picks the reader by content; here the encrypted package goes to the
        // reader that meets compound files.
        const bool compound = TestFiles::publicFile(file).endsWith(QLatin1String("protect.xlsx"));
        auto reader = file.endsWith(QLatin1String(".ods")) ? createOdsReader()
                      : compound                           ? createWorkbookReader()
                                                           : createXlsxReader();
        const int code = reader->open(TestFiles::publicFile(file));
        QCOMPARE(code, expectedOpenCode(file));
        if (code != NativeError::None) {
            QVERIFY(reader->tableNames().isEmpty());
            return;
        }

        QStringList names;
        for (const QJsonValue& name : truth.value(QLatin1String("sheet_names")).toArray()) {
            names << name.toString();
        }
        QCOMPARE(reader->tableNames(), names);

        compareWithTruth(*reader, truth);
    }

    // The program picks the reader by what a file holds: each kind reaches its reader through
    // the connection, whatever the file's name says.
    void connectionChoosesByContent_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("ods") << "SampleSS.ods" << QByteArray("First Sheet\nSheet Number 2\n");
        QTest::newRow("xlsm") << "SimpleMacro.xlsm" << QByteArray("Sheet1\nSheet2\n");
        QTest::newRow("encrypted xlsx") << "protect.xlsx" << QByteArray("error -5005:");
        QTest::newRow("truncated zip")
            << "clusterfuzz-testcase-minimized-POIXSSFFuzzer-6419366255919104.xlsx"
            << QByteArray("error -5015:");
    }
    void connectionChoosesByContent() {
        QFETCH(QString, file);
        QFETCH(QByteArray, expected);
        // Under a name that says .xls.
        const QString path = QDir::temp().filePath(
            QStringLiteral("quarix-modern-%1.xls").arg(QCoreApplication::applicationPid()));
        QFile::remove(path);
        QVERIFY(QFile::copy(TestFiles::publicFile(file), path));
        const auto result = TestFiles::runCli({QStringLiteral("tables"), path});
        QFile::remove(path);
        QVERIFY2(result.out.startsWith(expected) || result.err.startsWith(expected),
                 result.out + result.err);
    }
};

QTEST_GUILESS_MAIN(TestModernPublicFiles)
#include "tst_modernpublicfiles.moc"
