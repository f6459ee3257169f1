#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <memory>

#include "Screenshots.h"
#include "app/ApplicationWindows.h"
#include "app/HelpWindow.h"
#include "app/uFrmAbout.h"
#include "app/ufrmMain.h"
#include "data/seams/ShellSeam.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "support/SeamFakes.h"

namespace {

const QStringList kAlwaysAvailable = {
    "btnOpenFile1", "btnTBOpenFile1",   "mnuOpenFile1",     "btnShowHistory1", "mnuExit",
    "btnShowHelp",  "Contens1",         "QuarixHomePage2",  "AboutQuarix2",    "ClearAllFields1",
    "Copy1",        "Sortbyascending1", "Sortbydescending1"};
const QStringList kNeedsFile1 = {
    "btnOpenFile2",      "btnTBOpenFile2",  "mnuOpenFile2",  "btnShowHistory2",
    "btnConditions",     "btnTBConditions", "mnuConditions", "btnClearAllFields",
    "mnuClearAllFields", "btnTBRun",        "mnuRun"};
const QStringList kNeedsFile2 = {"mnuUnloadFile2"};
const QStringList kSave = {"mnuSaveFile", "btnSaveFile"};

QImage imageOf(const QLabel* label) {
    return label->pixmap().toImage();
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ApplicationWindows> windows;
    std::unique_ptr<MessageRecorder> messages;
    std::unique_ptr<FileDialogScript> dialogs;  // every open dialog is cancelled
    TfrmMain* w = nullptr;

    QObject* control(const QString& name) const {
        QObject* found = w->findChild<QObject*>(name);
        if (!found) qFatal("no control %s", qPrintable(name));
        return found;
    }
    template <class T>
    T* widget(const char* name) const {
        T* found = w->findChild<T*>(QLatin1String(name));
        if (!found) qFatal("no widget %s", name);
        return found;
    }
    bool enabled(const QString& name) const { return control(name)->property("enabled").toBool(); }

    // Every control of the list is enabled (or disabled) as `expected`; names the first that is
    // not.
    QString firstDiffering(const QStringList& names, bool expected) const {
        for (const QString& name : names) {
            if (enabled(name) != expected) return name;
        }
        return {};
    }

    QString runLookShown() const {
        const QImage shown = imageOf(w->ImageRun);
        if (shown == imageOf(w->ImageRunDisabled)) return "disabled";
        if (shown == imageOf(w->ImageRunNormal)) return "normal";
        if (shown == imageOf(w->imageRunOver)) return "over";
        if (shown == imageOf(w->ImageRunPressed)) return "pressed";
        return "other";
    }

    // A move of the mouse with no button held, as the window system reports it.
    void moveOver(QWidget* target, QPoint at = {}) {
        const QPoint local = at.isNull() ? target->rect().center() : at;
        QTest::mouseMove(w->windowHandle(), target->mapTo(w, local));
        QCoreApplication::processEvents();
    }

    void loadFile1Looks() {
        fldFileText(w->fldFile1, "/home/ann/reports/sales-2024.xls");
        w->EnableFileCommands(CommandGroup::NeedsFile1);
    }
    static void fldFileText(QLineEdit* field, const QString& path) { field->setText(path); }

private slots:
    void init() {
        windows = std::make_unique<ApplicationWindows>();
        messages = std::make_unique<MessageRecorder>();
        dialogs = std::make_unique<FileDialogScript>();
        w = windows->frmMain();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }

    void cleanup() {
        QCOMPARE(messages->unscriptedQuestions, 0);
        messages.reset();
        dialogs.reset();
        windows.reset();
        w = nullptr;
    }

    void startState() {
        QCOMPARE(w->windowTitle(), QString("Quarix"));
        QCOMPARE(firstDiffering(kAlwaysAvailable, true), QString());
        QCOMPARE(firstDiffering(kNeedsFile1, false), QString());
        QCOMPARE(firstDiffering(kNeedsFile2, false), QString());
        QCOMPARE(firstDiffering(kSave, false), QString());
        QVERIFY(!w->grpboxResult->isVisible());
        QVERIFY(w->GroupBox1->isVisible());
        QCOMPARE(w->RunPictureState, RunPicture::Disabled);
        QCOMPARE(runLookShown(), QString("disabled"));
        // Four distinct looks, each a real picture.
        const QList<QLabel*> looks = {w->ImageRunDisabled, w->ImageRunNormal, w->imageRunOver,
                                      w->ImageRunPressed};
        for (int i = 0; i < looks.size(); ++i) {
            QVERIFY(imageOf(looks[i]).pixel(32, 32) != 0);  // not transparent in the middle
            for (int j = i + 1; j < looks.size(); ++j)
                QVERIFY(imageOf(looks[i]) != imageOf(looks[j]));
        }
        QVERIFY(w->SpeedButton1->isVisibleTo(w->grpboxResult));
        QVERIFY(!w->SpeedButton2->isVisibleTo(w->grpboxResult));
        QVERIFY(!w->ListBox1->isVisibleTo(w->grpboxResult));
        QCOMPARE(QApplication::focusWidget(), w->btnOpenFile1);
        QVERIFY(!File1.isInUse() && !File2.isInUse());
        QVERIFY(File1History.empty() && File2History.empty());
        SaveScreenshot(w, "main-window-start");
    }

    void stateTable_data() {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<bool>("group0");
        QTest::addColumn<bool>("group1");
        QTest::addColumn<bool>("save");
        QTest::addColumn<RunPicture>("runLook");
        const RunPicture disabled = RunPicture::Disabled;
        const RunPicture normal = RunPicture::Normal;
        QTest::newRow("program start") << QStringList{} << false << false << false << disabled;
        QTest::newRow("File 1 loaded")
            << QStringList{"enable 0"} << true << false << false << normal;
        QTest::newRow("File 1 failed after an earlier one loaded")
            << QStringList{"enable 0", "disable 0"} << false << false << false << disabled;
        QTest::newRow("File 2 loaded and accepted")
            << QStringList{"enable 0", "enable 1"} << true << true << false << normal;
        QTest::newRow("File 2 refused")
            << QStringList{"enable 0", "enable 1", "disable 1"} << true << false << false << normal;
        QTest::newRow("File 2 emptied by UnloadFile")
            << QStringList{"enable 0", "enable 1", "UnloadFile 2"} << true << false << false
            << normal;
        QTest::newRow("a run with a result")
            << QStringList{"enable 0", "save on"} << true << false << true << normal;
        QTest::newRow("the two routines leave Save alone")
            << QStringList{"save on", "enable 0", "disable 0", "enable 1", "disable 1"} << false
            << false << true << disabled;
        QTest::newRow("enabling again gives the normal look after hover")
            << QStringList{"enable 0", "hover", "enable 0"} << true << false << false << normal;
        QTest::newRow("disabling from the pressed look")
            << QStringList{"enable 0", "pressed", "disable 0"} << false << false << false
            << disabled;
    }
    void stateTable() {
        QFETCH(QStringList, events);
        QFETCH(bool, group0);
        QFETCH(bool, group1);
        QFETCH(bool, save);
        QFETCH(RunPicture, runLook);
        for (const QString& event : events) {
            const auto group = static_cast<CommandGroup>(event.section(' ', -1).toInt());
            if (event.startsWith("enable")) {
                w->EnableFileCommands(group);
            } else if (event.startsWith("disable")) {
                w->DisableFileCommands(group);
            } else if (event == "save on") {
                w->SetSaveEnabled(true);
            } else if (event == "UnloadFile 2") {
                UnloadFile(File2);
            } else if (event == "hover") {
                w->SetRunPicture(RunPicture::Hover);
            } else if (event == "pressed") {
                w->SetRunPicture(RunPicture::Pressed);
            }
        }
        QCOMPARE(firstDiffering(kAlwaysAvailable, true), QString());
        QCOMPARE(firstDiffering(kNeedsFile1, group0), QString());
        QCOMPARE(firstDiffering(kNeedsFile2, group1), QString());
        QCOMPARE(firstDiffering(kSave, save), QString());
        QCOMPARE(w->grpboxResult->isVisible(), group0);
        QCOMPARE(w->RunPictureState, runLook);
        QCOMPARE(runLookShown(), QString(runLook == RunPicture::Disabled ? "disabled" : "normal"));
    }

    void unloadFile2ClearsItsPathOnly() {
        w->EnableFileCommands(CommandGroup::NeedsFile1);
        w->EnableFileCommands(CommandGroup::NeedsFile2);
        w->fldFile1->setText("/data/one.xls");
        w->fldFile2->setText("/data/two.xls");
        w->mnuUnloadFile2->trigger();
        QCOMPARE(w->fldFile2->text(), QString());
        QCOMPARE(w->fldFile1->text(), QString("/data/one.xls"));
    }

    void setRunPicture_data() {
        using enum RunPicture;
        QTest::addColumn<RunPicture>("state");
        QTest::addColumn<RunPicture>("look");
        QTest::addColumn<RunPicture>("after");
        QTest::newRow("the disabled look refuses every change") << Disabled << Hover << Disabled;
        QTest::newRow("disabled to normal, refused too") << Disabled << Normal << Disabled;
        QTest::newRow("normal to hover") << Normal << Hover << Hover;
        QTest::newRow("hover to pressed") << Hover << Pressed << Pressed;
        QTest::newRow("pressed to normal") << Pressed << Normal << Normal;
        QTest::newRow("normal to disabled") << Normal << Disabled << Disabled;
        QTest::newRow("no look yet: any look takes") << NoLook << Disabled << Disabled;
        QTest::newRow("no look is no picture") << Normal << NoLook << Normal;
    }
    void setRunPicture() {
        QFETCH(RunPicture, state);
        QFETCH(RunPicture, look);
        QFETCH(RunPicture, after);
        w->RunPictureState = state;
        w->SetRunPicture(look);
        QCOMPARE(w->RunPictureState, after);
    }

    void runPictureFollowsTheMouse() {
        loadFile1Looks();
        QCOMPARE(runLookShown(), QString("normal"));
        moveOver(w->ImageRun);
        QCOMPARE(runLookShown(), QString("over"));
        QTest::mousePress(w->ImageRun, Qt::LeftButton, {}, w->ImageRun->rect().center());
        QCOMPARE(runLookShown(), QString("pressed"));
        QTest::mouseMove(w->ImageRun, w->ImageRun->rect().center() + QPoint(3, 3));
        QCOMPARE(runLookShown(), QString("pressed"));  // moving while held keeps it pressed
        QTest::mouseRelease(w->ImageRun, Qt::LeftButton, {}, w->ImageRun->rect().center());
        QCOMPARE(runLookShown(), QString("over"));
        moveOver(w->fldConditions->viewport());
        QCOMPARE(runLookShown(), QString("normal"));

        // Each of the places that give the normal look again.
        const QList<QWidget*> places = {w->btnConditions, w->btnClearAllFields, w->GroupBox1,
                                        w->grpboxResult, w->centralWidget()};
        for (QWidget* place : places) {
            moveOver(w->ImageRun);
            QCOMPARE(runLookShown(), QString("over"));
            moveOver(place, place == w->GroupBox1         ? QPoint(600, 100)
                            : place == w->grpboxResult    ? QPoint(300, 10)
                            : place == w->centralWidget() ? QPoint(400, 267)
                                                          : QPoint());
            QVERIFY2(runLookShown() == "normal", qPrintable(place->objectName()));
        }
        // A control that is not one of those places leaves the look as it is.
        moveOver(w->ImageRun);
        moveOver(w->fldFile1);
        QCOMPARE(runLookShown(), QString("over"));
    }

    void resultAreaFillsTheWindowBelowTheParameters() {
        loadFile1Looks();
        // A condition row as the wizard writes it.
        w->fldConditions->setRowCount(1);
        w->fldConditions->setItem(0, 0, new QTableWidgetItem("Region"));
        w->fldConditions->setItem(0, 1, new QTableWidgetItem("Unique values"));
        w->fldConditions->setItem(0, 2, new QTableWidgetItem("File 1"));
        QVERIFY(w->grpboxResult->isVisible());
        const QRect result = w->grpboxResult->geometry();
        const QRect parameters = w->GroupBox1->geometry();
        QCOMPARE(result.top(), parameters.bottom() + 1 + 7);
        QCOMPARE(result.left(), parameters.left());
        QCOMPARE(result.right(), parameters.right());
        QCOMPARE(result.bottom(), w->centralWidget()->height() - 1 - 5);
        // Most of the designed client area's height is the result's.
        QVERIFY2(result.height() > TfrmMain::ClientSize.height() / 2,
                 qPrintable(QString::number(result.height())));
        SaveScreenshot(w, "main-window-file1-loaded");
    }

    void disabledRunPictureIgnoresTheMouse() {
        moveOver(w->ImageRun);
        QTest::mouseClick(w->ImageRun, Qt::LeftButton);
        moveOver(w->fldConditions->viewport());
        QCOMPARE(w->RunPictureState, RunPicture::Disabled);
        QCOMPARE(runLookShown(), QString("disabled"));
    }

    void tabOrderFollowsTheWindowDownwards() {
        loadFile1Looks();
        const QStringList expected = {"btnOpenFile1",      "fldFile1",      "btnOpenFile2",
                                      "fldFile2",          "fldConditions", "btnConditions",
                                      "btnClearAllFields", "MSFlexGrid1",   "btnOpenFile1"};
        w->btnOpenFile1->setFocus();
        QStringList visited = {QApplication::focusWidget()->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    void toolButtonShowsPressedPictureWhileHeld() {
        QToolButton* button = w->btnTBOpenFile1;
        const QImage normal = button->icon().pixmap(24).toImage();
        QTest::mousePress(button, Qt::LeftButton);
        const QImage held = button->icon().pixmap(24).toImage();
        QTest::mouseRelease(button, Qt::LeftButton);
        QVERIFY(held != normal);
        QCOMPARE(button->icon().pixmap(24).toImage(), normal);
    }

    void conditionColumnsFollowTheListWidth_data() {
        QTest::addColumn<int>("listWidth");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("properties");
        QTest::addColumn<int>("file");
        QTest::newRow("374") << 374 << 74 << 187 << 108;
        QTest::newRow("as designed") << 629 << 125 << 314 << 185;
        QTest::newRow("odd width rounds towards zero") << 501 << 100 << 250 << 146;
        QTest::newRow("wide") << 1200 << 240 << 600 << 355;
    }
    void conditionColumnsFollowTheListWidth() {
        QFETCH(int, listWidth);
        QFETCH(int, field);
        QFETCH(int, properties);
        QFETCH(int, file);
        // The list keeps its distances to the window's edges.
        w->resize(listWidth + (w->width() - w->fldConditions->width()), w->height());
        QTRY_COMPARE(w->fldConditions->width(), listWidth);
        QCOMPARE(w->fldConditions->columnWidth(0), field);
        QCOMPARE(w->fldConditions->columnWidth(1), properties);
        QCOMPARE(w->fldConditions->columnWidth(2), file);
    }

    void controlsKeepTheirAnchors() {
        loadFile1Looks();
        QApplication::processEvents();  // the result area, shown, is laid out
        const int fieldWidth = w->fldFile1->width();
        const int parametersHeight = w->GroupBox1->height();
        const QPoint buttonFromRight =
            QPoint(w->GroupBox1->width(), 0) - w->btnConditions->geometry().topLeft();
        const int resultBottomGap =
            w->centralWidget()->height() - w->grpboxResult->geometry().bottom();
        w->resize(w->width() + 100, w->height() + 50);
        QTRY_COMPARE(w->fldFile1->width(), fieldWidth + 100);
        QCOMPARE(QPoint(w->GroupBox1->width(), 0) - w->btnConditions->geometry().topLeft(),
                 buttonFromRight);
        QCOMPARE(w->centralWidget()->height() - w->grpboxResult->geometry().bottom(),
                 resultBottomGap);
        QCOMPARE(w->GroupBox1->height(), parametersHeight);  // stretches sideways only
    }

    void enlargeAndRestoreTheResultArea() {
        loadFile1Looks();
        QApplication::processEvents();  // the result area, shown, is laid out
        const QList<QWidget*> above = {w->ElToolBar1, w->btnOpenFile1, w->btnShowHistory1,
                                       w->fldFile1,   w->btnOpenFile2, w->btnShowHistory2,
                                       w->fldFile2,   w->GroupBox1};
        const auto allShown = [&above](bool shown) {
            return std::all_of(above.begin(), above.end(),
                               [shown](QWidget* widget) { return widget->isVisible() == shown; });
        };
        const int bottom = w->grpboxResult->geometry().bottom();
        const int restoredTop = w->grpboxResult->y();
        const int rowsTop = w->btnOpenFile1->y();
        QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
        // Up over the file rows and the parameters, which step aside with the tool bar.
        const int enlargedTop = w->grpboxResult->y();
        QVERIFY(enlargedTop < rowsTop);
        QCOMPARE(w->grpboxResult->geometry().bottom(), bottom);
        QVERIFY(allShown(false));
        QVERIFY(w->SpeedButton2->isVisible());
        QVERIFY(!w->SpeedButton1->isVisible());
        SaveScreenshot(w, "main-window-enlarged");

        // Resizing keeps the enlarged area filling the window.
        w->resize(w->width(), w->height() + 40);
        QTRY_COMPARE(w->grpboxResult->geometry().bottom(), bottom + 40);
        QCOMPARE(w->grpboxResult->y(), enlargedTop);

        QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
        QCOMPARE(w->grpboxResult->y(), restoredTop);
        QCOMPARE(w->grpboxResult->y(), w->GroupBox1->geometry().bottom() + 1 + 7);
        QCOMPARE(w->grpboxResult->geometry().bottom(), bottom + 40);
        QVERIFY(allShown(true));
        QVERIFY(w->SpeedButton1->isVisible());
        QVERIFY(!w->SpeedButton2->isVisible());

        // Losing the result while enlarged (a new File 1) gives the window its controls back.
        QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
        w->DisableFileCommands(CommandGroup::NeedsFile1);
        QVERIFY(!w->grpboxResult->isVisible());
        QVERIFY(allShown(true));
        w->EnableFileCommands(CommandGroup::NeedsFile1);
        QVERIFY(w->SpeedButton1->isVisible());
        QVERIFY(!w->SpeedButton2->isVisible());
    }

    void escapeAsksBeforeClosing_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::newRow("No, from the File 1 button") << "btnOpenFile1" << MessageAnswer::No;
        QTest::newRow("No, from the condition list") << "fldConditions" << MessageAnswer::No;
        QTest::newRow("No, from a path field") << "fldFile1" << MessageAnswer::No;
        QTest::newRow("Yes, from the File 1 button") << "btnOpenFile1" << MessageAnswer::Yes;
        QTest::newRow("Yes, from the condition list") << "fldConditions" << MessageAnswer::Yes;
    }
    void escapeAsksBeforeClosing() {
        QFETCH(QString, focus);
        QFETCH(MessageAnswer, answer);
        loadFile1Looks();
        auto* target = widget<QWidget>(qPrintable(focus));
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);
        messages->script({answer});
        QTest::keyClick(target, Qt::Key_Escape);
        QCOMPARE(messages->boxes.size(), 1);
        QCOMPARE(messages->boxes[0].caption, QString("Quarix"));
        QCOMPARE(messages->boxes[0].text, QString("Exit Application?"));
        QCOMPARE(messages->boxes[0].style, MessageStyle::YesNoQuestion);
        QCOMPARE(w->isVisible(), answer == MessageAnswer::No);
        if (answer == MessageAnswer::No) {
            // Nothing changed.
            QCOMPARE(firstDiffering(kNeedsFile1, true), QString());
            QCOMPARE(w->fldFile1->text(), QString("/home/ann/reports/sales-2024.xls"));
        }
    }

    void everyCloseRequestAsks() {
        messages->script({MessageAnswer::No, MessageAnswer::No});
        w->mnuExit->trigger();
        QVERIFY(!w->close());
        QCOMPARE(messages->boxes.size(), 2);
        QVERIFY(w->isVisible());
    }

    void closingWhileACommandRunsIsRefused() {
        w->setEnabled(false);  // as a run, a load or a save does
        QVERIFY(!w->close());
        QCOMPARE(messages->boxes.size(), 0);
        QVERIFY(w->isVisible());
    }

    // Help needs no browser: no desktop opener is installed here, and the manual still shows.
    void helpShowsTheBuiltInManualInItsOwnWindow() {
        ShellOpener* const installed = setShellOpener(nullptr);
        const auto restore = qScopeGuard([installed] { setShellOpener(installed); });
        HelpWindow* help = windows->helpWindow();
        QVERIFY(!help->isVisible());
        QTest::mouseClick(w->btnShowHelp, Qt::LeftButton);
        QVERIFY(help->isVisible());
        QCOMPARE(help->Browser->source(), HelpWindow::StartPage);
        QCOMPARE(help->Browser->documentTitle(), QString("Quarix manual"));
        QVERIFY(help->Browser->toPlainText().contains("Opening files"));
        // Every picture of the page is found among the program's resources.
        int pictures = 0;
        for (QTextBlock block = help->Browser->document()->begin(); block.isValid();
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (!format.isImageFormat()) continue;
                const QUrl source(format.toImageFormat().name());
                const QVariant image =
                    help->Browser->loadResource(QTextDocument::ImageResource, source);
                QVERIFY2(!image.isNull(), qPrintable(source.toString()));
                ++pictures;
            }
        }
        QFile page(":/manual/index.html");
        QVERIFY(page.open(QIODevice::ReadOnly));
        QCOMPARE(pictures, page.readAll().count("<img "));
        SaveScreenshot(help, "help-window");

        // A link inside the manual goes there, and back comes back; "Contents" is the start.
        help->Browser->setSource(HelpWindow::StartPage.resolved(QUrl("#saving")));
        QVERIFY(help->actBack->isEnabled());
        help->actBack->trigger();
        QCOMPARE(help->Browser->source(), HelpWindow::StartPage);
        help->Browser->setSource(HelpWindow::StartPage.resolved(QUrl("#keys")));
        help->close();
        w->Contens1->trigger();
        QVERIFY(help->isVisible());
        QCOMPARE(help->Browser->source(), HelpWindow::StartPage);
        QCOMPARE(help->Browser->verticalScrollBar()->value(), 0);
        help->close();
    }

    void f1OpensHelp() {
        w->activateWindow();
        QTRY_VERIFY(w->isActiveWindow());
        QTest::keyClick(w->fldFile1, Qt::Key_F1);
        QVERIFY(windows->helpWindow()->isVisible());
        windows->helpWindow()->close();
    }

    void homePageShowsTheAboutBox() {
        TFrmAbout* about = windows->FrmAbout();
        bool seen = false;
        QTimer::singleShot(0, about, [&] {
            seen = about->isVisible();
            about->close();
        });
        w->QuarixHomePage2->trigger();  // modal: returns once closed
        QVERIFY(seen);
    }

    void aboutBox() {
        TFrmAbout* about = windows->FrmAbout();
        bool seen = false;
        QTimer::singleShot(0, about, [&] {
            seen = about->isVisible();
            QCOMPARE(about->windowTitle(), QString("About Quarix"));
            SaveScreenshot(about, "about");
            QTest::mouseClick(about->btnClose, Qt::LeftButton);
        });
        w->AboutQuarix2->trigger();  // modal: returns once Close was clicked
        QVERIFY(seen);
        QVERIFY(!about->isVisible());
        QCOMPARE(about->Version->text(), QString("Version 1.0"));
        QVERIFY(qAbs(about->geometry().center().x() - w->geometry().center().x()) <= 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
