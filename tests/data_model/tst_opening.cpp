// Opening a source as File 1 or File 2: the chooser, the messages, the load and its cancel, the
// checks, and what the main window is asked to do after each outcome.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "data/SlotLoading.h"
#include "data/access/SheetTable.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/uGridProcessor.h"
#include "support/DbfBuilder.h"
#include "support/SeamFakes.h"
#include "support/TestFiles.h"
#include "xls/BiffBuilder.h"

namespace {

// The main window as the core sees it: records what it is asked, chooses sheets as scripted.
class ScriptedWindow : public FileSlotView {
public:
    QStringList calls;
    int chooseIndex = 0;  // -1: the user presses Esc in the chooser
    void clearFileField(FileSlot slot) override { calls << QString("clear %1").arg(int(slot)); }
    void DisableFileCommands(CommandGroup group) override {
        calls << QString("disable %1").arg(int(group));
    }
    void EnableFileCommands(CommandGroup group) override {
        calls << QString("enable %1").arg(int(group));
    }
    void setSaveEnabled(bool enabled) override { calls << QString("save %1").arg(enabled); }
    void ShowFieldTypes(FileSlot slot) override {
        calls << QString("types %1").arg(int(slot));
        // The types are shown once the copy is over, never under its progress dialog.
        const auto* progress = dynamic_cast<const ScriptedProgress*>(progressView());
        typesUnderProgress = typesUnderProgress || (progress && progress->visible);
    }
    bool typesUnderProgress = false;
    void chooseSheet(FileSlot slot) override {
        clFile& file = SlotOf(slot);
        file.SheetName = file.Sheets.front().Value;
        if (chooseIndex < 0 || chooseIndex >= int(file.Sheets.size())) return;
        file.SheetName = file.Sheets[std::size_t(chooseIndex)].Value;
        SheetChosen = true;
    }
};

QString publicFile(const char* name) {
    return TestFiles::publicFile(QString::fromLatin1(name));
}

}  // namespace

class TestOpening : public QObject {
    Q_OBJECT
private:
    ScriptedWindow m_window;
    QTemporaryDir m_dir;

    QString dbf(const QString& name, const std::vector<DbfBuilderField>& fields, int records) {
        DbfBuilder builder;
        builder.fields = fields;
        for (int r = 0; r < records; ++r) {
            std::vector<QByteArray> record;
            for (const DbfBuilderField& field : fields) {
                record.push_back(field.type == 'N' ? QByteArray::number(r)
                                                   : "v" + QByteArray::number(r));
            }
            builder.records.push_back(record);
        }
        const QString path = m_dir.filePath(name);
        if (!builder.write(path)) qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    // Every cell of a loaded slot as "id:text", column by column.
    static QList<QStringList> cellsWithIds(const clFile& slot) {
        QList<QStringList> columns;
        if (!slot.isLoaded()) return columns;
        for (const clField& field : slot.Contents->Fields) {
            QStringList cells;
            for (std::size_t row = 0; row < field.Values.size(); ++row) {
                cells << QString::number(field.Values.idAt(row)) + ':' + field.Values[row].Value;
            }
            columns << cells;
        }
        return columns;
    }

    void initTestCase() {
        QVERIFY(m_dir.isValid());
        setFileSlotView(&m_window);
    }
    void cleanupTestCase() { setFileSlotView(nullptr); }
    void init() {
        UnloadFile(File1);
        UnloadFile(File2);
        m_window.calls.clear();
        m_window.chooseIndex = 0;
        m_window.typesUnderProgress = false;
    }

    void file1Outcomes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("chooseIndex");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        const int workbook = int(FileKind::Workbook), dbase = int(FileKind::Dbase);
        QTest::newRow("workbook, first sheet")
            << publicFile("iris-excel-xls.xls") << workbook << 0 << true << ""
            << "";
        QTest::newRow("second sheet chosen")
            << publicFile("types.xls") << workbook << 1 << true << ""
            << "";
        QTest::newRow("Esc in the chooser")
            << publicFile("types.xls") << workbook << -1 << false << ""
            << "";
        QTest::newRow("dBase table, no chooser")
            << publicFile("cp1251.dbf") << dbase << -1 << true << ""
            << "";
        QTest::newRow("headings only")
            << publicFile("empty-sheets.xls") << workbook << 1 << false << "Quarix Message"
            << "File is empty";
        // The program's text, then the file and the cause the system (or the reader) gave.
        QTest::newRow("password")
            << publicFile("password.xls") << workbook << 0 << false << "Message"
            << "File is password protected. Please unlock the file and try again.\n" +
                   publicFile("password.xls") + ": Encrypted with a password";
        QTest::newRow("damaged") << publicFile("xls2csv_ole_ole2_fread_327.xls") << workbook << 0
                                 << false << "Error"
                                 << "Error opening file!\n" +
                                        publicFile("xls2csv_ole_ole2_fread_327.xls") +
                                        ": Not a workbook";
        QTest::newRow("duplicated headings")
            << publicFile("unnamed-duplicated-columns.xls") << workbook << 0 << false << "Error"
            << "Cannot open " + publicFile("unnamed-duplicated-columns.xls") +
                   ". Too many fields (more than 255) or duplicated names.\n" +
                   publicFile("unnamed-duplicated-columns.xls") +
                   ": Two columns are headed \"var2\"";
        QTest::newRow("vanished") << m_dir.filePath("gone.xls") << workbook << 0 << false << "Error"
                                  << "Error opening file!\n" + m_dir.filePath("gone.xls") +
                                         ": No such file or directory";
        QDir(m_dir.path()).mkdir("folder.xls");
        QTest::newRow("a folder") << m_dir.filePath("folder.xls") << dbase << 0 << false << "Error"
                                  << "Error opening file!\n" + m_dir.filePath("folder.xls") +
                                         ": Is a directory";
        const QString empty = m_dir.filePath("empty.dbf");
        QFile(empty).open(QIODevice::WriteOnly);
        QTest::newRow("empty file") << empty << dbase << 0 << false << "Error"
                                    << "Error opening file!\n" + empty + ": The file is empty";
        const QString text = m_dir.filePath("notes.xls");
        QFile notes(text);
        if (!notes.open(QIODevice::WriteOnly) || notes.write("just some notes\n") < 0) {
            qFatal("cannot write %s", qPrintable(text));
        }
        notes.close();
        QTest::newRow("not a workbook") << text << workbook << 0 << false << "Error"
                                        << "Error opening file!\n" + text + ": Not a workbook";
        // A workbook of a chart alone has no sheet to load.
        const QString chartOnly = m_dir.filePath("chart.xls");
        QFile chart(chartOnly);
        if (!chart.open(QIODevice::WriteOnly) ||
            chart.write(Biff::workbook(Biff::defaultXfs(), {{QStringLiteral("Chart"), 2, 0, {}}})) <
                0) {
            qFatal("cannot write %s", qPrintable(chartOnly));
        }
        chart.close();
        QTest::newRow("no sheets") << chartOnly << workbook << 0 << false << "Quarix Message"
                                   << "File 1 is empty";
    }
    void file1Outcomes() {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(int, chooseIndex);
        QFETCH(bool, loaded);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        MessageRecorder messages;
        ScriptedProgress progress;
        m_window.chooseIndex = chooseIndex;
        OpenSourceFile(path, FileSlot::File1, FileKind(kind));
        QCOMPARE(File1.isLoaded(), loaded);
        QCOMPARE(File1.isInUse(), loaded);
        QCOMPARE(messages.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(messages.boxes[0].caption, caption);
            QCOMPARE(messages.boxes[0].text, message);
        }
        QCOMPARE(m_window.calls.contains("enable 0"), loaded);
        QCOMPARE(m_window.calls.contains("types 1"), loaded);
        if (!loaded) QVERIFY(m_window.calls.contains("disable 0"));
        if (loaded && kind == int(FileKind::Dbase)) QCOMPARE(File1.SheetName, QString("cp1251"));
        if (loaded) QCOMPARE(progress.steps, File1.Contents->Fields[0].RecordCount);
        QVERIFY(!m_window.typesUnderProgress);
    }

    // Every public file, as File 1 and as File 2: loaded, or one message and a free slot. The
    // load routine underneath returns the same message and shows nothing itself.
    void everyPublicFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("slot");
        for (const char* suffix :
             {".xls", ".XLS", ".dbf", ".xlsx", ".ods", ".csv", ".tsv", ".md"}) {
            for (const QString& file : TestFiles::publicFilesWithSuffix(suffix)) {
                QTest::addRow("%s as File 1", qPrintable(file)) << file << 1;
                QTest::addRow("%s as File 2", qPrintable(file)) << file << 2;
            }
        }
    }
    void everyPublicFile() {
        QFETCH(QString, file);
        QFETCH(int, slot);
        MessageRecorder messages;
        ScriptedProgress progress;
        if (slot == 2) OpenSourceFile(publicFile("cp1251.dbf"), FileSlot::File1, FileKind::Dbase);
        const QString path = TestFiles::publicFile(file);
        const FileKind kind = SourceKindOf(path).value_or(FileKind::Workbook);
        // The window's load writes the values' texts on two threads, in blocks of a few rows;
        // the load below on one: the same ids and texts.
        setRenderSettings({2, 1, 7});
        OpenSourceFile(path, FileSlot(slot), kind);
        setRenderSettings({1});
        const clFile& opened = SlotOf(FileSlot(slot));
        const QList<QStringList> parallel = cellsWithIds(opened);
        QCOMPARE(opened.isInUse(), opened.isLoaded());
        QCOMPARE(messages.boxes.size(), opened.isLoaded() ? 0 : 1);
        QVERIFY(!progress.visible);
        if (slot == 2) QVERIFY(File1.isLoaded());

        const bool loaded = opened.isLoaded();
        const QString shown = loaded ? QString() : messages.boxes[0].text;
        const SlotLoadResult result = LoadSourceFile(FileSlot(slot), path, kind, {}, nullptr);
        QCOMPARE(result.status == SlotLoad::Loaded, loaded);
        QCOMPARE(result.message.text, shown);
        QCOMPARE(messages.boxes.size(), loaded ? 0 : 1);
        QCOMPARE(cellsWithIds(SlotOf(FileSlot(slot))), parallel);
        setRenderSettings({});
    }

    // A path from the command line opens as the dialog's choice does; a missing one is told.
    void commandLinePath() {
        MessageRecorder messages;
        OpenNamedFile(FileSlot::File1, "/nonexistent/sales.xls");
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].text, QString("File /nonexistent/sales.xls was not found."));
        QVERIFY(!File1.isInUse());
        OpenNamedFile(FileSlot::File1, publicFile("cp1251.dbf"));
        QVERIFY(File1.isLoaded());
        QCOMPARE(File1History.back().Value, publicFile("cp1251.dbf"));
        UnloadFile(File1);
    }

    // The open dialog starts in the folder of the file last opened, whichever way, else at home.
    void openDialogStartsWhereTheLastFileWas() {
        MessageRecorder messages;
        FileDialogScript dialogs;
        LastOpenedFile.clear();
        OpenFileFromDialog(FileSlot::File1);
        QCOMPARE(dialogs.requests.last().folder, QDir::homePath());
        const QString chosen = dbf("chosen.dbf", {{"A", 'C', 4, 0}}, 2);
        dialogs.script({{chosen, 1}});
        OpenFileFromDialog(FileSlot::File1);
        QVERIFY(File1.isLoaded());
        OpenFileFromDialog(FileSlot::File2);
        QCOMPARE(dialogs.requests.last().folder, m_dir.path());
        OpenRecentFile(FileSlot::File1, publicFile("cp1251.dbf"));
        OpenFileFromDialog(FileSlot::File1);
        QCOMPARE(dialogs.requests.last().folder,
                 QFileInfo(publicFile("cp1251.dbf")).absolutePath());
        LastOpenedFile = m_dir.filePath("removed/since.xls");
        OpenFileFromDialog(FileSlot::File1);
        QCOMPARE(dialogs.requests.last().folder, QDir::homePath());
        QCOMPARE(dialogs.requests.size(), 5);
        UnloadFile(File1);
    }

    // Headings that cannot name a result's columns, "[" and "]" among them.
    void refusedHeading() {
        MessageRecorder messages;
        const QString path = dbf("bracket.dbf", {{"A[B", 'C', 4, 0}}, 2);
        OpenSourceFile(path, FileSlot::File1, FileKind::Dbase);
        QVERIFY(!File1.isInUse());
        QCOMPARE(messages.boxes.size(), 1);
        QVERIFY(messages.boxes[0].text.startsWith("Error in field name."));
    }

    void file2AgainstFile1_data() {
        QTest::addColumn<QByteArray>("secondName");
        QTest::addColumn<char>("secondType");
        QTest::addColumn<QString>("message");
        QTest::newRow("matching") << QByteArray("COUNT") << 'N' << "";
        QTest::newRow("letter case")
            << QByteArray("Count") << 'N'
            << "Can't proceed. Column headings in File 1 and  File 2 mismatch!";
        QTest::newRow("text against integer")
            << QByteArray("COUNT") << 'C'
            << "Can't proceed.  Column types in File 1 and File 2 mismatch!";
    }
    void file2AgainstFile1() {
        QFETCH(QByteArray, secondName);
        QFETCH(char, secondType);
        QFETCH(QString, message);
        MessageRecorder messages;
        OpenSourceFile(dbf("one.dbf", {{"NAME", 'C', 4, 0}, {"COUNT", 'N', 4, 0}}, 3),
                       FileSlot::File1, FileKind::Dbase);
        QVERIFY(File1.isLoaded());
        m_window.calls.clear();
        OpenSourceFile(dbf("two.dbf", {{"NAME", 'C', 4, 0}, {secondName, secondType, 4, 0}}, 2),
                       FileSlot::File2, FileKind::Dbase);
        QCOMPARE(File2.isLoaded(), message.isEmpty());
        QCOMPARE(m_window.calls.contains("enable 1"), message.isEmpty());
        QCOMPARE(messages.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) QCOMPARE(messages.boxes[0].text, message);
        QVERIFY(File1.isLoaded());
    }

    // A cancel while File 2 is copied leaves File 2 free and File 1 and the grid as they were.
    void cancelledFile2() {
        OpenSourceFile(publicFile("cp1251.dbf"), FileSlot::File1, FileKind::Dbase);
        ResultGrid.setRows(5);
        ResultGrid.setTextMatrix(1, 1, "kept");
        m_window.calls.clear();
        ScriptedProgress progress(2);
        OpenSourceFile(publicFile("cp1251.dbf"), FileSlot::File2, FileKind::Dbase);
        QVERIFY(!File2.isInUse());
        QVERIFY(File1.isLoaded());
        QCOMPARE(ResultGrid.textMatrix(1, 1), QString("kept"));
        QVERIFY(!m_window.calls.contains("disable 0"));
        QCOMPARE(progress.closes, 1);
    }

    // File 1 reopened while File 2 is loaded keeps File 2 only while the columns still match.
    void reopenedFile1KeepsAMatchingFile2() {
        OpenSourceFile(publicFile("cp1251.dbf"), FileSlot::File1, FileKind::Dbase);
        OpenSourceFile(publicFile("cp1251.dbf"), FileSlot::File2, FileKind::Dbase);
        QVERIFY(File2.isLoaded());
        OpenSourceFile(publicFile("cp1251.dbf"), FileSlot::File1, FileKind::Dbase);
        QVERIFY(File2.isLoaded());
        OpenSourceFile(publicFile("wps_write.dbf"), FileSlot::File1, FileKind::Dbase);
        QVERIFY(File1.isLoaded());
        QVERIFY(!File2.isInUse());
    }
};

QTEST_GUILESS_MAIN(TestOpening)
#include "tst_opening.moc"
