// Result files that cannot be written: a clear failure code, no partial file where the target
// was, and no other file touched.
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "WriterTestSupport.h"
#include "data/access/AtomicFile.h"
#include "data/access/ConnectionString.h"
#include "data/access/DbConnection.h"
#include "data/access/NativeError.h"

namespace {

const QByteArray kOtherContent = "not to be touched";

enum class Stage { Open, CreateTable, Close };

// A filter that lets the first `passing` files through whole and fails every later one at once.
WriteDeviceFilter failFromFile(int passing) {
    auto count = std::make_shared<int>(0);
    return [count, passing](QIODevice& file) -> std::unique_ptr<QIODevice> {
        return std::make_unique<WriterTest::FailingDevice>(
            file, (*count)++ < passing ? std::numeric_limits<qint64>::max() : 0);
    };
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

Q_DECLARE_METATYPE(Stage)

class TestResultFailures : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QFile other(m_dir.filePath("other.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(kOtherContent);
        other.close();
        QVERIFY(QDir(m_dir.path()).mkdir("folder.xls"));
        QVERIFY(QDir(m_dir.path()).mkdir("folder.dbf"));
        QFile existing(m_dir.filePath("existing.xls"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("the user's workbook");
        existing.close();
        QVERIFY(QFile::copy(existing.fileName(), m_dir.filePath("existing.dbf")));
        QVERIFY(QFile::copy(existing.fileName(), m_dir.filePath("existing.csv")));
    }

    // The statements are: CREATE TABLE NAME([Name] TEXT ,[Amount] REAL ) and enough rows that a
    // full disk strikes at close.
    void failures_data() {
        QTest::addColumn<bool>("excel");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");        // file name (Excel) or table name (dBase)
        QTest::addColumn<int>("failAfterFiles");  // -1: no write fails
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<int>("code");
        const QString here = m_dir.path() + "/";
        for (const bool excel : {true, false}) {
            const QString kind = excel ? "workbook: " : "dBase: ";
            const QString ext = excel ? ".xls" : "";
            QTest::newRow(qPrintable(kind + "a folder that does not exist"))
                << excel << here + "missing/"
                << "result" + ext << -1 << Stage::Open << NativeError::CannotCreateFile;
            QTest::newRow(qPrintable(kind + "a folder nothing can be created in"))
                << excel << "/proc/"
                << "result" + ext << -1 << Stage::Open << NativeError::CannotCreateFile;
            QTest::newRow(qPrintable(kind + "a file name that is a folder"))
                << excel << here << "folder" + ext << -1
                << (excel ? Stage::Open : Stage::CreateTable) << NativeError::CannotCreateFile;
            QTest::newRow(qPrintable(kind + "a target that exists"))
                << excel << here << "existing" + ext << -1
                << (excel ? Stage::Open : Stage::CreateTable) << NativeError::TargetExists;
            QTest::newRow(qPrintable(kind + "a full disk when the table is written"))
                << excel << here << "full" + ext << (excel ? 1 : 0) << Stage::Close
                << NativeError::WriteFailed;
        }
        QTest::newRow("workbook: a full disk when the empty workbook is made")
            << true << here << "full.xls" << 0 << Stage::Open << NativeError::WriteFailed;
        // A .csv file is created as a workbook is; its rows reach the disk as they come.
        QTest::newRow("csv: a target that exists")
            << true << here << "existing.csv" << -1 << Stage::Open << NativeError::TargetExists;
        QTest::newRow("csv: a full disk when the rows are written")
            << true << here << "full.csv" << 1 << Stage::Close << NativeError::WriteFailed;
        QTest::newRow("dBase: a full disk when the code page file is written")
            << false << here << "full" << 1 << Stage::Close << NativeError::WriteFailed;
    }
    void failures() {
        QFETCH(bool, excel);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(int, failAfterFiles);
        QFETCH(Stage, stage);
        QFETCH(int, code);
        const QString target = folder + (excel ? name : name + ".dbf");
        const bool existed = QFileInfo::exists(target);
        const QByteArray before = contentOf(target);
        const QStringList entries = WriterTest::folderEntries(m_dir.path());

        DbConnection connection;
        connection.setConnectionString(excel ? excelCreateConnectionString(target)
                                             : dbaseCreateConnectionString(folder));
        if (failAfterFiles >= 0) connection.setWriteDeviceFilter(failFromFile(failAfterFiles));
        const bool opened = connection.open();
        QCOMPARE(opened, stage != Stage::Open);
        if (opened) {
            const bool created =
                connection.execute("CREATE TABLE " + (excel ? QString("Result") : name) +
                                   "([Name] TEXT ,[Amount] REAL )");
            QCOMPARE(created, stage != Stage::CreateTable);
            // A text outside cp1252, so that a dBase table also needs its .cpg file.
            for (int r = 0; created && r < 2000; ++r) {
                QVERIFY(connection.execute(
                    QString("INSERT INTO %1 ([Name],[Amount]) VALUES ('日本 %2','%2.5')")
                        .arg(excel ? "Result" : name)
                        .arg(r)));
            }
            QCOMPARE(connection.close(), stage != Stage::Close);
        }
        QCOMPARE(connection.nativeError(), code);

        // No temporary file is left, nothing else is touched, and the target is as before,
        // except for the empty workbook (or .csv file) that opening a workbook connection makes.
        QStringList expected = entries;
        if (excel && stage == Stage::Close && !existed) {
            expected << name;
            expected.sort();
            if (name.endsWith(".csv")) {
                QCOMPARE(contentOf(target), QByteArray());
            } else {
                const QJsonObject book = WriterTest::readWithXlrd(target);
                QVERIFY2(!book.contains("error"), qPrintable(book["error"].toString()));
                QCOMPARE(book["nrows"].toInt(), 0);
            }
        } else if (!QFileInfo(target).isDir()) {
            QCOMPARE(contentOf(target), before);
        }
        QCOMPARE(WriterTest::folderEntries(m_dir.path()), expected);
        QCOMPARE(contentOf(m_dir.filePath("other.txt")), kOtherContent);
        QFile::remove(m_dir.filePath("full.xls"));
        QFile::remove(m_dir.filePath("full.csv"));
    }

    // A caller that gives a result up (a cancelled save, a refused row) is left with no file.
    void abandonLeavesNothing_data() {
        QTest::addColumn<QString>("file");  // empty: a dBase table
        QTest::newRow("workbook") << "given-up.xls";
        QTest::newRow("csv") << "given-up.csv";
        QTest::newRow("dBase") << "";
    }
    void abandonLeavesNothing() {
        QFETCH(QString, file);
        const bool excel = !file.isEmpty();
        const QStringList before = WriterTest::folderEntries(m_dir.path());
        DbConnection connection;
        connection.setConnectionString(excel ? excelCreateConnectionString(m_dir.filePath(file))
                                             : dbaseCreateConnectionString(m_dir.path() + "/"));
        QVERIFY(connection.open());
        const QString table = excel ? "Result" : "given-up";
        QVERIFY(connection.execute("CREATE TABLE " + table + "([a] TEXT )"));
        QVERIFY(connection.execute("INSERT INTO " + table + " ([a]) VALUES ('日本')"));
        connection.abandon();
        QCOMPARE(WriterTest::folderEntries(m_dir.path()), before);
        QVERIFY(!connection.execute("INSERT INTO " + table + " ([a]) VALUES ('x')"));
    }

    void readOnlyFolder() {
        if (::geteuid() == 0) QSKIP("root writes into read-only folders; /proc covers this case");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        DbConnection excel, dbase;
        excel.setConnectionString(excelCreateConnectionString(dir.filePath("r.xls")));
        dbase.setConnectionString(dbaseCreateConnectionString(dir.path() + "/"));
        QVERIFY(!excel.open());
        QCOMPARE(excel.nativeError(), NativeError::CannotCreateFile);
        QVERIFY(!dbase.open());
        QCOMPARE(dbase.nativeError(), NativeError::CannotCreateFile);
        QVERIFY(QFile::setPermissions(
            dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    }

    void replacingWaitsForACompleteFile() {
        const QString path = m_dir.filePath("replace.bin");
        QCOMPARE(writeFileAtomically(path, "first", ExistingTarget::Refuse), NativeError::None);
        QCOMPARE(writeFileAtomically(path, "second", ExistingTarget::Refuse),
                 NativeError::TargetExists);
        QCOMPARE(writeFileAtomically(path, QByteArray(100000, 'x'), ExistingTarget::Replace,
                                     WriterTest::failAfter(4096)),
                 NativeError::WriteFailed);
        QCOMPARE(contentOf(path), QByteArray("first"));
        QCOMPARE(writeFileAtomically(path, "third", ExistingTarget::Replace), NativeError::None);
        QCOMPARE(contentOf(path), QByteArray("third"));
        QVERIFY(QFile::remove(path));
    }
};

QTEST_GUILESS_MAIN(TestResultFailures)
#include "tst_resultfailures.moc"
