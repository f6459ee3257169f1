// File slots: loading a table into the model, emptying a slot, and the memory a large sheet takes.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "data/ProgressSink.h"
#include "data/SlotLoading.h"
#include "data/access/CellText.h"
#include "data/uCommonScripts.h"
#include "data/uGlobalData.h"
#include "support/DbfBuilder.h"
#include "support/TestFiles.h"

namespace {

// Records what emptying a slot asks of the main window.
class RecordingSlotView : public FileSlotView {
public:
    QStringList calls;
    void clearFileField(FileSlot slot) override {
        calls << QString("clear %1").arg(static_cast<int>(slot));
    }
    void DisableFileCommands(CommandGroup group) override {
        calls << QString("disable %1").arg(static_cast<int>(group));
    }
};

const CellTextFormat kFormat{QLocale::c()};

// Loads the first table of a file into a slot, as the open and load commands do.
bool loadInto(clFile& slot, const QString& path) {
    return LoadSlotFromFile(slot, path, {}, false, nullptr, kFormat).status == SlotLoad::Loaded;
}

// Cancels at a chosen step.
class CancellingSink : public ProgressSink {
public:
    explicit CancellingSink(int cancelAt) : m_cancelAt(cancelAt) {}
    void setMaximum(std::int32_t steps) override { maximum = steps; }
    bool step() override { return ++steps < m_cancelAt; }
    std::int32_t maximum = 0, steps = 0;

private:
    int m_cancelAt;
};

qint64 residentKilobytes() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool underAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

}  // namespace

class TestFileModel : public QObject {
    Q_OBJECT
private:
    RecordingSlotView m_view;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        setFileSlotView(&m_view);
    }
    void cleanupTestCase() { setFileSlotView(nullptr); }
    void cleanup() {
        UnloadFile(File1);
        UnloadFile(File2);
        m_view.calls.clear();
    }

    void loadedSheetIsHeldColumnByColumn() {
        QVERIFY(loadInto(File1, TestFiles::publicFile("cp1251.dbf")));
        QVERIFY(File1.isInUse());
        QVERIFY(File1.isLoaded());
        const clResult& contents = *File1.Contents;
        QCOMPARE(contents.FieldCount, 2);
        QCOMPARE(contents.Fields[0].Name, QString("RN"));
        QCOMPARE(contents.Fields[0].DataType, FieldType::Integer);
        QCOMPARE(contents.Fields[1].DataType, FieldType::String);
        for (const clField& field : contents.Fields) {
            QCOMPARE(field.RecordCount, 4);
            QCOMPARE(field.Values.size(), std::size_t(4));
        }
        QCOMPARE(contents.Fields[0].Values[3].Value, QString("4"));
        QCOMPARE(contents.Fields[1].Values[2].Value, QString::fromUtf8("НИИ"));
    }

    // Every text of a slot follows the locale its connection was made with, whatever another
    // slot, loaded in between with another locale, does.
    void eachSlotKeepsItsLocale() {
        const QString path = TestFiles::publicFile("iris-excel-xls.xls");
        const CellTextFormat german{QLocale(QLocale::German, QLocale::Germany)};
        QCOMPARE(OpenSlotFile(File1, path, false, german).status, SlotLoad::Loaded);
        QCOMPARE(OpenSlotFile(File2, path, true, kFormat).status, SlotLoad::Loaded);
        QCOMPARE(LoadSlotSheet(File2, File2.Sheets.front().Value, nullptr).status,
                 SlotLoad::Loaded);
        QCOMPARE(LoadSlotSheet(File1, File1.Sheets.front().Value, nullptr).status,
                 SlotLoad::Loaded);
        QCOMPARE(File1.Contents->Fields[0].Values[0].Value, QString("5,1"));
        QCOMPARE(File2.Contents->Fields[0].Values[0].Value, QString("5.1"));
        QCOMPARE(File1.Contents->Fields[0].Name, File2.Contents->Fields[0].Name);
    }

    // The copy steps once a row and stops at a cancel: the slot stays open, without contents.
    void cancelledLoadLeavesNoContents() {
        const QString path = TestFiles::publicFile("cp1251.dbf");
        QCOMPARE(OpenSlotFile(File1, path, false, kFormat).status, SlotLoad::Loaded);
        CancellingSink sink(2);
        QCOMPARE(LoadSlotSheet(File1, File1.Sheets.front().Value, &sink).status,
                 SlotLoad::Cancelled);
        QCOMPARE(sink.maximum, 4);
        QCOMPARE(sink.steps, 2);
        QVERIFY(File1.isInUse());
        QVERIFY(!File1.isLoaded());
        CancellingSink never(100);
        QCOMPARE(LoadSlotSheet(File1, File1.Sheets.front().Value, &never).status, SlotLoad::Loaded);
        QCOMPARE(never.steps, 4);
    }

    void emptyColumnStillHasAValuePerRow() {
        DbfBuilder builder;
        builder.fields = {{"NAME", 'C', 5, 0}, {"NOTE", 'C', 5, 0}};
        builder.records = {{"a", ""}, {"b", ""}, {"c", ""}};
        const QString path = m_dir.filePath("blank.dbf");
        QVERIFY(builder.write(path));
        QVERIFY(loadInto(File1, path));
        const clField& note = File1.Contents->Fields[1];
        QCOMPARE(note.Values.size(), std::size_t(3));
        for (const clValues& value : note.Values) QVERIFY(value.Value.isEmpty());
    }

    void unloadReleasesEverything_data() {
        QTest::addColumn<int>("slotNumber");
        QTest::addColumn<QStringList>("expectedCalls");
        QTest::newRow("File 1") << 1 << QStringList{"clear 1"};
        QTest::newRow("File 2 also disables Unload File 2")
            << 2 << QStringList{"clear 2", "disable 1"};
    }
    void unloadReleasesEverything() {
        QFETCH(int, slotNumber);
        QFETCH(QStringList, expectedCalls);
        clFile& slot = slotNumber == 1 ? File1 : File2;
        QVERIFY(loadInto(slot, TestFiles::publicFile("cp1251.dbf")));
        UnloadFile(slot);
        QCOMPARE(m_view.calls, expectedCalls);
        QVERIFY(!slot.isInUse());
        QVERIFY(!slot.isLoaded());
        QVERIFY(slot.Sheets.empty());
        QVERIFY(slot.FileName.isEmpty());
        QVERIFY(slot.FilePath.isEmpty());
        QCOMPARE(slot.SheetName, QString("cp1251"));  // kept until the next choice
    }

    void unloadingAFreeSlotOnlyClearsTheField() {
        UnloadFile(File2);
        QCOMPARE(m_view.calls, (QStringList{"clear 2", "disable 1"}));
        QVERIFY(!File2.isInUse());
    }

    // A 2,810-byte workbook whose few cells span 65,535 x 254: its table costs an id a cell of
    // that range and nothing more.
    void sparseSheetCostsItsRange() {
        const qint64 before = residentKilobytes();
        QVERIFY(
            loadInto(File1, QStringLiteral(QUARIX_TESTS_DIR "/data/fuzz/sparse-far-corner.xls")));
        const qint64 grownMegabytes = (residentKilobytes() - before) / 1024;
        const clResult& contents = *File1.Contents;
        QCOMPARE(contents.FieldCount, 254);
        QCOMPARE(contents.Fields[0].RecordCount, 65535);
        if (underAddressSanitizer())
            QSKIP("the sanitizer's shadow memory makes the size meaningless");
        QVERIFY2(grownMegabytes < 65535LL * 254 * 4 * 5 / 4 / 1048576,
                 qPrintable(QString("%1 MB").arg(grownMegabytes)));
    }

    void largeSheetMemory() {
        constexpr int kRows = 65535;
        constexpr int kColumns = 20;
        DbfBuilder builder;
        for (int c = 0; c < kColumns; ++c)
            builder.fields.push_back({"COL" + QByteArray::number(c), 'C', 8, 0});
        builder.records.reserve(kRows);
        for (int r = 0; r < kRows; ++r) {
            std::vector<QByteArray> record;
            for (int c = 0; c < kColumns; ++c)
                record.push_back("v" + QByteArray::number((r * 31 + c) % 99991));
            builder.records.push_back(std::move(record));
        }
        const QString path = m_dir.filePath("large.dbf");
        QVERIFY(builder.write(path));
        builder.records.clear();
        builder.records.shrink_to_fit();

        const qint64 before = residentKilobytes();
        QVERIFY(loadInto(File1, path));
        const qint64 after = residentKilobytes();
        QCOMPARE(File1.Contents->Fields[kColumns - 1].Values.size(), std::size_t(kRows));
        const qint64 grownMegabytes = (after - before) / 1024;
        qInfo("loading %d x %d cells grew the process by %lld MB", kRows, kColumns, grownMegabytes);
        if (underAddressSanitizer())
            QSKIP("the sanitizer's shadow memory makes the size meaningless");
        // An id a cell and each of the 99,991 distinct texts once: well under 40 MB.
        QVERIFY2(grownMegabytes < 40, qPrintable(QString("%1 MB").arg(grownMegabytes)));
    }
};

QTEST_GUILESS_MAIN(TestFileModel)
#include "tst_filemodel.moc"
