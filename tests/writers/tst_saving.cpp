// The Save command: the columns it writes for each layout, the file name it settles on, its
// refusals, its cancels, and every saved file read back by xlrd or dbfread with the grid's
// content, in the grid's order.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

#include "WriterTestSupport.h"
#include "conditions/ConditionPanels.h"
#include "data/ResultSaving.h"
#include "data/access/AtomicFile.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "processing/RunCommand.h"
#include "processing/uGridProcessor.h"
#include "support/SeamFakes.h"

namespace {

// Name (text), Amount (float), Day (date), Count (integer).
void load(clFile& file, const QString& path, const std::vector<QStringList>& rows) {
    file.FilePath = path;
    file.FileName = QFileInfo(path).fileName();
    file.Connection = std::make_unique<DbConnection>();
    file.Contents = std::make_unique<clResult>(ContentsFromTexts(
        {"Name", "Amount", "Day", "Count"},
        {FieldType::String, FieldType::Float, FieldType::Date, FieldType::Integer},
        std::int32_t(rows.size()), [&](int r, int c) { return rows[std::size_t(r)][c]; }));
}

const std::vector<QStringList> kRows = {
    {"O'Brien", "12.5", "1 Jan 2024", "3"},
    {"", "", "", ""},
    {"Smith", "2.25", "2 Jan 2024", "7"},
};

QStringList xlrdRow(const QJsonObject& book, int row) {
    QStringList cells;
    for (const QJsonValue& cell : book["rows"].toArray()[row].toArray()) {
        cells << cell[0].toString() + ":" +
                     (cell[0].toString() == "n" ? QString::number(cell[1].toDouble())
                                                : cell[1].toString());
    }
    return cells;
}

}  // namespace

class TestSaving : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    SaveRecorder window;
    std::unique_ptr<MessageRecorder> messages;

    QString path(const QString& name) const { return dir.filePath(name); }
    void view(bool twoFiles = false) {
        load(File1, path("source1.xls"), kRows);
        if (twoFiles) load(File2, path("source2.xls"), kRows);
        ShowLoadedData = true;
        QCOMPARE(RunCommand(), RunOutcome::LoadedData);
    }

private slots:
    void initTestCase() {
        const QString missing = WriterTest::peerReadersMissing();
        if (!missing.isEmpty()) QFAIL(qPrintable(missing));
    }
    void init() {
        messages = std::make_unique<MessageRecorder>();
        setFileSlotView(&window);
        window.saves.clear();
    }
    void cleanup() {
        messages.reset();
        setFileSlotView(nullptr);
        UnloadFile(File1);
        UnloadFile(File2);
        ResetConditionSettings();
        ResetPanels();
        ShowLoadedData = true;
        ClearFlexGrid();
    }

    void columnsOfEachLayout() {
        ResultLayout plain;
        plain.valid = true;
        plain.fields = {{"Name", FieldType::String}, {"Amount", FieldType::Float}};
        SavedColumns columns = composeSavedColumns(plain, ResultFileType::Excel);
        QCOMPARE(columns.definitions.join(','), QString("[Name] TEXT ,[Amount] REAL "));
        plain.fileNumberColumn = true;
        plain.fields.push_back({"First name", FieldType::Date});
        columns = composeSavedColumns(plain, ResultFileType::Dbase);
        QCOMPARE(columns.definitions.join(','),
                 QString("[Name] TEXT ,[Amount] REAL ,[First_name] TEXT ,[File number] REAL"));

        // Totals: grouping, value ",totals", Records, the others; a number column whose groups
        // differ is text.
        ResultLayout totals;
        totals.valid = true;
        totals.totals = true;
        totals.fields = {{"City", FieldType::String},
                         {"Sales", FieldType::Float},
                         {"Count", FieldType::Integer},
                         {"Rate", FieldType::Float}};
        totals.totalsColumns = {0, 1};
        totals.differMarks = {"-", "4"};
        columns = composeSavedColumns(totals, ResultFileType::Excel);
        QCOMPARE(
            columns.definitions.join(','),
            QString("[City] TEXT ,[Sales,totals] REAL ,[Records] REAL,[Count] TEXT ,[Rate] REAL "));
        QCOMPARE(columns.kinds, (std::vector<int>{2, 1, 1, 2, 1}));
    }

    void fileNames() {
        QCOMPARE(SettleResultFileName("/a/r", ResultFileType::Excel), QString("/a/r.xls"));
        QCOMPARE(SettleResultFileName("/a/r.dbf", ResultFileType::Excel), QString("/a/r.xls"));
        QCOMPARE(SettleResultFileName("/a/r.XLS", ResultFileType::Excel), QString("/a/r.XLS"));
        QCOMPARE(SettleResultFileName("/a/my.dbf.d/r", ResultFileType::Excel),
                 QString("/a/my.dbf.d/r.xls"));
        QCOMPARE(SettleResultFileName("/a/r.xls.txt", ResultFileType::Dbase),
                 QString("/a/r.xls.txt.dbf"));
        QCOMPARE(SettleResultFileName("/a/r.Xls", ResultFileType::Dbase), QString("/a/r.dbf"));
        // Three types: the final extension only, never "out.dbfx" or a .xls named ".xlsx".
        QCOMPARE(SettleResultFileName("/a/out.xlsx", ResultFileType::Excel), QString("/a/out.xls"));
        QCOMPARE(SettleResultFileName("/a/out.XLSX", ResultFileType::ExcelWorkbook),
                 QString("/a/out.XLSX"));
        QCOMPARE(SettleResultFileName("/a/out.dbf", ResultFileType::ExcelWorkbook),
                 QString("/a/out.xlsx"));
        QCOMPARE(SettleResultFileName("/a/out.xls", ResultFileType::Dbase), QString("/a/out.dbf"));
        QCOMPARE(SettleResultFileName("/a/out", ResultFileType::ExcelWorkbook),
                 QString("/a/out.xlsx"));
        QCOMPARE(SettleResultFileName("/a/x.xlsx.d/out", ResultFileType::Dbase),
                 QString("/a/x.xlsx.d/out.dbf"));
    }

    // The .xlsx result holds what the .xls one holds, read back by openpyxl; its row limit is
    // the workbook's own, checked once the dialog has told the type.
    void anExcelWorkbookResult() {
        view();
        ResultGrid.setCurrentCell(1, 1);
        SortResultGrid(false);
        QCOMPARE(SaveResultFile(path("view.xlsx"), ResultFileType::ExcelWorkbook),
                 SaveOutcome::Saved);
        const QJsonObject book = WriterTest::readWithOpenpyxl(path("view.xlsx"));
        QCOMPARE(book["sheets"].toArray().first().toString(), QString("Result"));
        QCOMPARE(xlrdRow(book, 0), (QStringList{"s:Name", "s:Amount", "s:Day", "s:Count"}));
        QCOMPARE(xlrdRow(book, 1), (QStringList{"s:Smith", "n:2.25", "s:2 Jan 2024", "n:7"}));
        QCOMPARE(xlrdRow(book, 2), (QStringList{"s:O'Brien", "n:12.5", "s:1 Jan 2024", "n:3"}));
        QCOMPARE(book["nrows"].toInt(), 3);
        QCOMPARE(WriterTest::folderEntries(dir.path()).filter(".quarix"), QStringList());

        // Replaced once complete; a row the workbook cannot hold (a text past 32,767
        // characters) leaves the old file as it was, nothing else behind, and one warning.
        QCOMPARE(SaveResultFile(path("view.xlsx"), ResultFileType::ExcelWorkbook),
                 SaveOutcome::Saved);
        const QByteArray saved = [&] {
            QFile file(path("view.xlsx"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        const QStringList before = WriterTest::folderEntries(dir.path());
        ResultGrid.setTextMatrix(2, 1, QString(40000, QLatin1Char('x')));
        const qsizetype boxes = messages->boxes.size();
        QCOMPARE(SaveResultFile(path("view.xlsx"), ResultFileType::ExcelWorkbook),
                 SaveOutcome::Failed);
        QCOMPARE(messages->boxes.size(), boxes + 1);
        QVERIFY(messages->boxes.last().text.startsWith("Row 2 could not be written"));
        QCOMPARE(WriterTest::folderEntries(dir.path()), before);
        QFile kept(path("view.xlsx"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), saved);
        // A loaded source is never written, whatever the type.
        QCOMPARE(SaveResultFile(File1.FilePath, ResultFileType::ExcelWorkbook),
                 SaveOutcome::Refused);
        ResultGrid.setTextMatrix(2, 1, QString());

        ResultGrid.setRows(65538);
        FileDialogScript dialogs;
        dialogs.script({{path("big"), 0}, {path("big"), 2}});
        QCOMPARE(SaveResults(), SaveOutcome::Refused);
        QVERIFY(messages->boxes.last().text.startsWith("Output file is over 65535 rows"));
        QCOMPARE(SaveResults(), SaveOutcome::Saved);
        QCOMPARE(WriterTest::readWithOpenpyxl(path("big.xlsx"))["rows"].toArray().size(), 3);
        QCOMPARE(dialogs.requests[0].filters.value(2), QString("Excel Workbook (*.xlsx)"));
    }

    // The .csv result, read back by Python's csv module: dates in ISO form, an empty row still a
    // row; replaced only once complete, a source
    // never written, the workbook's row limit, the last type of the dialog.
    void aCsvResult() {
        view();
        ResultGrid.setCurrentCell(1, 1);
        SortResultGrid(false);
        const QString target = path("view.csv");
        QCOMPARE(SaveResultFile(target, ResultFileType::Csv), SaveOutcome::Saved);
        QCOMPARE(WriterTest::readWithPythonCsv(target),
                 (QList<QStringList>{{"Name", "Amount", "Day", "Count"},
                                     {"Smith", "2.25", "2024-01-02", "7"},
                                     {"O'Brien", "12.5", "2024-01-01", "3"},
                                     {"", "", "", ""}}));
        QCOMPARE(WriterTest::folderEntries(dir.path()).filter(".quarix"), QStringList());

        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        saved.close();
        const QStringList before = WriterTest::folderEntries(dir.path());
        ResultGrid.setTextMatrix(2, 1, QString("a") + QChar(0));  // no text file holds a NUL
        QCOMPARE(SaveResultFile(target, ResultFileType::Csv), SaveOutcome::Failed);
        QVERIFY(messages->boxes.last().text.startsWith("Row 2 could not be written"));
        QCOMPARE(WriterTest::folderEntries(dir.path()), before);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), bytes);
        saved.close();
        QCOMPARE(SaveResultFile(File1.FilePath, ResultFileType::Csv), SaveOutcome::Refused);
        ResultGrid.setTextMatrix(2, 1, QString());
        {
            ScriptedProgress progress(5);
            QCOMPARE(SaveResultFile(target, ResultFileType::Csv), SaveOutcome::Cancelled);
            QCOMPARE(WriterTest::folderEntries(dir.path()), before);
        }

        view();
        ResultGrid.setRows(65538);
        FileDialogScript dialogs;
        dialogs.script({{path("big"), 3}});
        QCOMPARE(SaveResults(), SaveOutcome::Saved);
        QCOMPARE(WriterTest::readWithPythonCsv(path("big.csv")).size(), 65538);
        QCOMPARE(dialogs.requests[0].filters.last(), QString("CSV Files (*.csv)"));
    }

    void theViewSavedAndReadBack() {
        view();
        // A user sort carries over: descending by Name.
        ResultGrid.setCurrentCell(1, 1);
        SortResultGrid(false);
        QCOMPARE(SaveResultFile(path("view.xls"), ResultFileType::Excel), SaveOutcome::Saved);
        const QJsonObject book = WriterTest::readWithXlrd(path("view.xls"));
        QCOMPARE(book["sheets"].toArray().first().toString(), QString("Result"));
        QCOMPARE(xlrdRow(book, 0), (QStringList{"s:Name", "s:Amount", "s:Day", "s:Count"}));
        QCOMPARE(xlrdRow(book, 1), (QStringList{"s:Smith", "n:2.25", "s:2 Jan 2024", "n:7"}));
        QCOMPARE(xlrdRow(book, 2), (QStringList{"s:O'Brien", "n:12.5", "s:1 Jan 2024", "n:3"}));
        // The empty row went last: a workbook has no cells to show for it.
        QCOMPARE(book["nrows"].toInt(), 3);

        QCOMPARE(SaveResultFile(path("view.dbf"), ResultFileType::Dbase), SaveOutcome::Saved);
        const QJsonObject table = WriterTest::readWithDbfread(path("view.dbf"));
        const QJsonArray records = table["records"].toArray();
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[1].toArray()[0].toString(), QString("O'Brien"));
        QVERIFY(records[2].toArray()[1].isNull());
        QVERIFY(messages->boxes.isEmpty());
    }

    void theFileNumberColumn() {
        // The view of two files, and a function on both: "[File number]"; File 1 alone: not.
        view(true);
        QVERIFY(CurrentResultLayout.fileNumberColumn);
        QCOMPARE(SaveResultFile(path("two.xls"), ResultFileType::Excel), SaveOutcome::Saved);
        QCOMPARE(xlrdRow(WriterTest::readWithXlrd(path("two.xls")), 0).last(),
                 QString("s:File number"));
        FillColumnLists();
        FunctionIndex = 6;
        ColumnToProcess = 0;
        ShowLoadedData = false;
        QCOMPARE(RunCommand(), RunOutcome::Result);
        QVERIFY(!CurrentResultLayout.fileNumberColumn);
        FunctionIndex = 2;
        FileToProcess = 2;
        SelectOperator1 = 1;
        Panels.fldData1Select = "zzz";
        QCOMPARE(RunCommand(), RunOutcome::Result);
        QVERIFY(CurrentResultLayout.fileNumberColumn);
        // The layout is the one recorded at the run: the wizard changed since does not count,
        // and unloading File 2 takes the result's Save away.
        FileToProcess = 0;
        FunctionIndex = 4;
        QCOMPARE(SaveResultFile(path("both.dbf"), ResultFileType::Dbase), SaveOutcome::Saved);
        QCOMPARE(WriterTest::readWithDbfread(path("both.dbf"))["records"].toArray().size(), 6);
        window.saves.clear();
        UnloadFile(File2);
        QCOMPARE(window.saves, QList<bool>{false});
        QCOMPARE(SaveResultFile(path("gone.xls"), ResultFileType::Excel), SaveOutcome::Refused);
    }

    void refusalsKeepEverythingAsItWas() {
        view();
        // The row limit.
        ResultGrid.setRows(65537);
        QCOMPARE(SaveResultFile(path("big.xls"), ResultFileType::Excel), SaveOutcome::Refused);
        QCOMPARE(messages->boxes.last().caption, QString("Error"));
        ResultGrid.setRows(4);

        // A loaded source, also through "./" and a link.
        QFile source(File1.FilePath);
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write("source bytes");
        source.close();
        QVERIFY(QFile::link(File1.FilePath, path("link.xls")));
        for (const QString& target :
             {File1.FilePath, dir.path() + "/./source1.xls", path("link.xls")}) {
            QCOMPARE(SaveResultFile(target, ResultFileType::Excel), SaveOutcome::Refused);
        }
        QVERIFY(messages->boxes.last().text.contains("source1.xls") ||
                messages->boxes.last().text.contains("link.xls"));
        QFile again(File1.FilePath);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), QByteArray("source bytes"));

        // A save that fails keeps the old file and leaves no temporary file: a dBase column name
        // the layer refuses.
        File1.Contents->Fields[0].Name = "%%";
        RunCommand();
        QFile old(path("kept.dbf"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the user's old table");
        old.close();
        const QStringList before = WriterTest::folderEntries(dir.path());
        QCOMPARE(SaveResultFile(path("kept.dbf"), ResultFileType::Dbase), SaveOutcome::Failed);
        QCOMPARE(messages->boxes.last().text,
                 QString("For dBase a format, the name of columns should not contain signs!"));
        QCOMPARE(WriterTest::folderEntries(dir.path()), before);
    }

    // A folder that refuses the new file: the message names the file and the system's cause. As
    // root every folder takes new files, so the refusal is injected.
    void aRefusedFileNamesTheFileAndTheCause() {
        view();
        const QStringList before = WriterTest::folderEntries(dir.path());
        FailNewFilesForTests(EACCES);
        for (const ResultFileType type : {ResultFileType::Excel, ResultFileType::Dbase,
                                          ResultFileType::ExcelWorkbook, ResultFileType::Csv}) {
            const QString target = path("refused." + ResultFileExtension(type));
            QCOMPARE(SaveResultFile(target, type), SaveOutcome::Failed);
            QCOMPARE(messages->boxes.last().text,
                     "The file cannot be created.\n" + target + ": Permission denied");
        }
        FailNewFilesForTests(0);
        QCOMPARE(WriterTest::folderEntries(dir.path()), before);
        const QString missing = path("missing/result.dbf");
        QCOMPARE(SaveResultFile(missing, ResultFileType::Dbase), SaveOutcome::Failed);
        QCOMPARE(messages->boxes.last().text,
                 "The file cannot be created.\n" + missing + ": No such file or directory");
    }

    void cancelsLeaveNothing() {
        view();
        QFile old(path("old.xls"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        const QStringList before = WriterTest::folderEntries(dir.path());
        // While the columns are composed (3 steps), then while rows are written.
        for (int step : {2, 5}) {
            view();
            ScriptedProgress progress(step);
            QCOMPARE(SaveResultFile(path("old.xls"), ResultFileType::Excel),
                     SaveOutcome::Cancelled);
            QCOMPARE(WriterTest::folderEntries(dir.path()), before);
            QVERIFY(!progress.visible);
            QCOMPARE(ResultGrid.rows() == 2, step == 2);  // the column phase resets the grid
        }
        // Through the dialog: the settled name, and the dialog's own cancel.
        view();
        FileDialogScript dialogs;
        dialogs.script({{path("fromdialog"), 1}, {QString(), 0}});
        QCOMPARE(SaveResults(), SaveOutcome::Saved);
        QVERIFY(QFile::exists(path("fromdialog.dbf")));
        QCOMPARE(dialogs.requests[0].title, QString("Save File"));
        QCOMPARE(dialogs.requests[0].filters, ResultFileFilters());
        QCOMPARE(dialogs.requests[0].folder, dir.path());  // File 1's
        QCOMPARE(SaveResults(), SaveOutcome::Cancelled);
    }

    void theSettledNameIsAskedAbout() {
        view();
        QFile old(path("asked.xls"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        // "asked" typed, "asked.xls" settled: the dialog never asked about that file.
        FileDialogScript dialogs;
        dialogs.script({{path("asked"), 0}, {path("asked"), 0}});
        messages->script({MessageAnswer::No, MessageAnswer::Yes});
        QCOMPARE(SaveResults(), SaveOutcome::Cancelled);
        QCOMPARE(QFileInfo(path("asked.xls")).size(), qint64(3));
        QCOMPARE(SaveResults(), SaveOutcome::Saved);
        QCOMPARE(messages->boxes.size(), 2);
        QVERIFY(QFileInfo(path("asked.xls")).size() > 3);

        // A link is written through: the file it points to gets the result, the link stays.
        QVERIFY(QFile::link(path("asked.xls"), path("alias.xls")));
        QCOMPARE(SaveResultFile(path("alias.xls"), ResultFileType::Excel), SaveOutcome::Saved);
        QVERIFY(QFileInfo(path("alias.xls")).isSymLink());
    }

    // Every function's result, saved as a workbook, holds the grid's rows (empty cells empty).
    void everyFunctionsResultReadsBack() {
        const std::vector<QStringList> rows = {
            {"a", "1.5", "x", "1"}, {"b", "2", "y", "2"}, {"a", "3", "z", "1"}, {"c", "", "", "3"}};
        for (int function = 0; function < 7; ++function) {
            load(File1, path("f1.xls"), rows);
            load(File2, path("f2.xls"), {{"a", "9", "q", "1"}});
            FillColumnLists();
            ResetConditionSettings();
            FunctionIndex = function;
            ColumnToProcess = 0;
            FileToProcess = function == 0 ? 2 : 0;
            ShowLoadedData = false;
            SelectOperator1 = 1;  // Filter: Not Equal To ""
            MultiColumn1 = 0;
            MultiOperator1 = 1;
            TotalsColumn = 1;
            ModifyOperation = 3;
            ModifyText = "'s";
            QVERIFY2(RunCommand() == RunOutcome::Result, qPrintable(QString::number(function)));
            const QString file = path(QString("function%1.xls").arg(function));
            QCOMPARE(SaveResultFile(file, ResultFileType::Excel), SaveOutcome::Saved);
            const QJsonObject book = WriterTest::readWithXlrd(file);
            for (int r = 1; r < ResultGrid.rows(); ++r) {
                const QStringList read = xlrdRow(book, r);
                for (int c = 1; c < ResultGrid.columns(); ++c) {
                    QString text = read.value(c - 1).section(':', 1);
                    QVERIFY2(text == ResultGrid.textMatrix(r, c),
                             qPrintable(QString("function %1, row %2, column %3: %4")
                                            .arg(function)
                                            .arg(r)
                                            .arg(c)
                                            .arg(text)));
                }
            }
            UnloadFile(File2);
        }
    }

    void aTotalsResult() {
        load(File1, path("s.xls"),
             {{"a", "1.5", "x", "1"}, {"a", "2", "y", "1"}, {"b", "3", "z", "2"}});
        FillColumnLists();
        FunctionIndex = 4;
        ColumnToProcess = 0;
        TotalsColumn = 1;
        ShowLoadedData = false;
        QCOMPARE(RunCommand(), RunOutcome::Result);
        QCOMPARE(SaveResultFile(path("totals.xls"), ResultFileType::Excel), SaveOutcome::Saved);
        const QJsonObject book = WriterTest::readWithXlrd(path("totals.xls"));
        QCOMPARE(xlrdRow(book, 0),
                 (QStringList{"s:Name", "s:Amount,totals", "s:Records", "s:Day", "s:Count"}));
        QCOMPARE(xlrdRow(book, 1), (QStringList{"s:a", "n:3.5", "n:2", "s:-", "n:1"}));
        QCOMPARE(xlrdRow(book, 2), (QStringList{"s:b", "n:3", "n:1", "s:z", "n:2"}));
    }
};

QTEST_GUILESS_MAIN(TestSaving)
#include "tst_saving.moc"
