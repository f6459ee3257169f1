#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <climits>
#include <memory>

#include "Screenshots.h"
#include "app/PlatformSeams.h"
#include "app/uFrmMessage.h"
#include "app/uFrmProcessing.h"
#include "app/ufrmMain.h"
#include "app/widgets/Gauges.h"
#include "data/seams/ProgressSeam.h"
#include "support/SeamFakes.h"

Q_DECLARE_METATYPE(MessageAnswer)

namespace {

// Counts the times a widget is painted.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

int countPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour;
    }
    return count;
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<TfrmMain> owner;
    std::unique_ptr<TfrmProcessing> processing;
    std::unique_ptr<TfrmMessage> waiting;
    std::unique_ptr<MessageRecorder> messages;

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init() {
        owner = std::make_unique<TfrmMain>();
        owner->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner.get()));
        processing = std::make_unique<TfrmProcessing>(owner.get());
        waiting = std::make_unique<TfrmMessage>(owner.get());
        setProgressView(processing.get());
        setWaitingView(waiting.get());
        messages = std::make_unique<MessageRecorder>();
    }

    void cleanup() {
        QCOMPARE(messages->unscriptedQuestions, 0);
        messages.reset();
        setProgressView(nullptr);
        setWaitingView(nullptr);
        waiting.reset();
        processing.reset();
        owner.reset();
    }

    // ---- the gauge ----------------------------------------------------------------------------

    void percentage_data() {
        QTest::addColumn<int>("minValue");
        QTest::addColumn<int>("maxValue");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("percent");
        QTest::newRow("5 of 10") << 0 << 10 << 5 << 50;
        QTest::newRow("1 of 3, truncated") << 0 << 3 << 1 << 33;
        QTest::newRow("2 of 3, truncated") << 0 << 3 << 2 << 66;
        QTest::newRow("empty") << 0 << 100 << 0 << 0;
        QTest::newRow("full") << 0 << 100 << 100 << 100;
        QTest::newRow("no range") << 7 << 7 << 7 << 0;
        QTest::newRow("negative minimum") << -50 << 50 << 0 << 50;
        QTest::newRow("whole 32-bit range, middle") << INT_MIN << INT_MAX << 0 << 50;
        QTest::newRow("whole 32-bit range, end") << INT_MIN << INT_MAX << INT_MAX << 100;
        QTest::newRow("large maximum") << 0 << INT_MAX << INT_MAX / 2 << 49;
        QTest::newRow("large counts") << 0 << 65535 << 65534 << 99;
    }
    void percentage() {
        QFETCH(int, minValue);
        QFETCH(int, maxValue);
        QFETCH(int, progress);
        QFETCH(int, percent);
        TGauge gauge;
        if (minValue < gauge.MinValue()) gauge.setMinValue(minValue);
        gauge.setMaxValue(maxValue);
        gauge.setMinValue(minValue);
        gauge.setProgress(progress);
        QCOMPARE(gauge.Progress(), progress);
        QCOMPARE(gauge.PercentDone(), percent);
    }

    void progressStaysInRange_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("kept");
        QTest::newRow("above the maximum") << 15 << 10;
        QTest::newRow("far above") << INT_MAX << 10;
        QTest::newRow("below the minimum") << -3 << 0;
        QTest::newRow("far below") << INT_MIN << 0;
        QTest::newRow("inside") << 4 << 4;
    }
    void progressStaysInRange() {
        QFETCH(int, set);
        QFETCH(int, kept);
        TGauge gauge;
        gauge.setMaxValue(10);
        gauge.setProgress(set);
        QCOMPARE(gauge.Progress(), kept);
        // One step past either end stays there, without overflowing at the 32-bit limits.
        gauge.setMaxValue(INT_MAX);
        gauge.setProgress(INT_MAX);
        gauge.addProgress(1);
        QCOMPARE(gauge.Progress(), INT_MAX);
        gauge.setMinValue(INT_MIN);
        gauge.setProgress(INT_MIN);
        gauge.addProgress(-1);
        QCOMPARE(gauge.Progress(), INT_MIN);
    }

    void rangeMovesProgressAlong() {
        TGauge gauge;
        gauge.setProgress(80);
        gauge.setMaxValue(50);  // below the progress: lowers it
        QCOMPARE(gauge.Progress(), 50);
        gauge.setMinValue(20);
        gauge.setProgress(20);
        gauge.setMinValue(30);  // above the progress: raises it
        QCOMPARE(gauge.Progress(), 30);
        gauge.setMinValue(50);  // equal to the maximum is allowed
        QCOMPARE(gauge.PercentDone(), 0);
    }

    void rangeErrors_data() {
        QTest::addColumn<int>("minValue");
        QTest::addColumn<int>("maxValue");
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("maximum below the minimum")
            << 0 << 100 << "max" << -1 << "Value must be between 1 and 2147483647";
        QTest::newRow("minimum above the maximum")
            << 0 << 100 << "min" << 101 << "Value must be between -2147483647 and 99";
        QTest::newRow("maximum below a negative minimum")
            << -20 << 100 << "max" << -30 << "Value must be between -19 and 2147483647";
        QTest::newRow("minimum above the smallest maximum")
            << INT_MIN << INT_MIN << "min" << 0
            << "Value must be between -2147483647 and -2147483649";
        QTest::newRow("maximum below the largest minimum")
            << INT_MAX << INT_MAX << "max" << 0
            << "Value must be between 2147483648 and 2147483647";
    }
    void rangeErrors() {
        QFETCH(int, minValue);
        QFETCH(int, maxValue);
        QFETCH(QString, which);
        QFETCH(int, value);
        QFETCH(QString, message);
        TGauge gauge;
        if (maxValue >= gauge.MaxValue()) {
            gauge.setMaxValue(maxValue);
            gauge.setMinValue(minValue);
        } else {
            gauge.setMinValue(minValue);
            gauge.setMaxValue(maxValue);
        }
        gauge.setProgress(minValue);
        QString thrown;
        try {
            if (which == "max")
                gauge.setMaxValue(value);
            else
                gauge.setMinValue(value);
        } catch (const EGaugeRangeError& error) {
            thrown = QString::fromStdString(error.what());
        }
        QCOMPARE(thrown, message);
        QCOMPARE(gauge.MinValue(), minValue);  // nothing changed
        QCOMPARE(gauge.MaxValue(), maxValue);
        QCOMPARE(gauge.Progress(), minValue);
    }

    void filledWidth_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("inner");
        QTest::addColumn<int>("filled");
        QTest::newRow("half") << 50 << 367 << 183;
        QTest::newRow("a third") << 33 << 367 << 121;
        QTest::newRow("full") << 100 << 367 << 367;
        QTest::newRow("nothing") << 0 << 367 << 0;
        QTest::newRow("less than a pixel") << 1 << 50 << 0;
        QTest::newRow("never past the inner width") << 100 << 1 << 1;
    }
    void filledWidth() {
        QFETCH(int, percent);
        QFETCH(int, inner);
        QFETCH(int, filled);
        QCOMPARE(TGauge::FilledExtent(percent, inner), filled);
    }

    void barIsDrawnAsComputed() {
        TGauge* gauge = processing->Progress;
        gauge->setMaxValue(10);
        gauge->setProgress(5);
        gauge->setShowText(false);
        const QImage image = gauge->render();
        const QRgb bar = qRgb(0xC0, 0xC0, 0xC0);
        const QRgb background = qRgb(0xEF, 0xEF, 0xEF);
        // 1 pixel of frame, 183 of bar (half the inner 367), the rest background.
        const int y = 8;
        QCOMPARE(image.pixel(0, y), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(1, y), bar);
        QCOMPARE(image.pixel(183, y), bar);
        QCOMPARE(image.pixel(184, y), background);
        QCOMPARE(image.pixel(367, y), background);
    }

    void verticalBarFillsFromTheBottom() {
        TGauge gauge;
        gauge.resize(20, 102);  // 100 pixels inside the frame
        gauge.setKind(TGaugeKind::gkVerticalBar);
        gauge.setShowText(false);
        gauge.setForeColor(Qt::black);
        gauge.setProgress(30);
        const QImage image = gauge.render();
        QCOMPARE(image.pixel(10, 100), qRgb(0, 0, 0));       // lowest inner row: bar
        QCOMPARE(image.pixel(10, 71), qRgb(0, 0, 0));        // 30 rows of bar
        QCOMPARE(image.pixel(10, 70), qRgb(255, 255, 255));  // background above
    }

    void percentStaysReadableOnBarAndBackground_data() {
        QTest::addColumn<int>("progress");
        QTest::addColumn<bool>("onBar");
        QTest::newRow("0%: on the background") << 0 << false;
        QTest::newRow("100%: on the bar") << 100 << true;
    }
    void percentStaysReadableOnBarAndBackground() {
        QFETCH(int, progress);
        QFETCH(bool, onBar);
        TGauge* gauge = processing->Progress;
        gauge->setProgress(progress);
        const QImage image = gauge->render();
        // White exclusive-or: text over silver turns 0x3F3F3F, over 0xEFEFEF turns 0x101010.
        const int onBarText = countPixels(image, qRgb(0x3F, 0x3F, 0x3F));
        const int onBackgroundText = countPixels(image, qRgb(0x10, 0x10, 0x10));
        QVERIFY(onBar ? onBarText > 10 : onBackgroundText > 10);
        QCOMPARE(onBar ? onBackgroundText : onBarText, 0);
    }

    void repaintsOnlyWhenThePercentageChanges() {
        processing->show();
        QVERIFY(QTest::qWaitForWindowExposed(processing.get()));
        TGauge* gauge = processing->Progress;
        gauge->setMaxValue(1000);
        QCoreApplication::processEvents();
        PaintCounter counter;
        gauge->installEventFilter(&counter);
        for (int step = 1; step <= 1000; ++step) {
            gauge->addProgress(1);
            QCoreApplication::processEvents();
        }
        QCOMPARE(counter.paints, 100);  // once for each whole percent from 1 to 100
    }

    // ---- the progress dialog and its cancel protocol ------------------------------------------

    void cancelWorksWhileTheMainWindowIsDisabled() {
        ShowProgress();
        QVERIFY(processing->isVisible());
        owner->setEnabled(false);  // the caller disables the main window; Cancel must still work
        QVERIFY(processing->ElGraphicButton7->isEnabled());
        processing->Progress->setMaxValue(100);
        processing->Progress->setProgress(42);
        SaveScreenshot(processing.get(), "progress");
    }

    void cancelQuestion_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<MessageStyle>("style");
        const MessageStyle question = MessageStyle::YesNoQuestion;
        const MessageStyle plain = MessageStyle::YesNo;
        QTest::newRow("click, Yes") << "click" << MessageAnswer::Yes << question;
        QTest::newRow("click, No") << "click" << MessageAnswer::No << question;
        QTest::newRow("Space on the button, Yes")
            << "space on button" << MessageAnswer::Yes << question;
        QTest::newRow("Enter on the button, No")
            << "enter on button" << MessageAnswer::No << question;
        QTest::newRow("Escape on the button, Yes")
            << "escape on button" << MessageAnswer::Yes << plain;
        QTest::newRow("Escape on the button, No")
            << "escape on button" << MessageAnswer::No << plain;
        QTest::newRow("Escape on the dialog, Yes")
            << "escape on dialog" << MessageAnswer::Yes << plain;
        QTest::newRow("Space on the dialog, No") << "space on dialog" << MessageAnswer::No << plain;
    }
    void cancelQuestion() {
        QFETCH(QString, how);
        QFETCH(MessageAnswer, answer);
        QFETCH(MessageStyle, style);
        ShowProgress();
        QVERIFY(QTest::qWaitForWindowExposed(processing.get()));
        messages->script({answer});
        QPushButton* button = processing->ElGraphicButton7;
        if (how == "click") {
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (how == "space on button") {
            QTest::keyClick(button, Qt::Key_Space);
        } else if (how == "enter on button") {
            QTest::keyClick(button, Qt::Key_Return);
        } else if (how == "escape on button") {
            QTest::keyClick(button, Qt::Key_Escape);
        } else if (how == "escape on dialog") {
            QTest::keyClick(processing.get(), Qt::Key_Escape);
        } else {
            QTest::keyClick(processing.get(), Qt::Key_Space);
        }
        QCOMPARE(messages->boxes.size(), 1);  // asked once per key press
        QCOMPARE(messages->boxes[0].caption, QString("Cancel"));
        QCOMPARE(messages->boxes[0].text,
                 QString("Are you sure you want to cancel this operation?"));
        QCOMPARE(messages->boxes[0].style, style);
        const bool yes = answer == MessageAnswer::Yes;
        QCOMPARE(processing->Cancelled, yes);
        QCOMPARE(ProgressCancelled(), yes);
        QCOMPARE(processing->isVisible(), !yes);
    }

    void loopStopsAtTheStepThatSeesTheCancel_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<int>("rowsDone");
        QTest::newRow("Yes stops the loop") << MessageAnswer::Yes << 3;
        QTest::newRow("No lets it run to its end") << MessageAnswer::No << 10;
    }
    void loopStopsAtTheStepThatSeesTheCancel() {
        QFETCH(MessageAnswer, answer);
        QFETCH(int, rowsDone);
        messages->script({answer});
        owner->setEnabled(false);
        ShowProgress();
        SetProgressMax(10);
        int done = 0;
        for (int row = 0; row < 10; ++row) {
            ++done;
            // The user clicks Cancel while row 3 is worked on; the click is handled when the
            // loop lets events run.
            if (row == 2) {
                QTimer::singleShot(0, processing->ElGraphicButton7, &QPushButton::click);
            }
            if (!StepProgress()) break;
        }
        CloseProgress();
        owner->setEnabled(true);
        QCOMPARE(done, rowsDone);
        QVERIFY(!processing->isVisible());
    }

    void aNewShowStartsAfresh() {
        messages->script({MessageAnswer::Yes});
        ShowProgress();
        SetProgressMax(4);
        StepProgress();
        StepProgress();
        QCOMPARE(processing->Progress->PercentDone(), 50);
        processing->ElGraphicButton7->click();
        QVERIFY(processing->Cancelled);
        ShowProgress();
        QVERIFY(!processing->Cancelled);
        QCOMPARE(processing->Progress->Progress(), 0);
        QCOMPARE(processing->Progress->PercentDone(), 0);
        QVERIFY(StepProgress());
    }

    void closeProgress() {
        ShowProgress();
        SetProgressMax(500);
        StepProgress();
        CloseProgress();
        QVERIFY(!processing->isVisible());
        QCOMPARE(processing->Progress->Progress(), 0);
        QCOMPARE(processing->Progress->MaxValue(), 10);
        CloseProgress();  // closed already: harmless
        QVERIFY(!processing->isVisible());
    }

    void desktopCloseRequestDoesNotStopTheLoop() {
        ShowProgress();
        QVERIFY(!processing->close());
        QVERIFY(processing->isVisible());
        QVERIFY(!processing->Cancelled);
        QCOMPARE(messages->boxes.size(), 0);
    }

    // ---- the waiting window -------------------------------------------------------------------

    void waitingWindow() {
        QCOMPARE(waiting->windowTitle(), QString("Quarix MessageBox"));
        owner->setEnabled(false);
        ShowWaitingWindow("Loading..",
                          "Please wait! Loading data from selected file!\r\n"
                          "It may take some time");
        QVERIFY(waiting->isVisible());
        QVERIFY(waiting->isEnabled());
        QCOMPARE(waiting->windowTitle(), QString("Loading.."));
        QCOMPARE(waiting->MLabelS->text(),
                 QString("Please wait! Loading data from selected file!\nIt may take some time"));
        QVERIFY(!waiting->btnOK->isVisible());
        // As wide as designed at least; the text above where "Ok" stands.
        QVERIFY(waiting->width() >= 346);
        QVERIFY(waiting->MLabelS->geometry().bottom() < waiting->height());
        SaveScreenshot(waiting.get(), "waiting");
        CloseWaitingWindow();
        QVERIFY(!waiting->isVisible());
        QVERIFY(waiting->btnOK->isVisibleTo(waiting.get()));
    }

    void messageWindowCloses_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Ok") << "ok";
        QTest::newRow("Escape on Ok") << "escape on ok";
        QTest::newRow("Escape on the window") << "escape";
    }
    void messageWindowCloses() {
        QFETCH(QString, how);
        waiting->show();
        QVERIFY(QTest::qWaitForWindowExposed(waiting.get()));
        if (how == "ok")
            QTest::mouseClick(waiting->btnOK, Qt::LeftButton);
        else if (how == "escape on ok")
            QTest::keyClick(waiting->btnOK, Qt::Key_Escape);
        else
            QTest::keyClick(waiting.get(), Qt::Key_Escape);
        QVERIFY(!waiting->isVisible());
    }

    // ---- message boxes ------------------------------------------------------------------------

    void messageBoxStyles_data() {
        QTest::addColumn<MessageStyle>("style");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        const int yesNo = QMessageBox::Yes | QMessageBox::No;
        QTest::newRow("OK, no icon")
            << MessageStyle::Ok << int(QMessageBox::Ok) << int(QMessageBox::NoIcon);
        QTest::newRow("OK and Cancel")
            << MessageStyle::OkCancel << int(QMessageBox::Ok | QMessageBox::Cancel)
            << int(QMessageBox::NoIcon);
        QTest::newRow("Yes, No and Cancel")
            << MessageStyle::YesNoCancel << int(yesNo | QMessageBox::Cancel)
            << int(QMessageBox::NoIcon);
        QTest::newRow("Yes and No") << MessageStyle::YesNo << yesNo << int(QMessageBox::NoIcon);
        QTest::newRow("Yes and No, question")
            << MessageStyle::YesNoQuestion << yesNo << int(QMessageBox::Question);
        QTest::newRow("warning") << MessageStyle::Warning << int(QMessageBox::Ok)
                                 << int(QMessageBox::Warning);
        QTest::newRow("information")
            << MessageStyle::Information << int(QMessageBox::Ok) << int(QMessageBox::Information);
    }
    void messageBoxStyles() {
        QFETCH(MessageStyle, style);
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QMessageBox box;
        ConfigureMessageBox(box, style);
        QCOMPARE(int(box.standardButtons()), buttons);
        QCOMPARE(int(box.icon()), icon);
    }

    void desktopMessageBoxReportsTheChosenButton_data() {
        QTest::addColumn<MessageStyle>("style");
        QTest::addColumn<int>("click");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::newRow("Yes") << MessageStyle::YesNoQuestion << int(QMessageBox::Yes)
                             << MessageAnswer::Yes;
        QTest::newRow("No") << MessageStyle::YesNo << int(QMessageBox::No) << MessageAnswer::No;
        QTest::newRow("OK") << MessageStyle::Warning << int(QMessageBox::Ok) << MessageAnswer::Ok;
    }
    void desktopMessageBoxReportsTheChosenButton() {
        QFETCH(MessageStyle, style);
        QFETCH(int, click);
        QFETCH(MessageAnswer, answer);
        owner->setEnabled(false);  // a box must work while the main window is disabled
        QString caption;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            caption = box->windowTitle();
            if (style == MessageStyle::Warning) SaveScreenshot(box, "message-warning");
            QTest::mouseClick(box->button(QMessageBox::StandardButton(click)), Qt::LeftButton);
        });
        QtMessageBoxes boxes;
        QCOMPARE(boxes.showMessageBox("Quarix Message", "Please load File 2", style), answer);
        QCOMPARE(caption, QString("Quarix Message"));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
