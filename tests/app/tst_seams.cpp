#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "data/seams/FileDialogSeam.h"
#include "data/seams/MessageSeam.h"
#include "data/seams/ProgressSeam.h"
#include "data/seams/ShellSeam.h"
#include "support/SeamFakes.h"

Q_DECLARE_METATYPE(MessageAnswer)

namespace {

// A loop over `rows` rows as every long command of the program runs it. Returns the rows done.
int runLoop(int rows) {
    ShowProgress();
    SetProgressMax(rows);
    int done = 0;
    for (int row = 0; row < rows; ++row) {
        ++done;
        if (!StepProgress()) break;
    }
    CloseProgress();
    return done;
}

}  // namespace

class TestSeams : public QObject {
    Q_OBJECT
private slots:
    void withoutHandlerNothingIsActedOn_data() {
        QTest::addColumn<MessageStyle>("style");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::newRow("OK only") << MessageStyle::Ok << MessageAnswer::Ok;
        QTest::newRow("warning") << MessageStyle::Warning << MessageAnswer::Ok;
        QTest::newRow("information") << MessageStyle::Information << MessageAnswer::Ok;
        QTest::newRow("Yes/No") << MessageStyle::YesNo << MessageAnswer::No;
        QTest::newRow("Yes/No with question icon")
            << MessageStyle::YesNoQuestion << MessageAnswer::No;
        QTest::newRow("Yes/No/Cancel") << MessageStyle::YesNoCancel << MessageAnswer::No;
        QTest::newRow("OK/Cancel") << MessageStyle::OkCancel << MessageAnswer::Cancel;
    }
    void withoutHandlerNothingIsActedOn() {
        QFETCH(MessageStyle, style);
        QFETCH(MessageAnswer, answer);
        QVERIFY(messageBoxHandler() == nullptr);
        QCOMPARE(ShowMessageBox("Quarix", "Exit Application?", style), answer);
    }

    void twoKindsOfMessage() {
        MessageRecorder messages;
        ShowWarningMessage("Please load File 2");
        ShowInformationMessage("No data matching your query found!");
        QCOMPARE(messages.boxes.size(), 2);
        QCOMPARE(messages.boxes[0].caption, QString("Quarix Message"));
        QCOMPARE(messages.boxes[0].text, QString("Please load File 2"));
        QCOMPARE(messages.boxes[0].style, MessageStyle::Warning);
        QCOMPARE(messages.boxes[1].caption, QString("Quarix Information"));
        QCOMPARE(messages.boxes[1].style, MessageStyle::Information);
    }

    void loops_data() {
        QTest::addColumn<int>("cancelAtStep");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("rowsDone");
        QTest::newRow("no cancel") << 0 << 10 << 10;
        QTest::newRow("cancel at the first step") << 1 << 10 << 1;
        QTest::newRow("cancel at step 4") << 4 << 10 << 4;
        QTest::newRow("cancel at the last step") << 10 << 10 << 10;
        QTest::newRow("no rows") << 1 << 0 << 0;
    }
    void loops() {
        QFETCH(int, cancelAtStep);
        QFETCH(int, rows);
        QFETCH(int, rowsDone);
        ScriptedProgress progress(cancelAtStep);
        QCOMPARE(runLoop(rows), rowsDone);
        QCOMPARE(progress.steps, rowsDone);
        QCOMPARE(progress.eventRuns, rowsDone);  // events run once per step
        QCOMPARE(progress.closes, 1);
        QCOMPARE(progress.maxValue, 10);  // closing sets the maximum back to 10
    }

    void aNewShowForgetsTheLastCancel() {
        ScriptedProgress progress(2);
        QCOMPARE(runLoop(5), 2);
        progress.cancelAtStep = 0;
        QCOMPARE(runLoop(5), 5);
    }

    void withoutProgressViewLoopsRunToTheEnd() {
        QVERIFY(progressView() == nullptr);
        QCOMPARE(runLoop(25), 25);
        QVERIFY(!ProgressCancelled());
    }

    void withoutDialogsEveryChoiceIsCancelled() {
        QVERIFY(ChooseFileToOpen("Open File 1", {"Excel Files  (*.xls)"}, "/tmp").path.isEmpty());
        QVERIFY(ChooseFileToSave("Save File", {"Excel  (*xls)"}, "/tmp").path.isEmpty());
        QVERIFY(!ShellOpen(QUrl("https://www.debian.org/")));
    }
};

QTEST_GUILESS_MAIN(TestSeams)
#include "tst_seams.moc"
