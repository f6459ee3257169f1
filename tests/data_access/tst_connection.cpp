// The connection and the data set: connection strings with awkward paths, and the four ways
// opening a source file can fail.
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/DbDataSet.h"
#include "data/access/NativeError.h"
#include "support/DbfBuilder.h"
#include "support/TestFiles.h"

namespace {

struct Outcome {
    int code = NativeError::None;
    QString cause;
    QStringList tables;
    int records = -1;
    QStringList headings;
};

// Opens a source the way the program does: list the tables, open, query the first table.
Outcome openSource(const QString& connectionString) {
    Outcome outcome;
    DbConnection connection;
    connection.setConnectionString(connectionString);
    if (!connection.listTableNames(outcome.tables) || !connection.open()) {
        outcome.code = connection.nativeError();
        outcome.cause = connection.failureCause();
        return outcome;
    }
    DbDataSet dataSet(connection);
    dataSet.setQuery("SELECT * FROM \"" + outcome.tables.value(0) + "\"");
    if (!dataSet.open()) {
        outcome.code = connection.nativeError();
        outcome.cause = connection.failureCause();
        return outcome;
    }
    outcome.records = dataSet.recordCount();
    for (int f = 0; f < dataSet.fieldCount(); ++f) outcome.headings << dataSet.fieldName(f);
    return outcome;
}

Outcome openDbf(const QString& path) {
    return openSource(dbaseSourceConnectionString(path, false));
}

}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void awkwardPathsSurviveTheConnectionString_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("blanks") << "/home/ann/My Books/Sales 2024.xls";
        QTest::newRow("semicolon") << "/data/a;b/c;d.xls";
        QTest::newRow("double quote") << "/data/\"quoted\".xls";
        QTest::newRow("equals and braces") << "/data/x=1 {y}/DBQ=z.xls";
        QTest::newRow("non-ASCII") << QString::fromUtf8("/data/Übersicht/Доходы 中文.xls");
        QTest::newRow("holds the driver text itself")
            << "/data/;Driver={Microsoft Excel Driver (*.xls)};DriverId=790;MaxBufferSize=2048;"
               "PageTimeout=5;\";Initial Catalog=/x.xls";
        QTest::newRow("backslashes") << "C:\\Data\\Book1.xls";
    }
    void awkwardPathsSurviveTheConnectionString() {
        QFETCH(QString, path);
        ConnectionTarget target = parseConnectionString(excelSourceConnectionString(path, false));
        QCOMPARE(target.kind, ConnectionKind::ExcelRead);
        QCOMPARE(target.path, path);
        target = parseConnectionString(excelSourceConnectionString(path, true));
        QCOMPARE(target.kind, ConnectionKind::ExcelReadWrite);
        QCOMPARE(target.path, path);
        target = parseConnectionString(dbaseSourceConnectionString(path, false));
        QCOMPARE(target.kind, ConnectionKind::DbaseRead);
        QCOMPARE(target.path, path);
        target = parseConnectionString(excelCreateConnectionString(path));
        QCOMPARE(target.kind, ConnectionKind::ExcelCreate);
        QCOMPARE(target.path, path);
    }

    void connectionStringsAsTheProgramWritesThem() {
        const QString path = "/tmp/Book 1.xls";
        QCOMPARE(excelSourceConnectionString(path, false),
                 QString("Provider=MSDASQL.1;Persist Security Info=False;Mode=Read;Extended "
                         "Properties=\"DBQ=/tmp/Book 1.xls;Driver={Microsoft Excel Driver "
                         "(*.xls)};DriverId=790;MaxBufferSize=2048;PageTimeout=5;\";Initial "
                         "Catalog=/tmp/Book 1.xls;"));
        QCOMPARE(excelCreateConnectionString("/tmp/R.xls"),
                 QString("Provider=MSDASQL.1;Persist Security Info=False;Extended "
                         "Properties=\"DRIVER={MICROSOFT EXCEL DRIVER (*.XLS)};DSN=';READONLY="
                         "FALSE;CREATE_DB=/tmp/R.xls;DBQ=/tmp/R.xls\";"));
        QCOMPARE(dbaseCreateConnectionString("/tmp/out/"),
                 QString("Provider=MSDASQL.1;Persist Security Info=False;Extended "
                         "Properties=\"DRIVER={MICROSOFT DBASE DRIVER (*.DBF)};DSN=';READONLY="
                         "FALSE;CREATE_DB=/tmp/out/\";"));
        QCOMPARE(parseConnectionString(dbaseCreateConnectionString("/tmp/out/")).kind,
                 ConnectionKind::DbaseCreate);
    }

    void malformedConnectionStrings_data() {
        QTest::addColumn<QString>("text");
        const QString good = excelSourceConnectionString("/tmp/a.xls", false);
        QTest::newRow("empty") << "";
        QTest::newRow("two different paths") << excelSourceConnectionString("/tmp/a.xls", false)
                                                    .replace("Catalog=/tmp/a", "Catalog=/tmp/b");
        QTest::newRow("no path") << excelSourceConnectionString("", false);
        QTest::newRow("cut short") << good.left(good.size() - 5);
        QTest::newRow("other provider") << QString(good).replace("MSDASQL.1", "Other.1");
    }
    void malformedConnectionStrings() {
        QFETCH(QString, text);
        QCOMPARE(parseConnectionString(text).kind, ConnectionKind::Invalid);
        DbConnection connection;
        connection.setConnectionString(text);
        QStringList names;
        QVERIFY(!connection.listTableNames(names));
        QVERIFY(connection.nativeError() != NativeError::None);
    }

    void tableAtAnAwkwardPathLoads() {
        const QString folder = m_dir.filePath(QString::fromUtf8("a;b \"c\" =d {e} Ü"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QString::fromUtf8("/Доходы 2024.dbf");
        QVERIFY(QFile::copy(TestFiles::publicFile("cp1251.dbf"), path));
        const Outcome outcome = openSource(dbaseSourceConnectionString(path, true));
        QCOMPARE(outcome.code, NativeError::None);
        QCOMPARE(outcome.tables, QStringList{QString::fromUtf8("Доходы 2024")});
        QCOMPARE(outcome.records, 4);
        QCOMPARE(outcome.headings, (QStringList{"RN", "NAME"}));
    }

    void unreadableFiles_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing") << "missing";
        QTest::newRow("directory") << "directory";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("no read permission") << "unreadable";
    }
    void unreadableFiles() {
        QFETCH(QString, what);
        const QString path = m_dir.filePath(what + ".dbf");
        if (what == "directory") QVERIFY(QDir().mkpath(path));
        if (what == "empty" || what == "unreadable") {
            QVERIFY(QFile::copy(TestFiles::publicFile("cp1251.dbf"), path));
            if (what == "empty") QVERIFY(QFile::resize(path, 0));
            if (what == "unreadable") {
                if (::geteuid() == 0) QSKIP("root reads every file whatever its permissions");
                QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
            }
        }
        QCOMPARE(openDbf(path).code, NativeError::Unreadable);
    }

    void officeLockFileMeansInUse() {
        const QString path = m_dir.filePath("locked.dbf");
        QVERIFY(QFile::copy(TestFiles::publicFile("cp1251.dbf"), path));
        QFile lock(m_dir.filePath(".~lock.locked.dbf#"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(",someone,host,01.01.2026 10:00,someone;\n");
        lock.close();
        QCOMPARE(openDbf(path).code, NativeError::LockedByAnotherProgram);
        QVERIFY(lock.remove());
        QCOMPARE(openDbf(path).code, NativeError::None);
    }

    void advisoryLockOfAnotherProgramMeansInUse_data() {
        QTest::addColumn<QString>("lockKind");
        QTest::newRow("flock exclusive") << "flock";
        QTest::newRow("fcntl write lock") << "fcntl";
    }
    void advisoryLockOfAnotherProgramMeansInUse() {
        QFETCH(QString, lockKind);
        QString reason;
        if (!TestFiles::systemPythonHas("fcntl", reason)) QFAIL(qPrintable(reason));
        const QString path = m_dir.filePath("held-" + lockKind + ".dbf");
        QVERIFY(QFile::copy(TestFiles::publicFile("cp1251.dbf"), path));
        // Another process takes the lock, says so, and holds it until its input closes.
        const QString script = QString(
                                   "import fcntl,sys\n"
                                   "f=open(sys.argv[1],'r+b')\n"
                                   "%1\n"
                                   "print('locked',flush=True)\n"
                                   "sys.stdin.read()\n")
                                   .arg(lockKind == "flock" ? "fcntl.flock(f,fcntl.LOCK_EX)"
                                                            : "fcntl.lockf(f,fcntl.LOCK_EX)");
        QProcess holder;
        holder.start(QStringLiteral(QUARIX_SYSTEM_PYTHON), {"-c", script, path});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));
        QCOMPARE(openDbf(path).code, NativeError::LockedByAnotherProgram);
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(openDbf(path).code, NativeError::None);
    }

    void headingsThatCannotBeColumnNames_data() {
        QTest::addColumn<QByteArrayList>("names");
        QTest::addColumn<int>("expectedCode");
        QTest::addColumn<QStringList>("expectedHeadings");
        QTest::newRow("unique") << QByteArrayList{"A", "B"} << NativeError::None
                                << QStringList{"A", "B"};
        QTest::newRow("duplicated") << QByteArrayList{"A", "B", "A"}
                                    << NativeError::TooManyOrDuplicatedFields << QStringList{};
        QTest::newRow("letter case differs: not a duplicate")
            << QByteArrayList{"Name", "NAME"} << NativeError::None << QStringList{"Name", "NAME"};
        QTest::newRow("empty heading is named after its column")
            << QByteArrayList{"A", ""} << NativeError::None << QStringList{"A", "F2"};
        QTest::newRow("named before duplicates are looked for")
            << QByteArrayList{"F2", ""} << NativeError::TooManyOrDuplicatedFields << QStringList{};
    }
    void headingsThatCannotBeColumnNames() {
        QFETCH(QByteArrayList, names);
        QFETCH(int, expectedCode);
        QFETCH(QStringList, expectedHeadings);
        DbfBuilder builder;
        for (const QByteArray& name : names) builder.fields.push_back({name, 'C', 4, 0});
        builder.records = {std::vector<QByteArray>(names.size(), "x")};
        const QString path = m_dir.filePath("headings.dbf");
        QVERIFY(builder.write(path));
        const Outcome outcome = openDbf(path);
        QCOMPARE(outcome.code, expectedCode);
        if (expectedCode == NativeError::None) QCOMPARE(outcome.headings, expectedHeadings);
    }

    void widestTable_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("expectedCode");
        QTest::newRow("255 columns load") << 255 << NativeError::None;
        QTest::newRow("256 columns are too many") << 256 << NativeError::TooManyOrDuplicatedFields;
    }
    void widestTable() {
        QFETCH(int, columns);
        QFETCH(int, expectedCode);
        DbfBuilder builder;
        for (int c = 0; c < columns; ++c)
            builder.fields.push_back({"C" + QByteArray::number(c), 'C', 2, 0});
        builder.records = {std::vector<QByteArray>(columns, "v")};
        const QString path = m_dir.filePath("wide.dbf");
        QVERIFY(builder.write(path));
        const Outcome outcome = openDbf(path);
        QCOMPARE(outcome.code, expectedCode);
        if (expectedCode == NativeError::None) QCOMPARE(outcome.headings.size(), columns);
        if (expectedCode != NativeError::None)
            QCOMPARE(outcome.cause, "256 columns, more than 255");
    }

    void publicTablesLoadOrFailWithAKnownCode_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expectedCode");
        for (const QString& name : TestFiles::publicFilesWithSuffix(".dbf")) {
            // dbase_03.dbf has two fields named Point_ID: they cannot both be column names.
            const int code =
                name == "dbase_03.dbf" ? NativeError::TooManyOrDuplicatedFields : NativeError::None;
            QTest::newRow(qPrintable(name)) << name << code;
        }
    }
    void publicTablesLoadOrFailWithAKnownCode() {
        QFETCH(QString, name);
        QFETCH(int, expectedCode);
        QCOMPARE(openDbf(TestFiles::publicFile(name)).code, expectedCode);
    }

    void queriesOtherThanSelectAllAreRefused_data() {
        QTest::addColumn<QString>("query");
        QTest::newRow("unquoted") << "SELECT * FROM cp1251";
        QTest::newRow("columns") << "SELECT RN FROM \"cp1251\"";
        QTest::newRow("unknown table") << "SELECT * FROM \"other\"";
        QTest::newRow("empty name") << "SELECT * FROM \"\"";
    }
    void queriesOtherThanSelectAllAreRefused() {
        QFETCH(QString, query);
        DbConnection connection;
        connection.setConnectionString(
            dbaseSourceConnectionString(TestFiles::publicFile("cp1251.dbf"), false));
        QVERIFY(connection.open());
        DbDataSet dataSet(connection);
        dataSet.setQuery(query);
        QVERIFY(!dataSet.open());
        QVERIFY(connection.nativeError() != NativeError::None);
        QCOMPARE(dataSet.recordCount(), 0);
        QCOMPARE(dataSet.editText(0), QString());
    }

    void openErrorMessages() {
        const QString path = "/data/Sales.xls";
        QCOMPARE(openErrorMessage(NativeError::Unreadable, path).text,
                 QString("Error opening file!"));
        QCOMPARE(openErrorMessage(NativeError::GeneralFailure, path).caption, QString("Error"));
        QCOMPARE(openErrorMessage(NativeError::PasswordProtected, path).caption,
                 QString("Message"));
        QCOMPARE(openErrorMessage(NativeError::TooManyOrDuplicatedFields, path).text,
                 QString("Cannot open /data/Sales.xls. Too many fields (more than 255) or "
                         "duplicated names."));
        QCOMPARE(
            openErrorMessage(NativeError::LockedByAnotherProgram, path).text,
            QString("Cannot open /data/Sales.xls. It is being used by another person or "
                    "program. Close any programs that might be using the file and try again."));
        QVERIFY(openErrorMessage(NativeError::TableNotFound, path).text.isEmpty());
        QVERIFY(openErrorMessage(12345, path).text.isEmpty());
        QVERIFY(!describeNativeError(12345, path).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
