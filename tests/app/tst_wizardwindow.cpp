// The Function Wizard as a user sees it: opened from the main window on a real workbook, each
// panel's captions and tab order, a Filter configured with the keyboard, Enter in a value field,
// "Clear All Fields", and Esc, the close box and "Cancel" putting the settings back.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "LoadedWindow.h"
#include "ModalAnswers.h"
#include "Screenshots.h"
#include "app/ufrmMain.h"
#include "conditions/ConditionList.h"
#include "conditions/forms/uFrmConditions.h"
#include "conditions/forms/ufrmConditionsMenu.h"
#include "data/uGlobalData.h"
#include "processing/uGridProcessor.h"

namespace {

// Captions cut off, and visible controls lying on one another, below `root`.
QStringList layoutFaults(QWidget* root) {
    QStringList faults;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(root)) continue;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->sizeHint().width() > label->width()) faults << "clipped: " + label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (button->fontMetrics().horizontalAdvance(button->text()) + 8 > button->width())
                faults << "clipped: " + button->text();
        }
        const QRect area = widget->geometry();
        if (!widget->parentWidget()->rect().contains(area))
            faults << "outside: " + widget->objectName();
        for (QObject* other : widget->parent()->children()) {
            auto* sibling = qobject_cast<QWidget*>(other);
            if (!sibling || sibling == widget || !sibling->isVisibleTo(root)) continue;
            if (sibling->isWindow() || widget < sibling) continue;  // each pair once
            if (area.intersects(sibling->geometry())) {
                faults << "overlap: " + widget->objectName() + " " + sibling->objectName();
            }
        }
    }
    return faults;
}

// The controls Tab visits from the function list, in order, by name.
QStringList tabOrder(QWidget* dialog, QWidget* first) {
    QStringList names;
    QWidget* at = first;
    do {
        if (at->isVisibleTo(dialog) && at->isEnabled() && (at->focusPolicy() & Qt::TabFocus)) {
            names << at->objectName();
        }
        at = at->nextInFocusChain();
    } while (at != first && names.size() < 40);
    return names;
}

void choose(QComboBox* box, int position) {
    box->setCurrentIndex(position);
    emit box->activated(position);
}

}  // namespace

class TestWizardWindow : public QObject {
    Q_OBJECT
private:
    LoadedWindow session;
    MessageRecorder* messages = nullptr;
    TfrmMain* w = nullptr;
    TfrmConditions* wizard = nullptr;
    TfrmConditionsMenu* panels = nullptr;

private slots:
    void initTestCase() {
        QVERIFY(session.open("iris-excel-xls.xls"));
        w = session.w;
        messages = session.messages.get();
        wizard = w->conditionsWizard();
        panels = wizard->frmConditionsMenu;
    }
    void cleanupTestCase() { session.close(); }

    void everyPanelFitsAndTabsInOrder() {
        ModalAnswers answers({[this](QWidget* modal) {
            if (modal != wizard) return false;
            static const char* const names[] = {"unique-values", "duplicates", "filter",
                                                "multi-filter",  "totals",     "data-modify",
                                                "sorting"};
            const QSize size = wizard->size();
            for (int f = 0; f < 7; ++f) {
                wizard->ElTree2->setCurrentRow(f);
                QApplication::processEvents();
                // The wizard is sized for its largest panel and longest description: it does
                // not jump from one function to the next.
                [&] { QCOMPARE(wizard->size(), size); }();
                SaveScreenshot(wizard, QString("wizard-") + names[f]);
                const QStringList faults = layoutFaults(wizard);
                if (!faults.isEmpty()) qWarning() << names[f] << faults;
                [&] { QVERIFY2(faults.isEmpty(), names[f]); }();
            }
            wizard->ElTree2->setCurrentRow(2);
            [&] {
                QCOMPARE(tabOrder(wizard, wizard->ElTree2),
                         (QStringList{"ElTree2", "fldFileToProcess", "fldColToProcessSelect",
                                      "fldSel1Select", "fldData1Select", "fldANDSelect",
                                      "fldORSelect", "fldSel2Select", "fldData2Select", "btnOK",
                                      "btnCancel", "btnClear"}));
            }();
            wizard->ElTree2->setCurrentRow(3);
            [&] {
                QCOMPARE(tabOrder(wizard, wizard->ElTree2).mid(2, 6),
                         (QStringList{"fldCol1MultiSelect", "fldSel1MultiSelect",
                                      "fldData1MultiSelect", "fldCol2MultiSelect",
                                      "fldSel2MultiSelect", "fldData2MultiSelect"}));
            }();
            QTest::keyClick(wizard, Qt::Key_Escape);
            return true;
        }});
        w->btnConditions->click();
        QCOMPARE(answers.answered(), std::size_t(1));
        QVERIFY(!wizard->isVisible());
        // Esc puts back the settings the wizard opened with: still no function.
        QCOMPARE(FunctionIndex, -1);
    }

    // On a palette switched while the program runs, the captions take its link colour and the
    // description its text colour (the box's caption colour must not reach it).
    void coloursFollowThePalette() {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Window, QColor("#2b2b2b"));
        dark.setColor(QPalette::WindowText, QColor("#eeeeee"));
        dark.setColor(QPalette::Link, QColor("#8ab4f8"));
        for (const QPalette& palette : {dark, light}) {
            QApplication::setPalette(palette);
            QApplication::processEvents();
            QCOMPARE(wizard->HelpLabel->palette().color(QPalette::WindowText),
                     palette.color(QPalette::WindowText));
            QCOMPARE(wizard->DescriptionBox->palette().color(QPalette::WindowText),
                     palette.color(QPalette::Link));
            QCOMPARE(wizard->FunctionsLabel->palette().color(QPalette::WindowText),
                     palette.color(QPalette::Link));
        }
    }

    void filterWithTheKeyboard() {
        messages->boxes.clear();
        ModalAnswers answers({[this](QWidget* modal) {
            if (modal != wizard) return false;
            // The first opening shows Unique values, File 1 and the first column.
            [&] {
                QCOMPARE(wizard->ElTree2->currentRow(), 0);
                QCOMPARE(wizard->fldFileToProcess->currentText(), QString("File 1"));
                QCOMPARE(panels->fldColToProcess->currentText(), QString("Sepal.Length"));
                QCOMPARE(wizard->HelpLabel->text(),
                         QString("Searches for unique values for the selected column"));
            }();
            wizard->ElTree2->setCurrentRow(2);
            choose(panels->fldColToProcessSelect, 1);
            // Enter in a value field of an incomplete panel: the first failing check, once.
            QTest::keyClicks(panels->fldData1Select, "3.5.1");
            QTest::keyClick(panels->fldData1Select, Qt::Key_Return);
            [&] {
                QCOMPARE(messages->boxes.size(), 1);
                QCOMPARE(messages->boxes[0].text, QString("Please, select the function!"));
                QVERIFY(wizard->isVisible());
            }();
            choose(panels->fldSel1Select, 4);
            QTest::keyClick(panels->fldData1Select, Qt::Key_Return);
            [&] {
                QCOMPARE(messages->boxes.size(), 2);
                QCOMPARE(messages->boxes[1].text, QString("The first parameter should be number!"));
            }();
            panels->fldData1Select->clear();
            QTest::keyClicks(panels->fldData1Select, "3");
            QTest::mouseClick(panels->fldANDSelect, Qt::LeftButton);
            choose(panels->fldSel2Select, 3);
            QTest::keyClicks(panels->fldData2Select, "5");
            SaveScreenshot(wizard, "wizard-filter-configured");
            QTest::keyClick(panels->fldData2Select, Qt::Key_Return);
            return true;
        }});
        w->btnConditions->click();
        QCOMPARE(answers.answered(), std::size_t(1));
        QCOMPARE(messages->boxes.size(), 2);
        QVERIFY(!wizard->isVisible());
        QCOMPARE(w->fldConditions->rowCount(), 1);
        QCOMPARE(w->fldConditions->item(0, 0)->text(), QString("Sepal.Width"));
        QCOMPARE(w->fldConditions->item(0, 1)->text(), QString(">3 AND <5"));
        QCOMPARE(w->fldConditions->item(0, 2)->text(), QString("In File 1 (iris-excel-xls.xls)"));
        QVERIFY(!ShowLoadedData);
        SaveScreenshot(w, "main-window-condition");
        // Run: the rows of File 1 that pass, in the grid (the README's picture of a session).
        w->btnTBRun->click();
        QVERIFY(ResultGrid.rows() > 2);
        QCOMPARE(messages->boxes.size(), 2);
        SaveScreenshot(w, "main-window-result");

        // "Clear All Fields" empties the list; the configuration stays for the next opening.
        w->btnClearAllFields->click();
        QCOMPARE(w->fldConditions->rowCount(), 0);
        QVERIFY(ShowLoadedData);
        QCOMPARE(SelectOperator1, 4);
        QCOMPARE(Panels.fldData2Select, QString("5"));
    }

    // Closed any way but "Ok" (Esc, the close box, "Cancel"), also after another function was
    // clicked or after "Clear", the wizard leaves the accepted Filter: F9 shows its rows again.
    void everyCloseButOkKeepsWhatTheRowSays() {
        const auto openAnd = [this](const std::function<void()>& act) {
            ModalAnswers answers({[&](QWidget* modal) {
                if (modal != wizard) return false;
                act();
                return true;
            }});
            w->btnConditions->click();
            return answers.answered() == 1 && !wizard->isVisible();
        };
        const auto runShows = [this] {
            messages->boxes.clear();
            w->mnuRun->trigger();  // F9
            QStringList shown;
            for (int r = 0; r < ResultGrid.rows(); ++r) {
                QStringList cells;
                for (int c = 0; c < ResultGrid.columns(); ++c) cells << ResultGrid.textMatrix(r, c);
                shown << cells.join('|');
            }
            for (const auto& box : messages->boxes) shown << box.text;
            return shown;
        };
        // The Filter of the test before, accepted again.
        QVERIFY(openAnd([this] { wizard->btnOK->click(); }));
        QCOMPARE(w->fldConditions->item(0, 1)->text(), QString(">3 AND <5"));
        const QStringList filtered = runShows();
        QVERIFY(filtered.size() > 2 && filtered.size() < 151);

        const std::vector<std::pair<const char*, std::function<void()>>> closes = {
            {"Esc after Totals was clicked",
             [this] {
                 wizard->ElTree2->setCurrentRow(4);
                 choose(panels->fldSelTotals, 1);
                 QTest::keyClick(wizard, Qt::Key_Escape);
             }},
            {"Cancel after Clear",
             [this] {
                 wizard->btnClear->click();
                 wizard->btnCancel->click();
             }},
            {"the close box after Totals, Clear and a refused Ok",
             [this] {
                 wizard->ElTree2->setCurrentRow(4);
                 wizard->btnClear->click();
                 wizard->btnOK->click();
                 wizard->close();
             }},
        };
        for (const auto& [name, close] : closes) {
            QVERIFY2(openAnd(close), name);
            QCOMPARE(w->fldConditions->rowCount(), 1);
            QCOMPARE(w->fldConditions->item(0, 1)->text(), QString(">3 AND <5"));
            const QStringList shown = runShows();
            QVERIFY2(shown == filtered, qPrintable(name + (": " + shown.mid(0, 3).join(" / "))));
        }
    }
};

QTEST_MAIN(TestWizardWindow)
#include "tst_wizardwindow.moc"
