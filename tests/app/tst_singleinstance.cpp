#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <csignal>
#include <memory>

#include "support/TestFiles.h"

// Two real programs: the first start listens, a second start hands over to it (with the file
// it was given) and ends.
class TestSingleInstance : public QObject {
    Q_OBJECT

    QString key;
    std::vector<std::unique_ptr<QProcess>> started;

    QProcess* start(const QStringList& arguments = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QUARIX_INSTANCE_KEY", key);
        environment.insert("QUARIX_REPORT_INSTANCE", "1");
        process->setProcessEnvironment(environment);
        process->start(QUARIX_PROGRAM, arguments);
        started.push_back(std::move(process));
        return started.back().get();
    }

    // Waits until the program has written `line` as a whole line on its standard output.
    static bool waitForLine(QProcess* process, const QByteArray& line, QByteArray& seen) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 30000) {
            seen += process->readAllStandardOutput();
            if (seen.split('\n').contains(line)) return true;
            if (process->state() == QProcess::NotRunning) return false;
            process->waitForReadyRead(200);
        }
        return false;
    }

private slots:
    void init() { key = "quarix-test-" + QUuid::createUuid().toString(QUuid::Id128).left(12); }

    void cleanup() {
        for (auto& process : started) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
        started.clear();
        QLocalServer::removeServer(key);
    }

    void secondStartRaisesTheFirstAndEnds() {
        QProcess* first = start();
        QByteArray firstOutput;
        QVERIFY2(waitForLine(first, "listening", firstOutput), firstOutput.constData());

        QProcess* second = start();
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(second->readAllStandardOutput(), QByteArray());  // it never listened

        QVERIFY2(waitForLine(first, "raised", firstOutput), firstOutput.constData());
        QCOMPARE(first->state(), QProcess::Running);
    }

    // A later start's path is made absolute and opened by the running instance when it is idle;
    // while a modal window is open (here the sheet chooser of that file) it only comes to the
    // front. Options other than Qt's own change nothing.
    void aFileHandedOver() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(TestFiles::publicFile("types.xls"), dir.filePath("first.xls")));
        QVERIFY(QFile::copy(TestFiles::publicFile("cp1251.dbf"), dir.filePath("second.dbf")));
        QProcess* first = start();
        QByteArray output;
        QVERIFY2(waitForLine(first, "listening", output), output.constData());
        const auto hand = [&](const QStringList& arguments) {
            QProcess later;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("QT_QPA_PLATFORM", "offscreen");
            environment.insert("QUARIX_INSTANCE_KEY", key);
            later.setProcessEnvironment(environment);
            later.setWorkingDirectory(dir.path());
            later.start(QUARIX_PROGRAM, arguments);
            return later.waitForFinished(30000) && later.exitCode() == 0;
        };
        QVERIFY(hand({"--unknown-option", "first.xls"}));
        QVERIFY2(waitForLine(first, "file1 " + dir.filePath("first.xls").toUtf8(), output),
                 output.constData());
        QVERIFY(hand({"second.dbf"}));
        QElapsedTimer timer;
        timer.start();
        while (output.count("raised") < 2 && timer.elapsed() < 30000) {
            first->waitForReadyRead(200);
            output += first->readAllStandardOutput();
        }
        QCOMPARE(output.count("raised"), 2);
        QTest::qWait(300);
        output += first->readAllStandardOutput();
        const QByteArray second = dir.filePath("second.dbf").toUtf8();
        QVERIFY2(output.contains("busy " + second), output.constData());
        QVERIFY(!output.contains("file1 " + second));
        QCOMPARE(first->state(), QProcess::Running);
    }

    void helpAndVersionNeedNoDisplay() {
        for (const char* option : {"--version", "--help"}) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove("DISPLAY");
            environment.remove("WAYLAND_DISPLAY");
            environment.remove("QT_QPA_PLATFORM");
            process.setProcessEnvironment(environment);
            process.start(QUARIX_PROGRAM, {option});
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitCode(), 0);
            QVERIFY(process.readAllStandardOutput().startsWith(
                QByteArray(option) == "--version" ? "Quarix " : "usage: quarix [FILE]"));
        }
    }

    void socketLeftByACrashDoesNotBlockTheNextStart() {
        QProcess* crashed = start();
        QByteArray output;
        QVERIFY(waitForLine(crashed, "listening", output));
        ::kill(static_cast<pid_t>(crashed->processId()), SIGKILL);
        QVERIFY(crashed->waitForFinished(10000));
        QVERIFY(QFile::exists(QDir::temp().filePath(key)));  // the socket file is still there

        QProcess* next = start();
        QByteArray nextOutput;
        QVERIFY2(waitForLine(next, "listening", nextOutput), nextOutput.constData());
        QCOMPARE(next->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
