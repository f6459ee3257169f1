// A user opens real files through the main window: the open dialog, the sheet chooser, the
// "Check Field Types" dialog, and what the window shows afterwards.
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "ModalAnswers.h"
#include "Screenshots.h"
#include "app/ApplicationWindows.h"
#include "app/ufrmMain.h"
#include "data/SlotLoading.h"
#include "data/forms/ufrmChooseSheet.h"
#include "data/forms/ufrmShowFieldsList.h"
#include "data/uGlobalData.h"
#include "support/SeamFakes.h"
#include "support/TestFiles.h"

class TestOpenFiles : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ApplicationWindows> windows;
    std::unique_ptr<MessageRecorder> messages;
    std::unique_ptr<FileDialogScript> dialogs;
    TfrmMain* w = nullptr;

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        windows = std::make_unique<ApplicationWindows>();
        messages = std::make_unique<MessageRecorder>();
        dialogs = std::make_unique<FileDialogScript>();
        w = windows->frmMain();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }
    void cleanup() {
        messages.reset();
        dialogs.reset();
        windows.reset();
    }

    void file1AndFile2ThroughTheWindow() {
        const QString types = TestFiles::publicFile("types.xls");
        dialogs->script({{types, 0}});
        ModalAnswers answers({
            [](QWidget* modal) {  // the chooser: the first sheet, "Ok"
                auto* chooser = qobject_cast<TfrmChooseSheet*>(modal);
                if (!chooser) return false;
                SaveScreenshot(chooser, "sheet-chooser");
                chooser->ListBox1->setCurrentRow(0);
                chooser->ElGraphicButton7->click();
                return true;
            },
            [](QWidget* modal) {  // the field types, then "Ok"
                auto* list = qobject_cast<TfrmShowFieldsList*>(modal);
                if (!list) return false;
                SaveScreenshot(list, "field-types");
                list->OkButton->click();
                return true;
            },
        });
        w->btnOpenFile1->click();
        QCOMPARE(answers.answered(), std::size_t(2));
        QCOMPARE(dialogs->requests.value(0).title, QString("Open File 1"));
        QCOMPARE(dialogs->requests.value(0).filters,
                 (QStringList{"Excel Files  (*.xls)", "dBase Tables (*.dbf)",
                              "Excel Workbooks (*.xlsx *.xlsm)",
                              "OpenDocument Spreadsheets (*.ods)",
                              "CSV Files (*.csv *.tsv *.txt)", "All Files (*)"}));
        QVERIFY(File1.isLoaded());
        QCOMPARE(File1.SheetName, QString("guess_me"));
        QCOMPARE(w->fldFile1->text(), types);
        QVERIFY(w->btnOpenFile2->isEnabled());
        QVERIFY(w->isEnabled());
        QCOMPARE(File1History.size(), std::size_t(1));

        // The same path as File 2 is refused.
        dialogs->script({{types, 0}});
        w->btnOpenFile2->click();
        QCOMPARE(messages->boxes.size(), 1);
        QCOMPARE(messages->boxes[0].text, "File " + types + " is already open!");
        QVERIFY(!File2.isInUse());
        SaveScreenshot(w, "main-window-file1");

        // A copy of the workbook has the same columns: it is File 2, and "Unload File 2" is on.
        QTemporaryDir dir;
        const QString copy = dir.filePath("types-copy.xls");
        QVERIFY(QFile::copy(types, copy));
        dialogs->script({{copy, 0}});
        ModalAnswers more({
            [](QWidget* modal) {
                auto* chooser = qobject_cast<TfrmChooseSheet*>(modal);
                if (!chooser) return false;
                chooser->ElGraphicButton7->click();
                return true;
            },
            [](QWidget* modal) {
                auto* list = qobject_cast<TfrmShowFieldsList*>(modal);
                if (!list) return false;
                QTest::keyClick(list->ListView1, Qt::Key_Escape);
                return true;
            },
        });
        w->btnOpenFile2->click();
        QCOMPARE(more.answered(), std::size_t(2));
        QVERIFY(File2.isLoaded());
        QCOMPARE(w->fldFile2->text(), copy);
        QVERIFY(w->mnuUnloadFile2->isEnabled());
        SaveScreenshot(w, "main-window-files");
        w->mnuUnloadFile2->trigger();
        QVERIFY(!File2.isInUse());
        QVERIFY(w->fldFile2->text().isEmpty());
        QVERIFY(File1.isLoaded());
    }

    // A CSV file is one table: no chooser, straight to the field types.
    void csvFileThroughTheDialog() {
        const QString csv = TestFiles::publicFile("iris-semicolon.csv");
        dialogs->script({{csv, 4}});
        ModalAnswers answers({[](QWidget* modal) {
            auto* list = qobject_cast<TfrmShowFieldsList*>(modal);
            if (!list) return false;
            list->OkButton->click();
            return true;
        }});
        w->btnOpenFile1->click();
        QCOMPARE(answers.answered(), std::size_t(1));
        QVERIFY(messages->boxes.isEmpty());
        QVERIFY(File1.isLoaded());
        QCOMPARE(File1.SheetName, QString("iris-semicolon"));
        QCOMPARE(w->fldFile1->text(), csv);
        QCOMPARE(File1.Contents->Fields.size(), std::size_t(5));
        QCOMPARE(File1.Contents->Fields[0].DataType, FieldType::Float);
        QCOMPARE(File1History.size(), std::size_t(1));
        SaveScreenshot(w, "main-window-csv");
    }

    // Esc in the chooser abandons the open: the slot is free and its field empty. The new File 1
    // also empties File 2's field, whatever it showed while File 2 was free.
    void escapeInTheChooser() {
        w->showFilePath(FileSlot::File2, "/left/over.txt");
        dialogs->script({{TestFiles::publicFile("types.xls"), 0}});
        ModalAnswers answers({[](QWidget* modal) {
            auto* chooser = qobject_cast<TfrmChooseSheet*>(modal);
            if (!chooser) return false;
            QTest::keyClick(chooser->ListBox1, Qt::Key_Escape);
            return true;
        }});
        w->btnOpenFile1->click();
        QCOMPARE(answers.answered(), std::size_t(1));
        QVERIFY(!File1.isInUse());
        QVERIFY(w->fldFile1->text().isEmpty());
        QVERIFY(w->fldFile2->text().isEmpty());
        QVERIFY(!w->btnOpenFile2->isEnabled());
    }

    // A double click on a sheet chooses it, as "Ok" does.
    void doubleClickInTheChooser() {
        dialogs->script({{TestFiles::publicFile("types.xls"), 0}});
        ModalAnswers answers({
            [](QWidget* modal) {
                auto* chooser = qobject_cast<TfrmChooseSheet*>(modal);
                if (!chooser) return false;
                QListWidget* list = chooser->ListBox1;
                const QRect second = list->visualItemRect(list->item(2));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
                return true;
            },
            [](QWidget* modal) {
                auto* fieldTypes = qobject_cast<TfrmShowFieldsList*>(modal);
                if (!fieldTypes) return false;
                fieldTypes->OkButton->click();
                return true;
            },
        });
        w->btnOpenFile1->click();
        QCOMPARE(answers.answered(), std::size_t(2));
        QVERIFY(File1.isLoaded());
        QCOMPARE(File1.SheetName, QString("smorgasbord"));
    }

    // A file of a kind Quarix does not read is refused as File 2 and as File 1: an error names
    // it, the slot is free, its field empty, and the recent lists stay as they were.
    void otherKindOfFile() {
        const QString other = TestFiles::publicFile("MANIFEST.md");
        const QString types = TestFiles::publicFile("types.xls");
        QCOMPARE(LoadSlotFromFile(File1, types, {}, false, nullptr).status, SlotLoad::Loaded);
        w->showFilePath(FileSlot::File1, types);
        w->EnableFileCommands(CommandGroup::NeedsFile1);
        const auto refused = [&](QPushButton* open) {
            messages->boxes.clear();
            dialogs->script({{other, 4}});
            open->click();
            return messages->boxes.size() == 1 && messages->boxes[0].caption == "Error" &&
                   messages->boxes[0].text ==
                       "Quarix cannot open files of this type: MANIFEST.md" &&
                   messages->boxes[0].style == MessageStyle::Warning && File1History.empty() &&
                   File2History.empty();
        };

        QVERIFY(refused(w->btnOpenFile2));
        QVERIFY(!File2.isInUse());
        QVERIFY(w->fldFile2->text().isEmpty());
        QVERIFY(!w->mnuUnloadFile2->isEnabled());
        QVERIFY(File1.isLoaded());

        // As File 1 it closes the files as any new File 1 does, and loads nothing.
        QVERIFY(refused(w->btnOpenFile1));
        QVERIFY(!File1.isInUse());
        QVERIFY(w->fldFile1->text().isEmpty());
        QVERIFY(!w->btnOpenFile2->isEnabled());
    }

    // However long a column's name, "Check Field Types" keeps its Type column in sight, whole.
    void longNameKeepsTheTypeInSight() {
        clResult contents;
        for (const QString name : {QString("id"), QString(300, QChar('W'))}) {
            clField field;
            field.Name = name;
            contents.Fields.push_back(field);
        }
        TfrmShowFieldsList* fieldTypes = windows->frmMain()->findChild<TfrmShowFieldsList*>();
        QVERIFY(fieldTypes);
        fieldTypes->fill(contents);
        fieldTypes->show();
        QVERIFY(QTest::qWaitForWindowExposed(fieldTypes));
        QTreeWidget* list = fieldTypes->ListView1;
        QHeaderView* header = list->header();
        QVERIFY(header->sectionViewportPosition(1) + header->sectionSize(1) <=
                list->viewport()->width());
        QVERIFY(header->sectionSize(1) >= header->sectionSizeHint(1));
        fieldTypes->hide();
    }
};

QTEST_MAIN(TestOpenFiles)
#include "tst_openfiles.moc"
