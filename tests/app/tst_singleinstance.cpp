#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QProcess>
#include <QTest>
#include <QUuid>
#include <csignal>
#include <memory>

// Two real programs: the first start listens, a second start hands over to it and ends.
class TestSingleInstance : public QObject {
    Q_OBJECT

    QString key;
    std::vector<std::unique_ptr<QProcess>> started;

    QProcess* start() {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QUARIX_INSTANCE_KEY", key);
        environment.insert("QUARIX_REPORT_INSTANCE", "1");
        process->setProcessEnvironment(environment);
        process->start(QUARIX_PROGRAM, {});
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
