// Every window and every panel of the wizard at the default font, 11 pt and 14 pt, on a light and
// a dark palette: no caption, button text, group title or column heading is cut, and no two
// visible controls side by side overlap. With QUARIX_SCREENSHOTS=DIR each window is saved there as
// WINDOW-SETTING.png.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/ApplicationWindows.h"
#include "app/HelpWindow.h"
#include "app/PlatformSeams.h"
#include "app/uFrmAbout.h"
#include "app/uFrmMessage.h"
#include "app/uFrmProcessing.h"
#include "app/ufrmMain.h"
#include "app/widgets/WindowPlacement.h"
#include "conditions/ConditionList.h"
#include "conditions/forms/uFrmConditions.h"
#include "data/forms/ufrmChooseSheet.h"
#include "data/forms/ufrmShowFieldsList.h"
#include "data/uGlobalData.h"
#include "support/TestFiles.h"

namespace {

struct Setting {
    const char* name;
    int pointSize;  // 0: the default font
    bool dark;
};
const Setting kSettings[] = {{"default-light", 0, false}, {"default-dark", 0, true},
                             {"11pt-light", 11, false},   {"11pt-dark", 11, true},
                             {"14pt-light", 14, false},   {"14pt-dark", 14, true}};

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x6e, 0xa8));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0x9a));
    return dark;
}

// Sufficient contrast between a text colour and the background it stands on: the difference of
// their lightness, as a share of the full range.
bool readable(const QColor& text, const QColor& background) {
    return std::abs(text.lightness() - background.lightness()) >= 90;
}

QString visibleText(QString text) {
    text.remove(QLatin1Char('&'));  // the mnemonic marker is not drawn
    return text;
}

int widestLine(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// Internal children of composite controls, laid out by the controls themselves.
bool isInternal(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    for (const QWidget* p = parent; p && !p->isWindow(); p = p->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea*>(p) || qobject_cast<const QComboBox*>(p) ||
            qobject_cast<const QToolBar*>(p) || qobject_cast<const QMenuBar*>(p) ||
            qobject_cast<const QLineEdit*>(p)) {
            return true;
        }
    }
    return false;
}

// What is wrong with one window, one line a fault.
QStringList faultsOf(QWidget* window) {
    QStringList faults;
    const auto where = [](const QWidget* w) {
        return QStringLiteral("%1 (%2)").arg(w->objectName(), w->metaObject()->className());
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        // A table's headings belong to it, but are judged all the same.
        if (!w->isVisible() || w->isWindow() || (isInternal(w) && !qobject_cast<QHeaderView*>(w)))
            continue;
        const QFontMetrics metrics(w->font());
        int needed = 0;
        int room = 0;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->wordWrap() || label->text().isEmpty()) continue;
            text = visibleText(label->text());
            needed = widestLine(metrics, text);
            room = label->contentsRect().width() - 2 * label->margin() - label->indent();
            if (!readable(label->palette().color(label->foregroundRole()),
                          label->palette().color(QPalette::Window))) {
                faults << where(w) + QStringLiteral(": its text can hardly be read");
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty() || qobject_cast<QToolButton*>(w)) continue;
            text = visibleText(button->text());
            needed = metrics.horizontalAdvance(text);
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const QStyle::SubElement contents =
                qobject_cast<QCheckBox*>(w)      ? QStyle::SE_CheckBoxContents
                : qobject_cast<QRadioButton*>(w) ? QStyle::SE_RadioButtonContents
                                                 : QStyle::SE_PushButtonContents;
            room = w->style()->subElementRect(contents, &option, w).width();
            if (!button->icon().isNull()) needed += button->iconSize().width() + 4;
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (group->title().isEmpty()) continue;
            text = visibleText(group->title());
            needed = metrics.horizontalAdvance(text);
            room = group->width() - metrics.averageCharWidth();
        } else if (auto* header = qobject_cast<QHeaderView*>(w)) {
            // The result grid's columns are as wide as the window allows for all of them, as
            // the grid's rules give; its headings may be cut like the cells under them.
            if (header->parentWidget() && header->parentWidget()->objectName() == "MSFlexGrid1")
                continue;
            const int margin = w->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, w);
            for (int section = 0; section < header->count(); ++section) {
                if (header->isSectionHidden(section)) continue;
                const QString heading =
                    header->model()->headerData(section, header->orientation()).toString();
                // The part of the column in sight must show its whole heading.
                int shown = header->sectionSize(section);
                if (header->orientation() == Qt::Horizontal) {
                    const int start = header->sectionPosition(section) - header->offset();
                    shown =
                        std::min(start + shown, header->viewport()->width()) - std::max(start, 0);
                }
                if (metrics.horizontalAdvance(heading) + 2 * margin > shown)
                    faults << where(w) + QStringLiteral(": heading \"%1\" is cut or out of sight")
                                             .arg(heading);
            }
            continue;
        } else {
            continue;
        }
        if (needed > room) {
            faults << where(w) + QStringLiteral(": \"%1\" needs %2 pixels, has %3")
                                     .arg(text)
                                     .arg(needed)
                                     .arg(room);
        }
    }
    // Siblings: no two visible controls of one parent overlap.
    widgets.prepend(window);
    for (QWidget* parent : widgets) {
        if (!parent->isVisible() || (parent != window && isInternal(parent))) continue;
        if (qobject_cast<QAbstractScrollArea*>(parent) || qobject_cast<QComboBox*>(parent) ||
            qobject_cast<QToolBar*>(parent) || qobject_cast<QMenuBar*>(parent)) {
            continue;
        }
        QList<QWidget*> children;
        for (QObject* child : parent->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w && w->isVisible() && !w->isWindow() && !w->geometry().isEmpty()) children << w;
        }
        for (qsizetype i = 0; i < children.size(); ++i) {
            for (qsizetype j = i + 1; j < children.size(); ++j) {
                if (children[i]->geometry().intersects(children[j]->geometry())) {
                    faults << where(children[i]) + QStringLiteral(" overlaps ") +
                                  where(children[j]);
                }
            }
        }
    }
    return faults;
}

}  // namespace

class TestLayouts : public QObject {
    Q_OBJECT
private:
    QFont m_defaultFont;
    QPalette m_lightPalette;
    QStringList m_faults;

    void look(QWidget* window, const QString& name, const Setting& setting) {
        window->show();
        QApplication::processEvents();
        for (const QString& fault : faultsOf(window))
            m_faults << QStringLiteral("%1 at %2: %3").arg(name, setting.name, fault);
        const QString folder = qEnvironmentVariable("QUARIX_SCREENSHOTS");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            window->grab().save(
                QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(name, setting.name)));
        }
    }

    void walkEveryWindow(const Setting& setting) {
        ApplicationWindows windows;
        TfrmMain* main = windows.frmMain();

        // The main window with a result: a sheet reversed, its condition row listed.
        const QString iris = TestFiles::publicFile("iris-excel-xls.xls");
        QCOMPARE(LoadSourceFile(FileSlot::File1, iris, FileKind::Workbook, {}, nullptr).status,
                 SlotLoad::Loaded);
        // The field shows a user's folder, as the README's pictures do, not the build's.
        main->showFilePath(FileSlot::File1, "/home/ann/reports/iris.xls");
        main->EnableFileCommands(CommandGroup::NeedsFile1);
        ResetConditionSettings();
        FunctionIndex = int(WizardFunction::Sorting);
        ShowLoadedData = false;
        ConditionRows = {{"All", "Reverse line order", "In File 1 (iris.xls)"}};
        ConditionsChanged();
        QCOMPARE(RunCommand(), RunOutcome::Result);
        look(main, "main", setting);

        // The wizard on each of its panels.
        TfrmConditions* wizard = main->conditionsWizard();
        wizard->show();
        for (int function = 0; function < 7; ++function) {
            wizard->ElTree2->setCurrentRow(function);
            look(wizard, QStringLiteral("wizard-%1").arg(function), setting);
        }
        wizard->hide();

        auto* chooser = main->findChild<TfrmChooseSheet*>();
        chooser->ListBox1->clear();
        chooser->ListBox1->addItems({"Sales 2026", "Returns", "A sheet with a long name"});
        look(chooser, "choose-sheet", setting);
        chooser->hide();

        // A long heading must not push the Type column out of sight.
        auto* types = main->findChild<TfrmShowFieldsList*>();
        const clResult contents = ContentsFromTexts(
            {"Region", "Amount of the sales in the second quarter, before returns"},
            {FieldType::String, FieldType::Float}, 1, [](int, int) { return QString("1"); });
        types->fill(contents);
        look(types, "field-types", setting);
        types->hide();

        windows.frmProcessing()->showProgress();
        look(windows.frmProcessing(), "progress", setting);
        windows.frmProcessing()->closeProgress();
        windows.frmMessage()->showWaiting(
            "Loading..", "Please wait! Loading data from selected file!\r\nIt may take some time");
        look(windows.frmMessage(), "waiting", setting);
        windows.frmMessage()->closeWaiting();
        look(windows.FrmAbout(), "about", setting);
        windows.FrmAbout()->hide();
        windows.helpWindow()->showContents();
        look(windows.helpWindow(), "help", setting);
        windows.helpWindow()->hide();

        // A short message keeps its whole caption.
        QMessageBox box;
        box.setWindowTitle(WarningCaption);
        box.setText("Done");
        ConfigureMessageBox(box, MessageStyle::Warning);
        KeepWideEnoughForCaption(&box);
        look(&box, "message", setting);
        const QFontMetrics metrics(box.font());
        if (box.width() < metrics.horizontalAdvance(box.windowTitle()) + 4 * metrics.height())
            m_faults
                << QStringLiteral("message at %1: narrower than its caption").arg(setting.name);
        box.hide();

        main->hide();
        ReleaseSlot(File1);
    }

private slots:
    void initTestCase() {
        m_defaultFont = QApplication::font();
        m_lightPalette = QApplication::palette();
    }

    void everyWindowFitsItsTexts_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kSettings)); ++i) QTest::newRow(kSettings[i].name) << i;
    }
    void everyWindowFitsItsTexts() {
        QFETCH(int, index);
        const Setting& setting = kSettings[index];
        QFont font = m_defaultFont;
        if (setting.pointSize > 0) font.setPointSize(setting.pointSize);
        QApplication::setFont(font);
        QApplication::setPalette(setting.dark ? darkPalette() : m_lightPalette);
        m_faults.clear();
        walkEveryWindow(setting);
        QApplication::setFont(m_defaultFont);
        QApplication::setPalette(m_lightPalette);
        // One line a fault: a failure message of the test framework would be cut short.
        for (const QString& fault : m_faults) qInfo("%s", qPrintable(fault));
        QVERIFY2(m_faults.isEmpty(), qPrintable(QStringLiteral("%1 faults").arg(m_faults.size())));
    }
};

QTEST_MAIN(TestLayouts)
#include "tst_layouts.moc"
